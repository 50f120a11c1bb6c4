#include "desktop/system/DesktopIdleTime.h"

#include <algorithm>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace quintrel {

namespace {

struct BusSource {
    const char* service;
    const char* path;
    const char* interface;
    const char* method;
    double secondsPerUnit;
};

// Mutter answers in milliseconds, the freedesktop screen saver in seconds.
const BusSource kMutter{"org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                        "org.gnome.Mutter.IdleMonitor", "GetIdletime", 0.001};
const BusSource kScreenSaver{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                             "org.freedesktop.ScreenSaver", "GetSessionIdleTime", 1.0};

std::optional<double> seconds(const QDBusMessage& reply, const BusSource& source) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const qulonglong units = reply.arguments().first().toULongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return static_cast<double>(units) * source.secondsPerUnit;
}

}  // namespace

DesktopIdleTime::DesktopIdleTime(QDBusConnection bus) : bus_(std::move(bus)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &DesktopIdleTime::refresh);
    refresh();
}

double DesktopIdleTime::secondsSinceLastInput() {
    refresh();
    timer_.start(std::max(askInterval - kAskAhead, std::chrono::milliseconds(1)));
    return seconds_;
}

void DesktopIdleTime::refresh() {
    if (asking_) {
        return;
    }
    asking_ = true;
    // The source that answered before is asked first; the others only when it stops.
    std::vector<Source> order;
    if (source_ != Source::none) {
        order.push_back(source_);
    }
    for (const Source source : {Source::mutter, Source::screenSaver, Source::x11}) {
        if (source != source_) {
            order.push_back(source);
        }
    }
    askFrom(std::move(order), 0);
}

void DesktopIdleTime::askFrom(std::vector<Source> order, std::size_t next) {
    for (; next < order.size(); ++next) {
        const Source source = order[next];
        if (source == Source::x11) {
            // The display's own server, not a name anyone on the bus can take.
            if (const auto value = fromX11()) {
                answered(source, *value);
                return;
            }
            continue;
        }
        if (!bus_.isConnected()) {
            continue;
        }
        const BusSource& bus = source == Source::mutter ? kMutter : kScreenSaver;
        const QDBusPendingCall call =
            bus_.asyncCall(QDBusMessage::createMethodCall(
                               QString::fromLatin1(bus.service), QString::fromLatin1(bus.path),
                               QString::fromLatin1(bus.interface), QString::fromLatin1(bus.method)),
                           kCallTimeoutMs);
        auto* watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, order = std::move(order), next, &bus](QDBusPendingCallWatcher* done) {
                    done->deleteLater();
                    if (const auto value = seconds(done->reply(), bus)) {
                        answered(order[next], *value);
                    } else {
                        askFrom(order, next + 1);
                    }
                });
        return;
    }
    answered(Source::none, 0);
}

void DesktopIdleTime::answered(Source source, double seconds) {
    source_ = source;
    seconds_ = seconds;
    asking_ = false;
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
