// The portable text helpers: trimming, characters, cutting, times, secret masking, short
// counts and rate budgets.

#include <gtest/gtest.h>

#include <cstdlib>

#include <unicode/uchar.h>

#include "util/RateBudget.h"
#include "util/SecretMasking.h"
#include "util/ShortCount.h"
#include "util/Text.h"

namespace quintrel::text {
namespace {

TEST(Trimmed, RemovesEveryUnicodeWhiteSpaceAtBothEndsOnly) {
    // Every White_Space character beyond ASCII.
    const std::string some = "\u0085\u00A0\u1680\u2000\u2001\u2002\u2003\u2004\u2005";
    const std::string more = "\u2006\u2007\u2008\u2009\u200A\u2028\u2029\u202F\u205F\u3000";
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"   ", ""},
        {" \t\n\v\f\rcode\r\n", "code"},
        {some + "code" + some, "code"},
        {more + "code" + more, "code"},
        {" in\tside ", "in\tside"},  // inner spaces stay
        // Zero-width space, byte-order mark, Mongolian vowel separator: not white space.
        {"\u200B\uFEFF\u180Ecode", "\u200B\uFEFF\u180Ecode"},
        {"\xFF code \xFE", "\xFF code \xFE"},  // invalid bytes are kept, not eaten
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(trimmed(input), expected) << input;
    }
}

// ASCII is answered without ICU; it must answer as ICU's White_Space property does.
TEST(Trimmed, AsciiWhiteSpaceIsWhatIcuSays) {
    for (char32_t c = 1; c < 0x80; ++c) {
        const std::string around =
            std::string(1, static_cast<char>(c)) + "x" + std::string(1, static_cast<char>(c));
        EXPECT_EQ(trimmed(around) == "x", static_cast<bool>(u_isUWhiteSpace(c)))
            << static_cast<int>(c);
    }
}

TEST(Graphemes, CountWhatAPersonSeesAsOneCharacter) {
    EXPECT_EQ(graphemeCount("\u00E9t\u00E9"), 3u);    // precomposed
    EXPECT_EQ(graphemeCount("e\u0301te\u0301"), 3u);  // combining accents
    EXPECT_EQ(graphemeCount("\U0001F468\u200D\U0001F469\u200D\U0001F467"), 1u);  // family
    EXPECT_EQ(graphemeCount("\U0001F1E9\U0001F1EA"), 1u);                        // flag
}

// Plain ASCII takes a shorter road than other text; both must agree on where clusters end.
TEST(Graphemes, AsciiCountsAsTheFullRulesDo) {
    const struct {
        std::string text;
        std::size_t count;
    } cases[] = {{"a", 1},        {"\r\n", 1},    {"\n\r", 2},  {"\r\r\n", 2},  {"a\r\nb", 3},
                 {"\r\n\r\n", 2}, {"\t \x01", 3}, {"abc\r", 4}, {"\x7f\r\n", 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(graphemeCount(c.text), c.count) << testing::PrintToString(c.text);
        // A precomposed letter adds one cluster and sends the text down the full rules.
        EXPECT_EQ(graphemeCount(c.text + "\u00E9"), c.count + 1) << testing::PrintToString(c.text);
    }
}

TEST(Ellipsized, CutsLongTextsToExactlyTheLimit) {
    const std::string seventyTwo(72, 'x');
    EXPECT_EQ(ellipsized(seventyTwo, 72), seventyTwo);
    EXPECT_EQ(ellipsized(seventyTwo + "y", 72), std::string(69, 'x') + "...");
    // Counted and cut in characters: five accented letters of three bytes each.
    const std::string accents = "e\u0301e\u0301e\u0301e\u0301e\u0301";
    EXPECT_EQ(ellipsized(accents, 5), accents);
    EXPECT_EQ(ellipsized(accents, 4), "e\u0301...");
}

TEST(LocalDateTime, UsesTheLocalTimeZone) {
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    // 2026-01-02 08:05:03 UTC is 09:05:03 in Berlin.
    const auto moment = std::chrono::system_clock::time_point(std::chrono::seconds(1767341103));
    EXPECT_EQ(localDateTime(moment), "2026-01-02 09:05:03");
    ::unsetenv("TZ");
    ::tzset();
}

TEST(ShortCount, RoundsDownAndNeverReadsMoreThanTheCount) {
    EXPECT_EQ(kShortCountFrom, 1000u);
    const std::pair<std::uint64_t, std::string> cases[] = {
        {1000, "1.0k"},      {9999, "9.9k"},       {10000, "10k"},       {15027, "15k"},
        {999999, "999k"},    {1000000, "1.0M"},    {1234567, "1.2M"},
        {999999999, "999M"}, {1500000000, "1.5G"}, {9999999999999999999u, "9.9E"},
        {UINT64_MAX, "18E"},
    };
    for (const auto& [count, shortened] : cases) {
        EXPECT_EQ(shortCount(count), shortened) << count;
    }
}

TEST(SecretMasking, HidesCodeQueryItemsAndTheStoredCode) {
    const struct {
        const char *line, *storedCode, *expected;
    } cases[] = {
        // Qt's own warning when no browser can be found.
        {"Unable to detect a web browser to launch 'https://q.test/dash?code=Abc123&v=2'", "",
         "Unable to detect a web browser to launch 'https://q.test/dash?code=***&v=2'"},
        {"GET http://h/api?v=2&client=mac&code=S3cr%2Bt#frag", "",
         "GET http://h/api?v=2&client=mac&code=***#frag"},
        {"u=https://h/?CODE=x y", "", "u=https://h/?CODE=*** y"},
        {"next=https%3A%2F%2Fh%2F%3Fcode%3Dsecret%26v%3D2", "",
         "next=https%3A%2F%2Fh%2F%3Fcode%3D***%26v%3D2"},
        {"?code=&v=1", "", "?code=&v=1"},
        // Other items that end in "code" are not the API code.
        {"?zipcode=12345&qrcode=x", "", "?zipcode=12345&qrcode=x"},
        {"no secrets here", "", "no secrets here"},
        // The stored code wherever it stands, also percent-encoded.
        {"reply for Abc123: 401", "Abc123", "reply for ***: 401"},
        {"Abc123Abc123", "Abc123", "******"},
        {"x=a%2Bb%2Fc a+b/c", "a+b/c", "x=*** ***"},
        {"nothing of it", "Abc123", "nothing of it"},
    };
    for (const auto& [line, storedCode, expected] : cases) {
        EXPECT_EQ(maskSecrets(line, storedCode), expected) << line;
    }
}

// At most `count` events in any window; one leaves it exactly when its age reaches it.
TEST(RateBudget, TakesAtMostCountInAnyWindow) {
    using namespace std::chrono_literals;
    RateBudget budget(2, 60s);
    const RateBudget::TimePoint start{};
    const std::pair<std::chrono::milliseconds, bool> takes[] = {
        {0ms, true}, {10s, true}, {20s, false}, {59999ms, false}, {60s, true}, {61s, false},
        {70s, true},
    };
    for (const auto& [at, taken] : takes) {
        EXPECT_EQ(budget.take(start + at), taken) << at.count();
    }
}

}  // namespace
}  // namespace quintrel::text
