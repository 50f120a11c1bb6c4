#pragma once
// SIGTERM and SIGINT end the event loop, so the app quits as from its menu: the tray item
// leaves the panel and everything is torn down in order (the session sends SIGTERM at logout).

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace quintrel {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one object per process.
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quintrel
