#include "desktop/tray/QtStatusBar.h"

#include <algorithm>

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QVersionNumber>

#include "desktop/tray/DBusMenu.h"
#include "desktop/tray/NowhereNotice.h"
#include "desktop/tray/OwnerProcessName.h"
#include "desktop/tray/StatusNotifierItem.h"
#include "desktop/tray/TitleIcon.h"
#include "desktop/tray/TrayText.h"

namespace quintrel {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// How soon the check whether any panel shows the item looks again while the watcher has
// not yet answered the registration (it answers or times out within 5 s).
constexpr std::chrono::milliseconds kShownCheckRetry{250};

// Whether Qt would make a tray icon a StatusNotifierItem of its own rather than an XEmbed
// icon. Qt 6.4 does so only while a panel's host is registered, which never happens while
// the fallback is wanted; Qt 6.8 whenever a watcher is on the bus, host or not. Versions
// between are taken to behave like 6.8.
bool qtTrayIconsGoOverDBus(const QDBusConnection& bus) {
    static const bool watcherDecides =
        QVersionNumber::fromString(QString::fromLatin1(qVersion())) >= QVersionNumber(6, 5);
    return watcherDecides && bus.isConnected() &&
           bus.interface()->isServiceRegistered(kWatcherService);
}

QIcon squareIcon(const QString& title, std::optional<std::uint64_t> count) {
    QIcon icon;
    for (const int size : titleicon::kSizes) {
        icon.addPixmap(QPixmap::fromImage(titleicon::square(title, count, size)));
    }
    return icon;
}

}  // namespace

QtStatusItem::QtStatusItem(QDBusConnection bus, std::chrono::milliseconds listedCheckDelay,
                           std::chrono::milliseconds shownCheckDelay)
    : bus_(std::move(bus)) {
    listedCheck_.setSingleShot(true);
    listedCheck_.setInterval(listedCheckDelay);
    connect(&listedCheck_, &QTimer::timeout, this, &QtStatusItem::checkStillListed);
    shownCheck_.setSingleShot(true);
    connect(&shownCheck_, &QTimer::timeout, this, &QtStatusItem::checkShownSomewhere);
    shownCheck_.start(shownCheckDelay);
    if (bus_.isConnected()) {
        item_ = new StatusNotifierItem(bus_, this);
        connect(item_, &StatusNotifierItem::activated, this, &QtStatusItem::activated);
        watcher_ = new QDBusServiceWatcher(kWatcherService, bus_,
                                           QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
            registrationsLeft_ = kRegistrationsAnew;
            registerWithWatcher();
        });
        connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                [this] { setRegistered(false); });
        connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &QtStatusItem::askWhichHost);
        bus_.connect(kWatcherService, kWatcherPath, kWatcherService,
                     QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
        bus_.connect(kWatcherService, kWatcherPath, kWatcherService,
                     QStringLiteral("StatusNotifierItemUnregistered"), this,
                     SLOT(itemUnregistered(QString)));
        if (bus_.interface()->isServiceRegistered(kWatcherService)) {
            askWhichHost();
            registerWithWatcher();
            return;
        }
    }
    showFallback();
}

QtStatusItem::~QtStatusItem() = default;

void QtStatusItem::setTitle(const std::string& title, std::optional<std::uint64_t> count) {
    title_ = QString::fromStdString(title);
    count_ = count;
    if (item_) {
        item_->setTitle(title_, count_);
    }
    if (fallback_) {
        fallback_->setIcon(squareIcon(title_, count_));
        fallback_->setToolTip(title_);
    }
}

void QtStatusItem::setAction(std::function<void()> action) {
    action_ = std::move(action);
}

void QtStatusItem::setMenu(std::vector<StatusMenuEntry> entries) {
    menuEntries_ = std::move(entries);
    if (item_) {
        item_->menu()->setEntries(menuEntries_);
    }
    if (fallback_) {
        buildFallbackMenu();
    }
}

