#include <gtest/gtest.h>

#include <map>

#include "fakes/FakeDesktop.h"
#include "polling/EndpointOverrides.h"

namespace quintrel {
namespace {

const ServiceEndpoints kDefaults{"https://www.quintrel.com", "https://widgets.quintrel.com"};

struct Case {
    const char* value;
    const char* expected;  // the service URL in effect
};

TEST(EndpointOverrides, TakesOnlyBareWebURLs) {
    const Case cases[] = {
        {"http://127.0.0.1:47311", "http://127.0.0.1:47311"},
        {"https://staging.example.com/", "https://staging.example.com"},
        {"https://example.com/quintrel//", "https://example.com/quintrel"},
        {"", "https://www.quintrel.com"},
        {"file:///etc/passwd", "https://www.quintrel.com"},
        {"example.com", "https://www.quintrel.com"},
        {"https://", "https://www.quintrel.com"},
        {"https://example.com/?key=1", "https://www.quintrel.com"},
        {"https://example.com/#x", "https://www.quintrel.com"},
        {"https://exa mple.com", "https://www.quintrel.com"},
        // Plain http only to this machine: the API code must not cross the network in clear.
        {"http://127.3.2.1/q", "http://127.3.2.1/q"},
        {"HTTP://LocalHost:8080", "HTTP://LocalHost:8080"},
        {"http://[::1]:47311", "http://[::1]:47311"},
        {"http://staging.example.com", "https://www.quintrel.com"},
        {"http://192.168.1.20:47311", "https://www.quintrel.com"},
        {"http://127.0.0.1.example.com", "https://www.quintrel.com"},
        {"http://localhost.example.com", "https://www.quintrel.com"},
        {"http://127.0.0.1@example.com", "https://www.quintrel.com"},
        {"http://128.0.0.1", "https://www.quintrel.com"},
        {"http://127.0.0.256", "https://www.quintrel.com"},
        {"http://[::2]", "https://www.quintrel.com"},
    };
    for (const auto& [value, expected] : cases) {
        fakes::RecordingConsole console;
        const auto endpoints = withEndpointOverrides(
            kDefaults,
            [&](const char* name) -> std::optional<std::string> {
                if (std::string(name) == kServiceURLVariable) {
                    return value;
                }
                return std::nullopt;
            },
            console);
        EXPECT_EQ(endpoints.baseURL, expected) << value;
        EXPECT_EQ(endpoints.widgetURL, kDefaults.widgetURL) << value;
        // Every value that is set and not taken is reported, never silently dropped.
        const bool ignored = *value != '\0' && std::string(expected) == kDefaults.baseURL;
        EXPECT_EQ(console.lines().size(), *value == '\0' ? 0U : 1U) << value;
        if (ignored) {
            EXPECT_NE(console.lines().at(0).find("Ignoring QUINTREL_SERVICE_URL"),
                      std::string::npos);
        }
    }
}

TEST(EndpointOverrides, EachHostIsIndependent) {
    fakes::RecordingConsole console;
    const std::map<std::string, std::string> environment{
        {kServiceURLVariable, "not a url"}, {kWidgetURLVariable, "http://localhost:47311"}};
    const auto endpoints = withEndpointOverrides(
        kDefaults,
        [&](const char* name) -> std::optional<std::string> {
            const auto found = environment.find(name);
            return found == environment.end() ? std::nullopt
                                              : std::optional<std::string>(found->second);
        },
        console);
    EXPECT_EQ(endpoints.baseURL, kDefaults.baseURL);
    EXPECT_EQ(endpoints.widgetURL, "http://localhost:47311");
}

}  // namespace
}  // namespace quintrel
