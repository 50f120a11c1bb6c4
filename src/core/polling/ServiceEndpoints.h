#pragma once
// Where the Quintrel service lives, and the fixed paths the system uses on it.

#include <optional>
#include <string>

namespace quintrel {

struct ServiceEndpoints {
    std::string baseURL;    // scheme and web host, no trailing slash
    std::string widgetURL;  // scheme and widget host, no trailing slash

    static constexpr const char* apiPath = "/api/chrome.php";
    static constexpr const char* loginPath = "/login-code.php";
    static constexpr const char* updatePath = "/plugin/?type=mac&v=";
    static constexpr const char* helpPath = "/plugin/?type=api";
    static constexpr const char* privacyPath = "/privacy.php";
    static constexpr const char* termsPath = "/terms.php";

    std::string apiURL() const { return baseURL + apiPath; }
};

// What the application knows about itself.
struct BundleInfo {
    std::optional<std::string> shortVersion;  // "1.0.0"; none when unknown
};

}  // namespace quintrel
