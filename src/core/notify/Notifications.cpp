// One desktop notification per reply that asks for it, with its own sound.

#include "app/AppDelegate.h"
#include "notify/SoundFiles.h"
#include "polling/Preferences.h"

namespace quintrel {

namespace {

constexpr auto kTriggerDelay = std::chrono::milliseconds(100);

// The name came from the network: a control character in it must not break the line.
std::string printable(std::string text) {
    for (char& ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            ch = '?';
        }
    }
    return text;
}

}  // namespace

void AppDelegate::playSound(const std::string& file, const std::string& ext) {
    const std::string name = normalisedSoundName(file, ext);
    // A name that could reach outside the media folder is treated like a missing file.
    const auto path =
        isMediaResourceName(name) ? platform.resources.urlForResource(name, ext) : std::nullopt;
    if (!path) {
        print("Sound file not found: " + printable(name) + "." + printable(ext));
        return;
    }
    auto loaded = platform.sounds.load(*path);
    if (!loaded.sound) {
        print("Unable to load sound: " + *path);
        return;
    }
    soundPlayer = std::move(loaded.sound);
    soundPlayer->play();
}

void AppDelegate::showNotification(const std::string& notifytitle, const std::string& notifydesc,
                                   const std::string& notifyurl, const std::string& notifysound) {
    auto& center = platform.notificationCenter;
    center.setNotificationCategories({{categoryID, {{"ShowDetail", "Detail"}}}});
    center.getNotificationSettings([self = shared_from_this(), notifytitle, notifydesc, notifyurl,
                                    notifysound](int authorizationStatus) {
        self->expectMainThread();
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
    platform.notificationCenter.requestAuthorization(
        alert | sound | badge,
        [self = shared_from_this(), completionHandler = std::move(completionHandler)](
            bool granted, std::optional<NotificationError> error) {
            self->expectMainThread();
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
    openDetail = notifyurl;

    const bool playSwitch = prefs::switchIsOn(platform.preferences, prefs::play);
    const bool muteWhileLocked = prefs::switchIsOn(platform.preferences, prefs::mute);
    if (playSwitch && (!muteWhileLocked || is_screen_active != 0)) {
        playSound(notifysound, "mp3");
    }

    auto& center = platform.notificationCenter;
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
                   self->expectMainThread();
                   if (error) {
                       self->print("Unable to Add Notification Request (" + error->description +
                                   ", " + error->localizedDescription + ")");
                   }
               });
}

}  // namespace quintrel
