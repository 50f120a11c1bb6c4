// Child processes: started with an explicit environment, stopped politely, output kept.

#include "Child.h"

namespace quintrel::e2e {

Child::Child(std::string name) : name_(std::move(name)) {}

Child::~Child() {
    stop();
}

bool Child::start(const QString& program, const QStringList& args,
                  const QProcessEnvironment& environment, const QString& workingDirectory) {
    process_.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty()) {
        process_.setWorkingDirectory(workingDirectory);
    }
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { readOutput(); });
    process_.start(program, args);
    if (!process_.waitForStarted(10000)) {
        error_ = name_ + ": cannot start " + program.toStdString() + ": " +
                 process_.errorString().toStdString();
        return false;
    }
    return true;
}

void Child::stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
    readOutput();
}

bool Child::running() const {
    return process_.state() != QProcess::NotRunning;
}

void Child::send(const std::string& line) {
    process_.write((line + "\n").c_str());
    process_.waitForBytesWritten(1000);
}

void Child::readOutput() {
    partial_ += process_.readAllStandardOutput().toStdString();
    for (auto end = partial_.find('\n'); end != std::string::npos; end = partial_.find('\n')) {
        lines_.push_back(partial_.substr(0, end));
        partial_.erase(0, end + 1);
    }
}

const std::vector<std::string>& Child::lines() {
    readOutput();
    return lines_;
}

std::string Child::standardError() {
    stderr_ += process_.readAllStandardError().toStdString();
    return stderr_;
}

std::optional<int> Child::exitCode() const {
    if (running() || process_.exitStatus() != QProcess::NormalExit) {
        return std::nullopt;
    }
    return process_.exitCode();
}

std::string Child::tail(size_t count) {
    std::string text = "---- " + name_ + " standard output (last lines)\n";
    const auto& all = lines();
    for (size_t i = all.size() > count ? all.size() - count : 0; i < all.size(); ++i) {
        text += all[i] + "\n";
    }
    if (!partial_.empty()) {
        text += partial_ + "\n";
    }
    auto err = standardError();
    if (err.size() > 4000) {
        err = "..." + err.substr(err.size() - 4000);
    }
    text += "---- " + name_ + " standard error\n" + err;
    return text;
}

}  // namespace quintrel::e2e
