#include "desktop/notify/FreedesktopNotificationCenter.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QTimer>

#include <algorithm>

#include "notifications_interface.h"

namespace quintrel {

namespace {

constexpr int kCallTimeoutMs = 3000;
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kDefaultAction = QStringLiteral("default");

NotificationError errorFrom(const QDBusError& error) {
    return {(error.name() + ": " + error.message()).toStdString(), error.message().toStdString()};
}

NotificationError notConnected() {
    return {"org.freedesktop.DBus.Error.Disconnected: no session bus",
            "Not connected to the session bus."};
}

// Calls `done(reply)` once the reply to `call` arrives, unless `context` is gone by then.
template <typename Reply, typename Done>
void whenFinished(QObject* context, const Reply& call, Done done) {
    auto* watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, done = std::move(done)](QDBusPendingCallWatcher*) mutable {
                         watcher->deleteLater();
                         done(Reply(*watcher));
                     });
}

}  // namespace

FreedesktopNotificationCenter::FreedesktopNotificationCenter(QDBusConnection connection,
                                                             QObject* parent)
    : QObject(parent) {
    // Without a bus an asynchronous call may never finish, so none is made.
    if (!connection.isConnected()) {
        return;
    }
    server_ = std::make_unique<OrgFreedesktopNotificationsInterface>(kService, kPath, connection);
    server_->setTimeout(kCallTimeoutMs);
    connect(server_.get(), &OrgFreedesktopNotificationsInterface::ActionInvoked, this,
            &FreedesktopNotificationCenter::onActionInvoked);
    connect(server_.get(), &OrgFreedesktopNotificationsInterface::NotificationClosed, this,
            [this](uint id, uint) { forget(id); });
    // A new server numbers its notifications from 1 again, and may render differently:
    // what was learnt of the old one is wrong about the new one.
    auto* watcher = new QDBusServiceWatcher(kService, connection,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                serverChanged(!newOwner.isEmpty());
            });
}

void FreedesktopNotificationCenter::serverChanged(bool present) {
    delivered_.clear();
    deliveryOrder_.clear();
    bodyMarkup_.reset();
    if (present) {
        learnCapabilities();
    }
}

FreedesktopNotificationCenter::~FreedesktopNotificationCenter() = default;

QString FreedesktopNotificationCenter::escapedMarkup(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&') {
            escaped += QStringLiteral("&amp;");
        } else if (c == u'<') {
            escaped += QStringLiteral("&lt;");
        } else if (c == u'>') {
            escaped += QStringLiteral("&gt;");
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void FreedesktopNotificationCenter::setNotificationCategories(
    std::vector<NotificationCategory> categories) {
    categories_ = std::move(categories);
}

void FreedesktopNotificationCenter::probeServer(
    std::function<void(std::optional<NotificationError>)> done) {
    if (!server_) {
        done(notConnected());
        return;
    }
    learnCapabilities();
    whenFinished(this, server_->GetServerInformation(),
                 [done = std::move(done)](
                     const QDBusPendingReply<QString, QString, QString, QString>& reply) {
                     if (reply.isError()) {
                         done(errorFrom(reply.error()));
                     } else {
                         done(std::nullopt);
                     }
                 });
}

void FreedesktopNotificationCenter::learnCapabilities() {
    whenFinished(this, server_->GetCapabilities(),
                 [this](const QDBusPendingReply<QStringList>& reply) {
                     if (!reply.isError()) {
                         bodyMarkup_ = reply.value().contains(QStringLiteral("body-markup"));
                     }
                 });
}

void FreedesktopNotificationCenter::getNotificationSettings(std::function<void(int)> completion) {
    probeServer([completion = std::move(completion)](std::optional<NotificationError> error) {
        completion(error ? AuthorizationStatus::denied : AuthorizationStatus::authorized);
    });
}

void FreedesktopNotificationCenter::requestAuthorization(
    unsigned, std::function<void(bool, std::optional<NotificationError>)> completion) {
    // Nothing to ask: a server that answers may show notifications.
    probeServer([completion = std::move(completion)](std::optional<NotificationError> error) {
        completion(!error, std::move(error));
    });
}

void FreedesktopNotificationCenter::setDelegate(
    std::weak_ptr<NotificationCenterDelegate> delegate) {
    delegate_ = std::move(delegate);
}

void FreedesktopNotificationCenter::add(
    NotificationRequest request, std::function<void(std::optional<NotificationError>)> completion) {
    const auto delay = std::max(request.delay, std::chrono::milliseconds(0));
    QTimer::singleShot(
        delay, this,
        [this, request = std::move(request), completion = std::move(completion)]() mutable {
            notify(request, std::move(completion));
        });
}

void FreedesktopNotificationCenter::notify(
    const NotificationRequest& request,
    std::function<void(std::optional<NotificationError>)> completion) {
    if (!server_) {
        completion(notConnected());
        return;
    }
    // A click on the notification itself is the "default" action; the category's actions
    // become buttons.
    QStringList actions;
    const auto category = std::find_if(
        categories_.begin(), categories_.end(),
        [&](const NotificationCategory& c) { return c.identifier == request.categoryIdentifier; });
    if (category != categories_.end()) {
        if (!category->actions.empty()) {
            actions << kDefaultAction << QString::fromStdString(category->actions.front().title);
        }
        for (const auto& action : category->actions) {
            actions << QString::fromStdString(action.identifier)
                    << QString::fromStdString(action.title);
        }
    }
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("com.quintrel.Companion")},
        {QStringLiteral("suppress-sound"), true}};
    const QString body = QString::fromStdString(request.body);
    // The summary is plain text on every server; the body may be markup, and a reply must
    // not be able to place links or images in it.
    const auto call = server_->Notify(
        QStringLiteral("Quintrel"), 0, QStringLiteral("com.quintrel.Companion"),
        QString::fromStdString(request.title),
        bodyMarkup_.value_or(true) ? escapedMarkup(body) : body, actions, hints, -1);
    whenFinished(
        this, call,
        [this, delivered = Delivered{request.identifier, request.userInfo},
         completion = std::move(completion)](const QDBusPendingReply<uint>& reply) mutable {
            if (reply.isError()) {
                completion(errorFrom(reply.error()));
                return;
            }
            remember(reply.value(), std::move(delivered));
            completion(std::nullopt);
        });
}

void FreedesktopNotificationCenter::remember(uint id, Delivered delivered) {
    forget(id);  // a restarted server may hand out an old id again
    delivered_.emplace(id, std::move(delivered));
    deliveryOrder_.push_back(id);
    // Some servers never report a closed notification: keep only the newest.
    while (delivered_.size() > kMaximumTracked) {
        delivered_.erase(deliveryOrder_.front());
        deliveryOrder_.pop_front();
    }
}

void FreedesktopNotificationCenter::forget(uint id) {
    if (delivered_.erase(id) > 0) {
        deliveryOrder_.erase(std::find(deliveryOrder_.begin(), deliveryOrder_.end(), id));
    }
}

void FreedesktopNotificationCenter::onActionInvoked(uint id, const QString& actionKey) {
    // The signal reaches every client of the server; ids that are not ours are ignored.
    const auto entry = delivered_.find(id);
    if (entry == delivered_.end()) {
        return;
    }
    NotificationResponse response{actionKey.toStdString(), std::move(entry->second.userInfo)};
    // The action is final: the notification is gone or done.
    forget(id);
    if (const auto delegate = delegate_.lock()) {
        delegate->userNotificationCenter(response, [] {});
    }
}

}  // namespace quintrel
