// The line protocol between the app and the dashboard helper.

#include <gtest/gtest.h>

#include "popover/DashboardMessages.h"

namespace quintrel::popover {
namespace {

TEST(DashboardMessages, EveryTypeRoundTrips) {
    using T = MessageType;
    const struct {
        Sender from;
        DashboardMessage message;
    } cases[] = {
        {Sender::app, {T::config, {"https://widgets.example:8443"}}},
        {Sender::app, {T::show, {"-20", "1079", "2"}}},
        {Sender::app, {T::show, {"0", "0", "-1"}}},
        {Sender::app, {T::hide, {}}},
        {Sender::app, {T::load, {"https://w.example/widget/wp-map.php?code=a%20b&archive=1"}}},
        {Sender::app, {T::noCode, {}}},
        // Texts with spaces, '%', an empty field, a lone "-", non-ASCII and control bytes.
        {Sender::app, {T::status, {"Last checked: 2026-12-07 10:00:00", ""}}},
        {Sender::app, {T::status, {"-", "Last error: 50% \"é\"\tx\r\ny"}}},
        {Sender::app, {T::quit, {}}},
        {Sender::helper, {T::ready, {}}},
        {Sender::helper, {T::tab, {"1"}}},
        {Sender::helper, {T::button, {"privacy"}}},
        {Sender::helper, {T::open, {"https://elsewhere.example/a b"}}},
        {Sender::helper, {T::hidden, {}}},
        {Sender::helper, {T::loaded, {"0"}}},
    };
    for (const auto& c : cases) {
        const std::string line = formatMessage(c.message);
        ASSERT_EQ(line.back(), '\n');
        const std::string_view body(line.data(), line.size() - 1);
        EXPECT_EQ(body.find('\n'), std::string_view::npos) << body;
        const auto parsed = parseMessage(body, c.from);
        ASSERT_TRUE(parsed.message) << body << ": " << parsed.error;
        EXPECT_EQ(*parsed.message, c.message) << body;
    }
}

TEST(DashboardMessages, RefusesBadLines) {
    const struct {
        Sender from;
        std::string line;
    } cases[] = {
        {Sender::app, ""},
        {Sender::app, "q1"},
        {Sender::app, "q2 hide"},  // another version
        {Sender::app, "Q1 hide"},
        {Sender::app, "q1 explode"},  // unknown type
        {Sender::app, "q1 ready"},    // the helper's message, from the app
        {Sender::helper, "q1 quit"},  // the app's message, from the helper
        {Sender::app, "q1 hide "},    // trailing space is a field
        {Sender::app, "q1  hide"},
        {Sender::app, "q1 load"},  // truncated
        {Sender::app, "q1 show 1 2"},
        {Sender::app, "q1 load a b"},          // too many fields
        {Sender::app, "q1 load -"},            // empty URL
        {Sender::app, "q1 load http://x/%4"},  // truncated escape
        {Sender::app, "q1 load http://x/%zz"},
        {Sender::app, "q1 load http://x/\x01"},  // raw control byte
        {Sender::app, "q1 show 1 2 3"},          // no such segment
        {Sender::app, "q1 show x 2 0"},
        {Sender::app, "q1 show 1 99999999999999999999 0"},
        {Sender::helper, "q1 tab 1.5"},
        {Sender::helper, "q1 button format"},
        {Sender::helper, "q1 loaded yes"},
        {Sender::app, "q1 load https://x/" + std::string(kMaxMessageLine, 'a')},  // oversized
    };
    for (const auto& c : cases) {
        const auto parsed = parseMessage(c.line, c.from);
        EXPECT_FALSE(parsed.message) << c.line;
        EXPECT_FALSE(parsed.error.empty()) << c.line;
    }
}

TEST(DashboardMessages, OnlyTheHandshakeBeforeItAndNeverAgain) {
    EXPECT_FALSE(stateError(MessageType::config, false));
    EXPECT_FALSE(stateError(MessageType::ready, false));
    EXPECT_TRUE(stateError(MessageType::load, false));
    EXPECT_TRUE(stateError(MessageType::tab, false));
    EXPECT_TRUE(stateError(MessageType::config, true));
    EXPECT_TRUE(stateError(MessageType::ready, true));
    EXPECT_FALSE(stateError(MessageType::show, true));
}

}  // namespace
}  // namespace quintrel::popover
