#pragma once
// Seconds since the last user input: GNOME Mutter's idle monitor, then the freedesktop
// screen saver, then the X server's screen saver extension.

#include <QDBusConnection>

#include "platform/IdleTime.h"

namespace quintrel {

class DesktopIdleTime final : public IdleTime {
public:
    enum class Source { none, mutter, screenSaver, x11 };

    explicit DesktopIdleTime(QDBusConnection bus = QDBusConnection::sessionBus());

    // Asked on the main thread; each D-Bus source gets a short time to answer.
    double secondsSinceLastInput() override;

    // The source that answered last.
    Source source() const { return source_; }

    static constexpr int kCallTimeoutMs = 250;

private:
    std::optional<double> ask(Source source);
    std::optional<double> fromMutter();
    std::optional<double> fromScreenSaver();
    std::optional<double> fromX11();

    QDBusConnection bus_;
    Source source_ = Source::none;
};

}  // namespace quintrel
