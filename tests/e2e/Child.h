#pragma once
// A child process of an end-to-end test, its standard output kept line by line.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

namespace quintrel::e2e {

class Child {
public:
    explicit Child(std::string name);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // False, with the reason in `error()`, when the program could not be started.
    bool start(const QString& program, const QStringList& args,
               const QProcessEnvironment& environment, const QString& workingDirectory = {});
    // SIGTERM, then SIGKILL after a grace period.
    void stop();
    bool running() const;
    // The process id while running, else 0.
    qint64 pid() const { return process_.processId(); }
    // Sends one line to the child's standard input.
    void send(const std::string& line);

    const std::string& name() const { return name_; }
    // Complete lines of standard output so far (reading pending output first).
    const std::vector<std::string>& lines();
    std::string standardError();
    std::string error() const { return error_; }
    // Exit code, or none while running or after a crash.
    std::optional<int> exitCode() const;
    // Last lines of both streams, for a failure report.
    std::string tail(size_t count = 40);

private:
    void readOutput();

    std::string name_;
    QProcess process_;
    std::string partial_;
    std::vector<std::string> lines_;
    std::string stderr_;
    std::string error_;
};

}  // namespace quintrel::e2e