QMenu* QtStatusItem::xembedMenu() const {
    return fallback_ ? fallback_->contextMenu() : nullptr;
}

bool QtStatusItem::iconShowsTitle() const {
    return !item_ || item_->iconShowsTitle();
}

void QtStatusItem::askWhichHost() {
    // Until the answer comes, and for panels not known, the icon carries the title in a
    // square: a number shown twice beats none, and most trays give an item a square slot.
    const int question = ++hostQuestion_;
    if (item_) {
        item_->setHostDrawing(traytext::HostDrawing::squareIcon);
    }
    askOwnerProcessName(bus_, kWatcherService, this, [this, question](const QString& name) {
        if (question == hostQuestion_ && item_) {
            item_->setHostDrawing(traytext::hostDrawing(name.toStdString()));
        }
    });
}

void QtStatusItem::registerWithWatcher() {
    if (!item_ || item_->serviceName().isEmpty()) {
        return;
    }
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    auto* pending = new QDBusPendingCallWatcher(
        bus_.asyncCall(QDBusMessage(call) << item_->serviceName(), 5000), this);
    ++registrationsPending_;
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        --registrationsPending_;
        const bool accepted = !w->isError();
        if (!accepted) {
            qWarning("The tray's StatusNotifierWatcher refused the item: %s",
                     qPrintable(w->error().message()));
        }
        setRegistered(accepted);
    });
}

void QtStatusItem::setRegistered(bool registered) {
    registered_ = registered;
    if (registered) {
        checkForHost();
        listedCheck_.start();
    } else {
        listedCheck_.stop();
        showFallback();
    }
    emit registrationChanged(registered);
}

void QtStatusItem::readWatcherProperty(const QString& name,
                                       std::function<void(const QVariant&)> then) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcherService << name;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(get, 5000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [then = std::move(then)](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *w;
                then(reply.isError() ? QVariant() : reply.value().variant());
            });
}

void QtStatusItem::readHostRegistered(std::function<void(bool)> then) {
    // A watcher that cannot say is taken to have a host.
    readWatcherProperty(QStringLiteral("IsStatusNotifierHostRegistered"),
                        [then = std::move(then)](const QVariant& hostRegistered) {
                            then(!hostRegistered.isValid() || hostRegistered.toBool());
                        });
}

void QtStatusItem::checkForHost() {
    // A watcher with no panel behind it shows nothing: stay in the XEmbed tray as well
    // until a host registers. The XEmbed icon goes only once a host is known, so that one
    // made before the watcher came stays.
    readHostRegistered([this](bool hostRegistered) {
        if (!registered_) {
            return;
        }
        if (hostRegistered) {
            fallback_.reset();
        } else {
            showFallback();
        }
    });
}

// A watcher can accept the item and then drop it while its host sets the item up (GNOME's
// AppIndicator extension does so now and then at start-up): the item is then nowhere,
// and registers anew. A watcher that cannot say is taken to list it.
void QtStatusItem::checkStillListed() {
    readWatcherProperty(QStringLiteral("RegisteredStatusNotifierItems"), [this](const QVariant& v) {
        const QStringList listed = v.toStringList();
        if (v.isValid() && registered_ && registrationsLeft_ > 0 &&
            !std::ranges::any_of(listed, [this](const QString& e) { return namesThisItem(e); })) {
            --registrationsLeft_;
            qWarning(
                "The tray's StatusNotifierWatcher no longer lists the item; registering again");
            registerWithWatcher();
        }
    });
}

// A desktop that shows no tray items (GNOME without its AppIndicator extension) would
// leave the user with no count and no sign of life: say so once, with the popup at hand.
void QtStatusItem::checkShownSomewhere() {
    if (xembedTrayShowsIt()) {
        return;
    }
    // A busy bus or watcher may not have answered yet: its answer decides, not the clock.
    if (registrationsPending_ > 0) {
        shownCheck_.start(kShownCheckRetry);
        return;
    }
    if (!registered_) {
        tellShownNowhere();
        return;
    }
    readHostRegistered([this](bool hostRegistered) {
        if (!hostRegistered && !xembedTrayShowsIt()) {
            tellShownNowhere();
        }
    });
}

