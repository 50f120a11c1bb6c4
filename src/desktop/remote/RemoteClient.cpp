#include "desktop/remote/RemoteClient.h"

#include <csignal>
#include <cstdio>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantMap>

#include "desktop/remote/RemoteControl.h"
#include "desktop/system/SingleInstance.h"

namespace quintrel {

namespace {

const QString kService = QString::fromLatin1(SingleInstance::kBusName);
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kCallTimeoutMs = 25000;

void printError(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

int notRunning() {
    printError(QStringLiteral("Quintrel Companion is not running"));
    return 1;
}

const char* methodOf(CommandAction action) {
    switch (action) {
        case CommandAction::Refresh:
            return "Refresh";
        case CommandAction::Settings:
            return "ShowSettings";
        case CommandAction::Dashboard:
            return "OpenDashboard";
        case CommandAction::Popup:
            return "TogglePopup";
        case CommandAction::CheckUpdate:
            return "CheckForUpdates";
        case CommandAction::Quit:
            return "Quit";
        default:
            return nullptr;
    }
}

// waybar reads "text" and "tooltip" as Pango markup: the service's words must stay words.
QString pangoEscaped(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'&':
                escaped += QLatin1String("&amp;");
                break;
            case u'<':
                escaped += QLatin1String("&lt;");
                break;
            case u'>':
                escaped += QLatin1String("&gt;");
                break;
            case u'"':
                escaped += QLatin1String("&quot;");
                break;
            case u'\'':
                escaped += QLatin1String("&apos;");
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// The reply of a call to the running app, or the exit code of why there is none.
struct CallResult {
    std::optional<QDBusMessage> reply;
    int exitCode = 0;
};

CallResult call(const QString& interface, const QString& method, const QVariantList& arguments) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        printError(QStringLiteral("Quintrel Companion cannot be reached: no session bus"));
        return {std::nullopt, 1};
    }
    if (!remoteAppRunning()) {
        return {std::nullopt, notRunning()};
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        kService, QString::fromLatin1(kRemoteObjectPath), interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = bus.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
            reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
            return {std::nullopt, notRunning()};
        }
        printError(QStringLiteral("Quintrel Companion did not take %1: %2")
                       .arg(method, reply.errorMessage()));
        return {std::nullopt, 1};
    }
    return {reply, 0};
}

std::optional<RemoteState> fetchState(int& exitCode) {
    const auto result =
        call(kProperties, QStringLiteral("GetAll"), {QString::fromLatin1(kRemoteInterface)});
    exitCode = result.exitCode;
    if (!result.reply || result.reply->arguments().isEmpty()) {
        return std::nullopt;
    }
    const QVariantMap values = qdbus_cast<QVariantMap>(result.reply->arguments().constFirst());
    return RemoteState{values.value(QStringLiteral("Title")).toString(),
                       values.value(QStringLiteral("LastChecked")).toString(),
                       values.value(QStringLiteral("LastError")).toString(),
                       values.value(QStringLiteral("Refreshing")).toBool()};
}

// Follows PropertiesChanged and the app's departure, printing a line when what it shows
// differs from the last line printed.
class Watcher : public QObject {
    Q_OBJECT
public:
    Watcher(RemoteState state, WatchFormat format) : state_(std::move(state)), format_(format) {}

    bool start() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        auto* departure = new QDBusServiceWatcher(
            kService, bus, QDBusServiceWatcher::WatchForUnregistration, this);
        connect(departure, &QDBusServiceWatcher::serviceUnregistered, this,
                [] { QCoreApplication::exit(0); });
        return bus.connect(kService, QString::fromLatin1(kRemoteObjectPath), kProperties,
                           QStringLiteral("PropertiesChanged"), this,
                           SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    }

    void print() {
        const QString line = watchLine(state_, format_);
        if (line == lastLine_) {
            return;
        }
        lastLine_ = line;
        const QByteArray bytes = line.toUtf8() + '\n';
        if (std::fwrite(bytes.constData(), 1, bytes.size(), stdout) != std::size_t(bytes.size()) ||
            std::fflush(stdout) != 0) {
            // The reader went away: the bar closed its end of the pipe.
            QCoreApplication::exit(0);
        }
    }

    void setState(RemoteState state) { state_ = std::move(state); }

private slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList&) {
        if (interface != QLatin1String(kRemoteInterface)) {
            return;
        }
        for (auto it = changed.constBegin(); it != changed.constEnd(); ++it) {
            if (it.key() == QLatin1String("Title")) {
                state_.title = it.value().toString();
            } else if (it.key() == QLatin1String("LastChecked")) {
                state_.lastChecked = it.value().toString();
            } else if (it.key() == QLatin1String("LastError")) {
                state_.lastError = it.value().toString();
            } else if (it.key() == QLatin1String("Refreshing")) {
                state_.refreshing = it.value().toBool();
            }
        }
        print();
    }

private:
    RemoteState state_;
    WatchFormat format_;
    QString lastLine_;
};

}  // namespace

bool remoteAppRunning() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(kService).value();
}

int forwardToRunningApp(CommandAction action) {
    const char* method = methodOf(action);
    if (!method) {
        return 2;
    }
    return call(QString::fromLatin1(kRemoteInterface), QString::fromLatin1(method), {}).exitCode;
}

int printRemoteStatus() {
    int exitCode = 0;
    const auto state = fetchState(exitCode);
    if (!state) {
        return exitCode;
    }
    std::printf("%s\n", state->title.toUtf8().constData());
    return 0;
}

int watchRemoteApp(WatchFormat format) {
    // A closed pipe is seen as a failed write, not as a signal that ends the process.
    std::signal(SIGPIPE, SIG_IGN);
    int exitCode = 0;
    if (!remoteAppRunning()) {
        // Said the same way as every other action, bus or no bus.
        fetchState(exitCode);
        return exitCode;
    }
    Watcher watcher({}, format);
    // Subscribed before the first read, so no change falls between the two.
    if (!watcher.start()) {
        printError(QStringLiteral("Quintrel Companion cannot be watched: %1")
                       .arg(QDBusConnection::sessionBus().lastError().message()));
        return 1;
    }
    auto state = fetchState(exitCode);
    if (!state) {
        return exitCode;
    }
    watcher.setState(*state);
    watcher.print();
    return QCoreApplication::exec();
}

QString watchLine(const RemoteState& state, WatchFormat format) {
    switch (format) {
        case WatchFormat::Text:
            return state.title;
        case WatchFormat::Json:
            return QString::fromUtf8(
                QJsonDocument(QJsonObject{{QStringLiteral("title"), state.title},
                                          {QStringLiteral("lastChecked"), state.lastChecked},
                                          {QStringLiteral("lastError"), state.lastError},
                                          {QStringLiteral("refreshing"), state.refreshing}})
                    .toJson(QJsonDocument::Compact));
        case WatchFormat::Waybar: {
            const QString cssClass = state.refreshing ? QStringLiteral("refreshing")
                                     : state.lastError == QLatin1String("None")
                                         ? QStringLiteral("ok")
                                         : QStringLiteral("error");
            const QString tooltip = QStringLiteral("Last checked: ") + state.lastChecked +
                                    QStringLiteral("\nLast error: ") + state.lastError;
            return QString::fromUtf8(
                QJsonDocument(QJsonObject{{QStringLiteral("text"), pangoEscaped(state.title)},
                                          {QStringLiteral("tooltip"), pangoEscaped(tooltip)},
                                          {QStringLiteral("class"), cssClass}})
                    .toJson(QJsonDocument::Compact));
        }
    }
    return {};
}

}  // namespace quintrel

#include "RemoteClient.moc"
