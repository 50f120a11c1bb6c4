// One desktop notification per reply that asks for it, with its own sound.

#include "app/AppDelegate.h"
#include "polling/Preferences.h"

namespace quintrel {

namespace {
constexpr auto kTriggerDelay = std::chrono::milliseconds(100);
}

void AppDelegate::showNotification(const std::string& notifytitle, const std::string& notifydesc,
                                   const std::string& notifyurl, const std::string& notifysound) {
    center.setNotificationCategories({{categoryID, {{"ShowDetail", "Detail"}}}});
    center.getNotificationSettings([self = shared_from_this(), notifytitle, notifydesc, notifyurl,
                                    notifysound](int authorizationStatus) {
        switch (authorizationStatus) {
            case AuthorizationStatus::notDetermined:
                self->requestAuthorization(
                    [self, notifytitle, notifydesc, notifyurl, notifysound](bool granted) {
                        if (granted) {
                            self->scheduleLocalNotification(notifytitle, notifydesc, notifyurl,
                                                            notifysound);
                        }
                    });
                break;
            case AuthorizationStatus::denied:
                self->print("Application Not Allowed to Display Notifications");
                break;
            case AuthorizationStatus::authorized:
                self->scheduleLocalNotification(notifytitle, notifydesc, notifyurl, notifysound);
                break;
            case AuthorizationStatus::provisional:
                self->changeStatusBarButton("P");
                break;
            default:
                self->changeStatusBarButton("D");
                break;
        }
    });
}

void AppDelegate::requestAuthorization(std::function<void(bool granted)> completionHandler) {
    using namespace AuthorizationOptions;
    center.requestAuthorization(
        alert | sound | badge,
        [self = shared_from_this(), completionHandler = std::move(completionHandler)](
            bool granted, std::optional<NotificationError> error) {
            if (error) {
                self->print("Request Authorization Failed (" + error->description + ", " +
                            error->localizedDescription + ")");
            }
            completionHandler(granted);
        });
}

void AppDelegate::scheduleLocalNotification(const std::string& notifytitle,
                                            const std::string& notifydesc,
                                            const std::string& notifyurl,
                                            const std::string& notifysound) {
    if (!platform.mainQueue.isMainThread()) {
        platform.mainQueue.async(
            [self = shared_from_this(), notifytitle, notifydesc, notifyurl, notifysound] {
                self->scheduleLocalNotification(notifytitle, notifydesc, notifyurl, notifysound);
            });
        return;
    }
    openDetail = notifyurl;

    const bool playSwitch = prefs::switchIsOn(platform.preferences, prefs::play);
    const bool muteWhileLocked = prefs::switchIsOn(platform.preferences, prefs::mute);
    if (playSwitch && (!muteWhileLocked || is_screen_active != 0)) {
        playSound(notifysound, "mp3");
    }

    center.setDelegate(weak_from_this());
    NotificationRequest request{
        .identifier = "quintrel_notification_" + platform.uuids.make().toString(),
        .title = notifytitle,
        .body = notifydesc,
        .userInfo = {{notificationURLUserInfoKey, notifyurl}},
        .categoryIdentifier = categoryID,
        .delay = kTriggerDelay,
    };
    center.add(std::move(request),
               [self = shared_from_this()](std::optional<NotificationError> error) {
                   if (error) {
                       self->print("Unable to Add Notification Request (" + error->description +
                                   ", " + error->localizedDescription + ")");
                   }
               });
}

}  // namespace quintrel
