#include <gtest/gtest.h>

#include "polling/Reply.h"

namespace quintrel {
namespace {

TEST(Reply, DecodingIsStrictAboutTypes) {
    const std::string base = R"("online":1,"pv":2,"notify":0)";
    const auto counts = [](const std::string& online) {
        return R"({"online":)" + online + R"(,"pv":2,"notify":0})";
    };
    const std::string readable[] = {
        "{" + base + "}",
        "{" + base + R"(,"notifytitle":"t","notifydesc":"d","notifyurl":"u","notifysound":"s"})",
        "{" + base + R"(,"notifyurl":null})",
        "{" + base + R"(,"x":{"y":[1,true]},"online2":"z"})",
        R"({"notify":0,"pv":2,"online":1})",
        counts("-5"),
        counts("9223372036854775807"),
        counts("-9223372036854775808"),
        counts("-0"),
        "\xEF\xBB\xBF{" + base + "}",
    };
    for (const auto& body : readable) {
        EXPECT_TRUE(reply::decode(body)) << body;
    }
    const std::string unreadable[] = {
        counts(R"("7")"),
        counts("true"),
        counts("null"),
        counts("1.5"),
        counts("1.0"),
        counts("1e2"),
        counts("9223372036854775808"),
        counts("123456789012345678901234567890"),
        R"({"online":1,"pv":2,"notifytitle":"t","notifydesc":"d","notifyurl":"u","notifysound":"s"})",
        "{" + base + R"(,"notifyurl":0})",
        "{" + base + R"(,"notifytitle":{}})",
        R"({"online":1,"online":2,"pv":2,"notify":0})",
        "{" + base + "}x",
        "{" + base + "}{}",
        "[{" + base + "}]",
        "7",
        "",
        "{" + base + ",\"notifytitle\":\"\xC3\x28\"}",
        "{" + base + ",\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}",
        "<html><body>502 Bad Gateway</body></html>",
    };
    for (const auto& body : unreadable) {
        EXPECT_FALSE(reply::decode(body)) << body.substr(0, 80);
    }
}

TEST(Reply, KeepsValuesAndEmptyTexts) {
    const auto decoded = reply::decode(
        R"({"online":7,"pv":120,"notify":1,"notifytitle":"","notifydesc":"d","notifyurl":null})");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->online, 7);
    EXPECT_EQ(decoded->pv, 120);
    EXPECT_EQ(decoded->notify, 1);
    EXPECT_EQ(decoded->notifytitle, "");
    EXPECT_EQ(decoded->notifydesc, "d");
    EXPECT_EQ(decoded->notifyurl, std::nullopt);
    EXPECT_EQ(decoded->notifysound, std::nullopt);
}

}  // namespace
}  // namespace quintrel
