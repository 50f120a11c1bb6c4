#pragma once
// Seconds since the last user input: GNOME Mutter's idle monitor, then the freedesktop
// screen saver, then the X server's screen saver extension.

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
    // up the main thread, so the answer can be up to kRefreshIntervalMs old.
    double secondsSinceLastInput() override;

    // Asks the sources again unless a question is still open.
    void refresh();
    bool asking() const { return asking_; }

    // The source that answered last.
    Source source() const { return source_; }

    static constexpr int kCallTimeoutMs = 1000;
    static constexpr int kRefreshIntervalMs = 10'000;

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
