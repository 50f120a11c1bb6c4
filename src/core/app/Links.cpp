// Pages of the service opened in the user's browser.

#include "app/AppDelegate.h"
#include "util/Url.h"

namespace quintrel {

std::optional<std::string> AppDelegate::dashboardURL() const {
    const auto code = configuredAPICode();
    if (!code) {
        return std::nullopt;
    }
    return url::withQuery(service.baseURL + ServiceEndpoints::loginPath, {{"code", *code}});
}

void AppDelegate::opendashboard() {
    if (const auto page = dashboardURL()) {
        platform.browser.openURL(*page);
    } else {
        settingView();
    }
}

void AppDelegate::checkupdate() {
    // The version is appended as it is, unencoded; a version that breaks the URL opens nothing.
    const std::string page =
        service.baseURL + ServiceEndpoints::updatePath + bundle.shortVersion.value_or("");
    if (url::isWebURL(page)) {
        platform.browser.openURL(page);
    }
}

}  // namespace quintrel
