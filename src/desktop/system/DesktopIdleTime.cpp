#include "desktop/system/DesktopIdleTime.h"

#include <QDBusMessage>
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace quintrel {

namespace {

std::optional<QVariant> call(const QDBusConnection& bus, const QString& service,
                             const QString& path, const QString& interface, const QString& method) {
    if (!bus.isConnected()) {
        return std::nullopt;
    }
    const QDBusMessage reply =
        bus.call(QDBusMessage::createMethodCall(service, path, interface, method), QDBus::Block,
                 DesktopIdleTime::kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    return reply.arguments().first();
}

}  // namespace

DesktopIdleTime::DesktopIdleTime(QDBusConnection bus) : bus_(std::move(bus)) {}

double DesktopIdleTime::secondsSinceLastInput() {
    // The source that answered before is asked first; the others only when it stops.
    if (source_ != Source::none) {
        if (const auto seconds = ask(source_)) {
            return *seconds;
        }
    }
    for (const Source source : {Source::mutter, Source::screenSaver, Source::x11}) {
        if (source == source_) {
            continue;
        }
        if (const auto seconds = ask(source)) {
            source_ = source;
            return *seconds;
        }
    }
    source_ = Source::none;
    return 0;
}

std::optional<double> DesktopIdleTime::ask(Source source) {
    switch (source) {
        case Source::mutter:
            return fromMutter();
        case Source::screenSaver:
            return fromScreenSaver();
        case Source::x11:
            return fromX11();
        case Source::none:
            break;
    }
    return std::nullopt;
}

std::optional<double> DesktopIdleTime::fromMutter() {
    const auto value =
        call(bus_, QStringLiteral("org.gnome.Mutter.IdleMonitor"),
             QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
             QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime"));
    if (!value || !value->canConvert<qulonglong>()) {
        return std::nullopt;
    }
    return static_cast<double>(value->toULongLong()) / 1000.0;  // milliseconds
}

std::optional<double> DesktopIdleTime::fromScreenSaver() {
    const auto value =
        call(bus_, QStringLiteral("org.freedesktop.ScreenSaver"),
             QStringLiteral("/org/freedesktop/ScreenSaver"),
             QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("GetSessionIdleTime"));
    if (!value || !value->canConvert<uint>()) {
        return std::nullopt;
    }
    return static_cast<double>(value->toUInt());  // seconds
}

std::optional<double> DesktopIdleTime::fromX11() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (display == nullptr) {
        return std::nullopt;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (!XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
        return std::nullopt;
    }
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    if (info == nullptr) {
        return std::nullopt;
    }
    std::optional<double> seconds;
    if (XScreenSaverQueryInfo(display, DefaultRootWindow(display), info)) {
        seconds = static_cast<double>(info->idle) / 1000.0;  // milliseconds
    }
    XFree(info);
    return seconds;
}

}  // namespace quintrel
