#pragma once
// Seconds since the last user input: GNOME Mutter's idle monitor, then the freedesktop
// screen saver, then the X server's screen saver extension.

#include <chrono>
#include <vector>

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include "platform/IdleTime.h"

namespace quintrel {

class DesktopIdleTime final : public QObject, public IdleTime {
public:
    enum class Source { none, mutter, screenSaver, x11 };

    explicit DesktopIdleTime(QDBusConnection bus = QDBusConnection::sessionBus());

    // The latest reading, at once; a new one is asked for in the background. The idle
    // services belong to other programs on the bus: a slow or stuck one must never hold
    // up the main thread. The poll that reads this comes every `askInterval`, so the next
    // reading is taken just before the next poll is due, not on a timer of its own that
    // would wake an idle app between polls.
    double secondsSinceLastInput() override;

    // How long until the next reading is expected: the poll interval.
    std::chrono::milliseconds askInterval{45'000};
    void expectAskEvery(std::chrono::milliseconds interval) override { askInterval = interval; }

    // Asks the sources again unless a question is still open.
    void refresh();
    bool asking() const { return asking_; }

    // The source that answered last.
    Source source() const { return source_; }

    static constexpr int kCallTimeoutMs = 1000;
    // How long before the next expected reading a fresh one is asked for.
    static constexpr std::chrono::milliseconds kAskAhead{1000};

private:
    void askFrom(std::vector<Source> order, std::size_t next);
    void answered(Source source, double seconds);
    std::optional<double> fromX11();

    QDBusConnection bus_;
    QTimer timer_;
    Source source_ = Source::none;
    double seconds_ = 0;
    bool asking_ = false;
};

}  // namespace quintrel
