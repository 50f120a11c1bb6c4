#pragma once
// The helper's end of its private channel to the app: messages in on standard input,
// out on standard output, one line each. Nothing else may write to standard output.

#include <QObject>
#include <QSocketNotifier>

#include "popover/DashboardMessages.h"

namespace quintrel {

class StdioChannel final : public QObject {
    Q_OBJECT

public:
    StdioChannel();
    void send(const popover::DashboardMessage& message);

signals:
    void received(const popover::DashboardMessage& message);
    // The app closed the channel or sent a line it must not: `why` is empty for a close.
    void failed(const QString& why);

private:
    void readAvailable();
    void fail(const QString& why);

    QSocketNotifier notifier_;
    popover::DashboardLineReader reader_{popover::Sender::app};
    bool failed_ = false;
};

}  // namespace quintrel
