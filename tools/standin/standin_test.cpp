// The stand-in's own logic: simulation, scripted replies, the stats endpoint's answers.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "ChromeApi.h"
#include "ControlQueue.h"
#include "DemoPreferences.h"
#include "Faults.h"
#include "Options.h"
#include "Pages.h"
#include "Query.h"
#include "RequestLog.h"
#include "Simulation.h"

namespace standin {
namespace {

constexpr double kStart = 1'800'000'000.0;
const std::string kSelf = "http://127.0.0.1:47311";

Query pollQuery(const std::string& code, const std::string& shownotify = "1") {
    return parseQuery("v=2&client=mac&code=" + code + "&shownotify=" + shownotify +
                      "&keepalive=1&idle=0&nocache=1800000000.5");
}

TEST(Simulation, SameSeedSameFiguresAndTheyMove) {
    const Simulation a(7, kStart), b(7, kStart);
    std::set<int64_t> seen;
    for (int minute = 0; minute < 30; ++minute) {
        const double t = kStart + minute * 60.0;
        EXPECT_EQ(a.online(t), b.online(t));
        EXPECT_GE(a.online(t), 1);
        seen.insert(a.online(t));
    }
    EXPECT_GT(seen.size(), 5u);
    EXPECT_LE(a.pageViews(kStart), a.pageViews(kStart + 600));
    EXPECT_EQ(a.recentVisitors(kStart, 20).size(), 20u);
    EXPECT_EQ(a.onlineHistory(kStart, 30, 60).back(), a.online(kStart));
}

TEST(Query, KeepsOrderAndDecodes) {
    const auto q = parseQuery("code=a%20b%26c&v=2&empty=&flag");
    ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(names(q), (std::vector<std::string>{"code", "v", "empty", "flag"}));
    EXPECT_EQ(q[0].value, "a b&c");
    EXPECT_EQ(percentDecode("100%"), "100%");
    EXPECT_EQ(htmlEscape("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
}

struct ControlCase {
    const char* name;
    std::string json;
    bool accepted;
};
void PrintTo(const ControlCase& c, std::ostream* os) {
    *os << c.name;
}
class ControlParse : public testing::TestWithParam<ControlCase> {};

TEST_P(ControlParse, AcceptsOnlyWellFormedRequests) {
    std::string error;
    const auto parsed = parseControlRequest(GetParam().json, error);
    EXPECT_EQ(parsed.has_value(), GetParam().accepted) << error;
    EXPECT_EQ(error.empty(), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlParse,
    testing::Values(
        ControlCase{
            "full",
            R"({"path":"/api/chrome.php","status":503,"body":"x","content_type":"text/plain","delay_ms":31000,"drop":false,"count":2})",
            true},
        ControlCase{"delay_only", R"({"path":"/a","delay_ms":60000})", true},
        ControlCase{"no_path", R"({"status":503})", false},
        ControlCase{"relative_path", R"({"path":"api"})", false},
        ControlCase{"delay_too_long", R"({"path":"/a","delay_ms":60001})", false},
        ControlCase{"status_as_text", R"({"path":"/a","status":"503"})", false},
        ControlCase{"unknown_member", R"({"path":"/a","delay":5})", false},
        ControlCase{"redirect", R"({"path":"/a","location":"http://127.0.0.1:1/a"})", true},
        ControlCase{"fault", R"({"path":"/a","fault":"deep_json","count":3})", true},
        ControlCase{"unknown_fault", R"({"path":"/a","fault":"slow"})", false},
        ControlCase{"not_json", "path=/a", false}),
    [](const testing::TestParamInfo<ControlCase>& info) { return info.param.name; });

TEST(Options, ScriptsAndTlsAreCheckedUpFront) {
    std::string error;
    const auto options = parseOptions({"--port", "0", "--tls-cert", "c.pem", "--tls-key", "c.key",
                                       "--script", R"({"path":"/api/chrome.php","location":"/x"})"},
                                      error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->port, 0);
    ASSERT_EQ(options->scripts.size(), 1u);
    EXPECT_TRUE(options->scripts[0].reply.replacesReply());
    EXPECT_FALSE(parseOptions({"--tls-cert", "c.pem"}, error));
    EXPECT_FALSE(parseOptions({"--script", R"({"path":"/a","fault":"none"})"}, error));
    EXPECT_NE(error.find("--script"), std::string::npos) << error;
}

// Each hostile body is faulty in its own way only, so a client that rejects it does so
// for that reason.
TEST(Faults, BodiesAreWhatTheySayAndCarryCountsOfTheirOwn) {
    const auto parse = [](const std::string& body) {
        return nlohmann::json::parse(body, nullptr, false);
    };
    const auto huge = faultBody(Fault::hugeBody);
    EXPECT_EQ(huge.size(), kHugeBodyBytes);
    EXPECT_EQ(parse(huge).at("online"), 9101);
    const auto trickle = faultBody(Fault::trickle);
    EXPECT_EQ(trickle.size(), 3u * kTrickleDuration.count());
    EXPECT_EQ(parse(trickle).at("online"), 9102);
    EXPECT_EQ(parse(faultBody(Fault::reset)).at("online"), 9103);
    auto latin1 = faultBody(Fault::invalidUtf8);
    EXPECT_TRUE(parse(latin1).is_discarded());
    std::replace(latin1.begin(), latin1.end(), '\xe9', 'e');
    EXPECT_EQ(parse(latin1).at("online"), 9104);
    const auto deep = parse(faultBody(Fault::deepJson));
    EXPECT_EQ(deep.at("online"), 9105);
    int depth = 0;
    for (const auto* level = &deep.at("deep"); level->is_array() && !level->empty();
         level = &level->front()) {
        ++depth;
    }
    EXPECT_EQ(depth + 1, kDeepJsonDepth);
}

TEST(ControlQueue, FirstInFirstOutPerPath) {
    ControlQueue queue;
    queue.push("/a", {.status = 503}, 2);
    queue.push("/b", {.delayMs = 10});
    EXPECT_EQ(queue.take("/a", "n=1")->status, 503);
    EXPECT_EQ(queue.take("/b", "n=1")->delayMs, 10);
    EXPECT_TRUE(queue.take("/a", "n=2").has_value());
    EXPECT_FALSE(queue.take("/a", "n=3").has_value());
    queue.push("/a", {});
    queue.clear();
    EXPECT_FALSE(queue.take("/a", "n=4").has_value());
}

// A GET sent again after its connection broke is the same request: it must not use up
// the reply scripted for the next one.
TEST(ControlQueue, ARetriedRequestGetsTheReplyOfItsFirstAttempt) {
    ControlQueue queue;
    queue.push("/a", {.fault = Fault::reset});
    queue.push("/a", {.status = 200, .body = "next"});
    EXPECT_EQ(queue.take("/a", "nocache=1")->fault, Fault::reset);
    EXPECT_EQ(queue.take("/a", "nocache=1")->fault, Fault::reset);
    EXPECT_EQ(queue.take("/b", "nocache=1"), std::nullopt);  // other paths keep their own
    EXPECT_EQ(queue.take("/a", "nocache=2")->body, "next");
    EXPECT_FALSE(queue.take("/a", "nocache=3").has_value());
    EXPECT_FALSE(queue.take("/a", "nocache=3").has_value());  // unscripted stays unscripted
}

TEST(RequestLog, RepliesAfterAClearLandNowhere) {
    RequestLog log;
    const auto first = log.add({"GET", "/x", "a=1", 1.0, 0, {}});
    log.clear();
    const auto second = log.add({"GET", "/y", "", 2.0, 0, {}});
    log.setReply(first, 500, "late");
    log.setReply(second, 200, "ok");
    const auto entries = nlohmann::json::parse(log.toJson());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["path"], "/y");
    EXPECT_EQ(entries[0]["status"], 200);
}

TEST(ChromeApi, PollAnswersCountsForKnownCodesOnly) {
    const Simulation sim(1, kStart);
    ChromeApi api(sim, {kDemoCode}, 0);
    const auto ok = api.handle(pollQuery(kDemoCode), kStart, kSelf);
    EXPECT_EQ(ok.status, 200);
    const auto body = nlohmann::json::parse(ok.body);
    EXPECT_EQ(body["online"], sim.online(kStart));
    EXPECT_EQ(body["notify"], 0);
    EXPECT_EQ(api.handle(pollQuery("nope"), kStart, kSelf).status, 403);
    // Items out of order are not the client's request.
    EXPECT_EQ(api.handle(parseQuery("client=mac&v=2&code=x&shownotify=1&keepalive=1&idle=0&"
                                    "nocache=1.0"),
                         kStart, kSelf)
                  .status,
              400);
}

TEST(ChromeApi, EveryNthNotifyingPollAsksForANotificationWithAllFourTexts) {
    const Simulation sim(1, kStart);
    ChromeApi api(sim, {kDemoCode}, 2);
    std::vector<std::string> sounds;
    for (int i = 0; i < 6; ++i) {
        // Polls that do not want notifications neither get one nor count.
        const auto quiet =
            nlohmann::json::parse(api.handle(pollQuery(kDemoCode, "0"), kStart, kSelf).body);
        EXPECT_EQ(quiet["notify"], 0);
        const auto body =
            nlohmann::json::parse(api.handle(pollQuery(kDemoCode), kStart, kSelf).body);
        if (body["notify"] == 1) {
            for (const auto* key : {"notifytitle", "notifydesc", "notifyurl", "notifysound"}) {
                EXPECT_TRUE(body[key].is_string()) << key;
            }
            EXPECT_TRUE(body["notifyurl"].get<std::string>().starts_with(kSelf + "/alert.php"));
            sounds.push_back(body["notifysound"]);
        }
    }
    EXPECT_EQ(sounds, (std::vector<std::string>{"media/01", "media/02", "media/01"}));
}

struct ValidationCase {
    const char* name;
    std::string code;
    std::string contentType;
    std::string bodyStart;
};
void PrintTo(const ValidationCase& c, std::ostream* os) {
    *os << c.name;
}
class Validation : public testing::TestWithParam<ValidationCase> {};

TEST_P(Validation, AnswersLikeTheService) {
    const Simulation sim(1, kStart);
    ChromeApi api(sim, {kDemoCode}, 0);
    const auto reply = api.handle({{"v", "2"}, {"code", GetParam().code}}, kStart, kSelf);
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.contentType.starts_with(GetParam().contentType));
    EXPECT_TRUE(reply.body.starts_with(GetParam().bodyStart)) << reply.body;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Validation,
    testing::Values(ValidationCase{"demo", kDemoCode, "application/json",
                                   R"({"error":0,"notify":0,"online":)"},
                    ValidationCase{"error_code", "wrongcode", "application/json", R"({"error":3})"},
                    ValidationCase{"message", "wrongmsgcode", "application/json",
                                   R"({"error":"Invalid API code","msg":"Unknown API code"})"},
                    ValidationCase{"html_page", "wronghtmlcode", "text/html", "<!DOCTYPE html>"}),
    [](const testing::TestParamInfo<ValidationCase>& info) { return info.param.name; });

TEST(Pages, WidgetsAreSelfContainedAndEscapeTheCode) {
    const Simulation sim(1, kStart);
    for (const auto* path :
         {"/widget/wp3.2.php", "/widget/wp-map.php", "/widget/wp-dashboard.php"}) {
        const auto reply =
            page(path, {{"code", kDemoCode}, {"archive", "1"}}, kStart, sim, {kDemoCode}, kSelf);
        ASSERT_TRUE(reply.has_value()) << path;
        EXPECT_NE(reply->body.find("target=\"_blank\""), std::string::npos) << path;
        EXPECT_EQ(reply->body.find("src="), std::string::npos) << path;
    }
    const auto hostile =
        page("/plugin/", {{"type", "mac"}, {"v", "<script>"}}, kStart, sim, {kDemoCode}, kSelf);
    EXPECT_EQ(hostile->body.find("<script>"), std::string::npos);
    EXPECT_FALSE(page("/nothing", {}, kStart, sim, {kDemoCode}, kSelf).has_value());
}

class DemoCode : public testing::Test {
protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() / ("standin-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string write(const std::string& text) {
        const auto path = (dir_ / "quintrel" / "preferences.json").string();
        std::filesystem::create_directories(dir_ / "quintrel");
        std::ofstream(path) << text;
        return path;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::filesystem::path dir_;
};

TEST_F(DemoCode, FillsAMissingFileOrCodeAndKeepsOtherValues) {
    const auto fresh = (dir_ / "new" / "quintrel" / "preferences.json").string();
    EXPECT_EQ(storeDemoCode(fresh).code, kDemoCode);
    EXPECT_EQ(nlohmann::json::parse(read(fresh))["qnapicode"], kDemoCode);
    struct stat info {};
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const auto path = write(R"({"qnapicode":"","qnmode":1,"qnnotify":0})");
    EXPECT_EQ(storeDemoCode(path).code, kDemoCode);
    const auto stored = nlohmann::json::parse(read(path));
    EXPECT_EQ(stored["qnmode"], 1);
    EXPECT_EQ(stored["qnnotify"], 0);
}

TEST_F(DemoCode, NeverOverwritesTheUsersCodeOrAnUnreadableFile) {
    const auto own = write(R"({"qnapicode":"mine","qnmode":1})");
    EXPECT_EQ(storeDemoCode(own).code, "mine");
    EXPECT_EQ(read(own), R"({"qnapicode":"mine","qnmode":1})");

    const auto broken = write("{not json");
    EXPECT_FALSE(storeDemoCode(broken).code.has_value());
    EXPECT_EQ(read(broken), "{not json");
}

}  // namespace
}  // namespace standin
