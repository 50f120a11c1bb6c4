#pragma once
// The app's end of the quintrel-dashboard helper: starts it on demand, speaks the line
// protocol over its standard input and output, checks every line it sends back, and lets
// it go a while after the popup was hidden.

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <chrono>
#include <optional>
#include <string>

#include "popover/DashboardMessages.h"

namespace quintrel {

class DashboardHelperProcess final : public QObject {
    Q_OBJECT

public:
    // `program`: the helper, or none when this installation has none (each start then
    // says so). `widgetBase`: the host its pages may stay on.
    DashboardHelperProcess(std::optional<QString> program, std::string widgetBase);
    ~DashboardHelperProcess() override;

    // Starts a helper when none runs; false when none could be started.
    bool ensureRunning();
    bool isRunning() const;
    // Dropped when no helper runs: a new one is brought up to date when it starts.
    void send(const popover::DashboardMessage& message);

    // The popup was hidden: the helper is told to quit after `keepAfterHide`.
    void scheduleRelease();
    void cancelRelease();

    // Reopening within this is fast; after it the web engine's memory is given back.
    static constexpr std::chrono::milliseconds kKeepAfterHide{std::chrono::minutes(3)};
    std::chrono::milliseconds keepAfterHide{kKeepAfterHide};
    // A helper that has not quit this long after being told to is killed.
    static constexpr std::chrono::seconds kQuitGrace{5};

    // The helper's pid while one runs, else 0.
    qint64 processId() const;

    // Where the helper is: beside the executable, then the installed libexec folder (and,
    // in test builds only, the one this build made). None when it is in neither place.
    static std::optional<QString> defaultProgram();

signals:
    // A new helper runs and has been configured: what it shows must be sent again.
    void started();
    // A checked message from the helper, after its handshake.
    void received(const popover::DashboardMessage& message);
    // The helper is gone, asked to or not.
    void ended();

private:
    void readLines();
    // The helper's standard error, a line at a time, into ours with the API code masked.
    void forwardErrors(bool flush);
    void stop(const QString& why);
    void finished(int exitCode, QProcess::ExitStatus status);

    const std::optional<QString> program_;
    const std::string widgetBase_;
    QProcess* process_ = nullptr;
    popover::DashboardLineReader reader_{popover::Sender::helper};
    std::string errors_;
    bool quitting_ = false;
    QTimer releaseTimer_;
    QTimer killTimer_;
};

}  // namespace quintrel
