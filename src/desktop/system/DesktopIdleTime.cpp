#include "desktop/system/DesktopIdleTime.h"

#include <algorithm>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

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

// The X screen saver extension's QueryInfo, sent on the connection Qt already has open:
// the round trip libXss makes, without loading libXss and libXext into the app for it.
std::optional<double> x11IdleSeconds(xcb_connection_t* connection, xcb_window_t root) {
    static xcb_extension_t screenSaver{"MIT-SCREEN-SAVER", 0};
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &screenSaver);
    if (extension == nullptr || !extension->present) {
        return std::nullopt;
    }
    // The request's opcodes and length are filled in by xcb.
    struct QueryInfoRequest {
        std::uint8_t majorOpcode;
        std::uint8_t minorOpcode;
        std::uint16_t length;
        std::uint32_t drawable;
    } request{0, 0, 0, root};
    struct QueryInfoReply {
        std::uint8_t responseType;
        std::uint8_t state;
        std::uint16_t sequence;
        std::uint32_t length;
        std::uint32_t saverWindow;
        std::uint32_t msUntilServer;
        std::uint32_t msSinceUserInput;
        std::uint32_t eventMask;
        std::uint8_t kind;
        std::uint8_t pad[7];
    };
    static const xcb_protocol_request_t kQueryInfo{
        .count = 1, .ext = &screenSaver, .opcode = 1, .isvoid = 0};
    // xcb_send_request writes into the two entries before the ones it is given.
    iovec parts[3] = {{}, {}, {&request, sizeof request}};
    const unsigned sequence =
        xcb_send_request(connection, XCB_REQUEST_CHECKED, parts + 2, &kQueryInfo);
    xcb_generic_error_t* error = nullptr;
    const std::unique_ptr<QueryInfoReply, decltype(&std::free)> reply(
        static_cast<QueryInfoReply*>(xcb_wait_for_reply(connection, sequence, &error)),
        &std::free);
    std::free(error);
    if (!reply) {
        return std::nullopt;
    }
    return static_cast<double>(reply->msSinceUserInput) / 1000.0;
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
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (display == nullptr || connection == nullptr) {
        return std::nullopt;
    }
    return x11IdleSeconds(connection, DefaultRootWindow(display));
}

}  // namespace quintrel
