#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

using fakes::queryItems;
using fakes::queryValue;

class PollURL : public fakes::DelegateFixture {
protected:
    void SetUp() override { storeGoodCode(); }
};

TEST_F(PollURL, HasSevenItemsInFixedOrder) {
    fakes.clock.wall =
        std::chrono::system_clock::time_point(std::chrono::milliseconds(1767341103250));
    const auto built = delegate->getURL();
    ASSERT_TRUE(built);
    EXPECT_EQ(built->substr(0, built->find('?')), "https://quintrel.test/api/chrome.php");
    EXPECT_EQ(queryItems(*built), (fakes::QueryItems{{"v", "2"},
                                                     {"client", "mac"},
                                                     {"code", fakes::kGoodCode},
                                                     {"shownotify", "1"},
                                                     {"keepalive", "1"},
                                                     {"idle", "0"},
                                                     {"nocache", "1767341103.25"}}));
}

TEST_F(PollURL, EncodesAHostileCodeSoItArrivesIntact) {
    fakes.preferences.set(prefs::apiCode,
                          "  a&b=c+d#e f/\u00FC?%x_0123456789012345678901234567 \n");
    const auto built = delegate->getURL();
    ASSERT_TRUE(built);
    EXPECT_EQ(queryValue(*built, "code"),
              "a%26b%3Dc%2Bd%23e%20f%2F%C3%BC%3F%25x_0123456789012345678901234567");
    EXPECT_EQ(built->find('#'), std::string::npos);
    EXPECT_EQ(queryItems(*built).size(), 7u);
}

TEST_F(PollURL, NoneWithoutAConfiguredCode) {
    fakes.preferences.set(prefs::apiCode, std::string(32, 'x'));
    EXPECT_EQ(delegate->getURL(), std::nullopt);
    fakes.preferences.set(prefs::apiCode, std::string(30, 'x') + "   ");
    EXPECT_EQ(delegate->getURL(), std::nullopt);
    fakes.preferences.set(prefs::apiCode, 12345678);
    EXPECT_EQ(delegate->getURL(), std::nullopt);
    EXPECT_EQ(fakes.idleTime.measurements, 0);
}

TEST_F(PollURL, UsesAnUnreadableBaseAsNoURL) {
    auto broken = std::make_shared<AppDelegate>(fakes.platform(), ServiceEndpoints{"not a url", ""},
                                                BundleInfo{});
    EXPECT_EQ(broken->getURL(), std::nullopt);
}

struct Effective {
    const char* name;
    std::optional<nlohmann::json> qnmute, qnkeepalive, qnnotify;
    bool locked;
    double idleSeconds;
    const char *shownotify, *keepalive, *idle;
    bool measures;
};
void PrintTo(const Effective& c, std::ostream* os) {
    *os << c.name;
}

class EffectiveValues : public PollURL, public testing::WithParamInterface<Effective> {};

TEST_P(EffectiveValues, FollowTheSwitchesScreenAndIdleTime) {
    const auto& c = GetParam();
    const auto store = [&](const char* key, const std::optional<nlohmann::json>& value) {
        if (value) {
            fakes.preferences.set(key, *value);
        }
    };
    store(prefs::mute, c.qnmute);
    store(prefs::keepAlive, c.qnkeepalive);
    store(prefs::notify, c.qnnotify);
    delegate->is_screen_active = c.locked ? 0 : 1;
    fakes.idleTime.seconds = c.idleSeconds;

    const auto built = delegate->getURL();
    ASSERT_TRUE(built);
    EXPECT_EQ(queryValue(*built, "shownotify"), c.shownotify);
    EXPECT_EQ(queryValue(*built, "keepalive"), c.keepalive);
    EXPECT_EQ(queryValue(*built, "idle"), c.idle);
    EXPECT_EQ(fakes.idleTime.measurements, c.measures ? 1 : 0);
}

const auto none = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Table, EffectiveValues,
    testing::Values(
        Effective{"fresh_typing", none, none, none, false, 0.0, "1", "1", "0", true},
        Effective{"fresh_locked", none, none, none, true, 0.0, "0", "0", "1", false},
        Effective{"locked_overrides_switches", 1, 1, 5, true, 0.0, "0", "0", "1", false},
        Effective{"mute_text_counts_as_on", "0", none, none, true, 0.0, "0", "0", "1", false},
        Effective{"mute_off_locked", 0, 1, 0, true, 10.0, "0", "1", "0", true},
        Effective{"mute_off_locked_idle", 0, 1, 1, true, 60.0, "1", "1", "1", true},
        Effective{"mute_off_keepalive_off", 0, 0, 1, true, 0.0, "1", "0", "1", false},
        Effective{"mute_other_value_is_off", 2, 1, 1, true, 0.0, "1", "1", "0", true},
        Effective{"keepalive_off_typing", none, 0, none, false, 0.0, "1", "0", "1", false},
        Effective{"keepalive_other_value", none, 7, none, false, 0.0, "1", "7", "1", false},
        Effective{"keepalive_negative", none, -3, none, false, 0.0, "1", "-3", "1", false},
        Effective{"idle_exactly_threshold", none, none, none, false, 50.0, "1", "1", "0", true},
        Effective{"idle_just_above", none, none, none, false, 50.001, "1", "1", "1", true},
        Effective{"notify_passed_on", none, none, 5, false, 0.0, "5", "1", "0", true},
        Effective{"notify_text_is_missing", none, none, "0", false, 0.0, "1", "1", "0", true},
        Effective{"notify_bool_counts", none, none, false, false, 0.0, "0", "1", "0", true},
        Effective{"notify_fraction_is_missing", none, none, 0.5, false, 0.0, "1", "1", "0", true}),
    [](const testing::TestParamInfo<Effective>& info) { return info.param.name; });

TEST_F(PollURL, TwoURLsInARowDifferOnlyInNocache) {
    const auto first = delegate->getURL();
    fakes.clock.wall += std::chrono::microseconds(1500);
    const auto second = delegate->getURL();
    ASSERT_TRUE(first && second);
    EXPECT_NE(queryValue(*first, "nocache"), queryValue(*second, "nocache"));
    EXPECT_EQ(first->substr(0, first->find("&nocache")),
              second->substr(0, second->find("&nocache")));
}

TEST_F(PollURL, ConfiguredCodeCountsCharactersNotBytes) {
    // 32 two-byte characters: 64 bytes, yet not configured.
    std::string umlauts;
    for (int i = 0; i < 32; ++i) {
        umlauts += "\u00FC";
    }
    fakes.preferences.set(prefs::apiCode, umlauts);
    EXPECT_EQ(delegate->configuredAPICode(), std::nullopt);
    fakes.preferences.set(prefs::apiCode, umlauts + "x");
    EXPECT_EQ(delegate->configuredAPICode(), umlauts + "x");
    fakes.preferences.set(prefs::apiCode, "\n " + umlauts + "x\u2028");
    EXPECT_EQ(delegate->configuredAPICode(), umlauts + "x");
    EXPECT_EQ(delegate->storedAPICode(), umlauts + "x");
}

}  // namespace
}  // namespace quintrel