bool QtStatusItem::xembedTrayShowsIt() const {
    // Asked only once the XEmbed icon exists: Qt's answer then no longer decides how its
    // tray icons are made.
    return fallback_ && QSystemTrayIcon::isSystemTrayAvailable();
}

void QtStatusItem::tellShownNowhere() {
    qWarning("No panel shows the tray item; telling the user with a notification");
    if (!nowhereNotice_) {
        nowhereNotice_ = new NowhereNotice(
            bus_, [this] { activated(std::nullopt); }, this);
    }
    nowhereNotice_->show();
}

void QtStatusItem::itemUnregistered(const QString& item) {
    if (registered_ && namesThisItem(item)) {
        checkStillListed();
    }
}

// Watchers list an item as its bus name (well-known or unique), alone or before its path.
bool QtStatusItem::namesThisItem(const QString& entry) const {
    if (!item_) {
        return false;
    }
    const QString names[] = {item_->serviceName(), bus_.baseService()};
    return std::ranges::any_of(
        names, [&](const QString& name) { return entry == name || entry.startsWith(name + u'/'); });
}

void QtStatusItem::hostRegistered() {
    if (registered_) {
        fallback_.reset();
    }
}

void QtStatusItem::showFallback() {
    // An XEmbed icon only: where Qt would make a StatusNotifierItem of it, that would be
    // a second item in the panel that comes, and none in an XEmbed tray.
    if (fallback_ || qtTrayIconsGoOverDBus(bus_)) {
        return;
    }
    if (QGuiApplication::platformName() != QLatin1String("xcb") &&
        !QSystemTrayIcon::isSystemTrayAvailable()) {
        qWarning(
            "No panel shows tray items yet; the item appears once a "
            "StatusNotifierWatcher starts");
        return;
    }
    fallback_ = std::make_unique<QSystemTrayIcon>();
    fallback_->setIcon(squareIcon(title_, count_));
    fallback_->setToolTip(title_);
    buildFallbackMenu();
    connect(fallback_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A double click already arrived as its first click; the right button
                // shows the menu where there is one.
                const bool menuShown = reason == QSystemTrayIcon::Context && fallbackMenu_;
                if (reason != QSystemTrayIcon::DoubleClick && !menuShown) {
                    const QRect geometry = fallback_->geometry();
                    activated(geometry.isValid() ? std::optional<QPoint>(geometry.center())
                                                 : std::nullopt);
                }
            });
    fallback_->show();
}

void QtStatusItem::buildFallbackMenu() {
    if (menuEntries_.empty()) {
        fallback_->setContextMenu(nullptr);
        fallbackMenu_.reset();
        return;
    }
    auto menu = std::make_unique<QMenu>();
    for (const StatusMenuEntry& entry : menuEntries_) {
        if (entry.label.empty()) {
            menu->addSeparator();
            continue;
        }
        // QMenu takes "&" for a mnemonic.
        QAction* action = menu->addAction(
            QString::fromStdString(entry.label).replace(u'&', QStringLiteral("&&")));
        action->setEnabled(static_cast<bool>(entry.action));
        connect(action, &QAction::triggered, this, [action = entry.action] {
            if (action) {
                action();
            }
        });
    }
    fallback_->setContextMenu(menu.get());
    fallbackMenu_ = std::move(menu);
}

void QtStatusItem::activated(std::optional<QPoint> position) {
    if (position) {
        lastActivationPosition_ = position;
    }
    if (action_) {
        action_();
    }
}

std::unique_ptr<StatusItem> QtStatusBar::makeStatusItem() {
    auto item = std::make_unique<QtStatusItem>(bus_, listedCheckDelay_, shownCheckDelay_);
    item_ = item.get();
    return item;
}

}  // namespace quintrel
