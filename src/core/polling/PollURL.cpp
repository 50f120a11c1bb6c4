#include <chrono>

#include "app/AppDelegate.h"
#include "polling/Preferences.h"
#include "util/Text.h"
#include "util/Url.h"

namespace quintrel {

std::optional<std::string> AppDelegate::getURL() const {
    const auto code = configuredAPICode();
    if (!code) {
        return std::nullopt;
    }
    const auto& store = platform.preferences;
    std::int64_t shownotify = prefs::integer(store, prefs::notify).value_or(1);
    std::int64_t keepalive = prefs::integer(store, prefs::keepAlive).value_or(1);
    const bool quietWhileLocked = prefs::switchIsOn(store, prefs::mute);

    std::string idle;
    if (quietWhileLocked && is_screen_active == 0) {
        shownotify = 0;
        keepalive = 0;
        idle = "1";
    } else if (keepalive == 1) {
        idle = platform.idleTime.secondsSinceLastInput() > idleThresholdSeconds ? "1" : "0";
    } else {
        idle = "1";
    }

    // Whole seconds and the fraction apart, so the double is the one nearest the real time.
    const auto sinceEpoch = platform.clock.now().time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const double now = static_cast<double>(seconds.count()) +
                       std::chrono::duration<double>(sinceEpoch - seconds).count();
    return url::withQuery(service.apiURL(), {
                                                {"v", "2"},
                                                {"client", "mac"},
                                                {"code", *code},
                                                {"shownotify", std::to_string(shownotify)},
                                                {"keepalive", std::to_string(keepalive)},
                                                {"idle", idle},
                                                {"nocache", text::shortestDecimal(now)},
                                            });
}

}  // namespace quintrel
