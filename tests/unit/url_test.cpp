#include <gtest/gtest.h>

#include "util/Json.h"
#include "util/Url.h"

namespace quintrel {
namespace {

TEST(PercentEncode, KeepsOnlyUnreservedCharacters) {
    EXPECT_EQ(url::percentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(url::percentEncode(std::string("\0x", 2)), "%00x");
}

TEST(WithQuery, RefusesBasesThatAreNotURLs) {
    for (const char* base :
         {"", "host.test/path", "https://", "https:///path", "https://ho st/", "https://host/?q=1",
          "https://host/#top", "1http://host", "https://user@/x", "https://:443/"}) {
        EXPECT_EQ(url::withQuery(base, {{"a", "b"}}), std::nullopt) << base;
    }
    EXPECT_TRUE(url::withQuery("http://127.0.0.1:8080", {}));
}

TEST(IsWebURL, AcceptsOnlyHttpAndHttpsWithAHost) {
    for (const char* url :
         {"https://quintrel.test/x?y=1", "HTTP://quintrel.test", "http://127.0.0.1:9/"}) {
        EXPECT_TRUE(url::isWebURL(url)) << url;
    }
    for (const char* url :
         {"file:///etc/passwd", "javascript:alert(1)", "quintrel://open", "https:/missing-slash",
          "https://", "https://host/with space", "", "mailto:a@b.test", "https://host\n.test"}) {
        EXPECT_FALSE(url::isWebURL(url)) << url;
    }
}

TEST(JsonParse, RefusesWhatIsNotOneUnambiguousValue) {
    EXPECT_TRUE(json::parse(R"({"a":1,"b":{"a":2}})"));
    EXPECT_TRUE(json::parse("\xEF\xBB\xBF{}"));  // a byte-order mark is tolerated
    for (const std::string& body :
         {std::string(""), std::string("{"), std::string("{} x"), std::string(R"({"a":1,"a":2})"),
          std::string(R"({"o":{"k":1,"k":1}})"), std::string("{\"a\":\"\xFF\"}")}) {
        EXPECT_FALSE(json::parse(body)) << body;
    }
}

TEST(JsonParse, RefusesDeepNestingWithoutRecursing) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(json::parse(deep));
    const std::string fine = std::string(json::kMaxDepth, '[') + std::string(json::kMaxDepth, ']');
    EXPECT_TRUE(json::parse(fine));
    // Brackets inside strings do not count.
    EXPECT_TRUE(json::parse("\"" + std::string(1000, '[') + "\""));
}

}  // namespace
}  // namespace quintrel
