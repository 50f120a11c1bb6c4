// The soak: many refresh cycles of the real app against a service that answers in every way
// it can; resident memory stays flat, and the app never reports a stale or skipped refresh
// it was not given a reason for. QUINTREL_SOAK_CYCLES sets the number of cycles (default
// 300; scripts/soak runs 2000). Built on the end-to-end harness, run by scripts/soak.

#include <cstdlib>
#include <fstream>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

constexpr int kIntervalMs = 250;
// A reply held back this long makes the next one or two ticks find the refresh running.
constexpr int kDelayMs = 600;
constexpr int kDelayedOnline = 90000;  // delayed replies are told apart by their count
constexpr size_t kBaselineCycle = 100;
constexpr long kAllowedGrowthKiB = 2048;

size_t cycleCount() {
    const char* text = std::getenv("QUINTREL_SOAK_CYCLES");
    const long value = text ? std::strtol(text, nullptr, 10) : 0;
    return value > static_cast<long>(kBaselineCycle) ? static_cast<size_t>(value) : 300;
}

// Resident memory of a process in KiB, or -1.
long residentKiB(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

double epochSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The reply for the n-th scripted poll: mostly counts that change, and among them every way
// the service can fail short of the refresh timeout.
nlohmann::json replyFor(size_t n) {
    const int count = static_cast<int>(n % 977);
    const auto success = [&](int online, nlohmann::json extra = nlohmann::json::object()) {
        nlohmann::json body{{"online", online}, {"pv", online * 7 + 3}, {"notify", 0}};
        body.update(extra);
        return nlohmann::json{{"path", kPoll}, {"body", body.dump()}};
    };
    if (n % 20 == 19) {
        auto reply = success(kDelayedOnline + count);
        reply["delay_ms"] = kDelayMs;
        return reply;
    }
    switch (n % 10) {
        case 6:
            return {{"path", kPoll}, {"status", 503}, {"body", "busy"}};
        case 7:
            return {{"path", kPoll}, {"body", n % 20 == 7 ? R"({"online":"5","pv":1})" : "<html>"}};
        case 8:
            return {{"path", kPoll}, {"drop", true}};
        case 9:
            return success(count, {{"notify", 1},
                                   {"notifytitle", "Visitor " + std::to_string(n)},
                                   {"notifydesc", "From somewhere"},
                                   {"notifyurl", "https://q.test/" + std::to_string(n)},
                                   {"notifysound", "media/01"}});
        default:
            return success(count);
    }
}

using SoakTest = E2eTest;

TEST_F(SoakTest, MemoryStaysFlatAndEveryStaleOrSkipLineHasACause) {
    const size_t cycles = cycleCount();
    const auto& server = startNotificationServer();
    // Notifications without sound: the sound switch is off.
    writePreferences({{"qnapicode", kDemoCode}, {"qnplay", 0}});
    size_t scripted = 0;
    const auto scriptAhead = [&](size_t answered) {
        for (; scripted < answered + 20; ++scripted) {
            ASSERT_TRUE(standin().script(replyFor(scripted)));
        }
    };
    scriptAhead(0);
    ASSERT_TRUE(startPanel());
    ASSERT_TRUE(startApp(shortPoll(kIntervalMs)));

    // When each line of the app was printed: after the look before the one that saw it, and
    // before that one. Compared with the delayed replies' times, this tells whether one was
    // pending however late this test got to look.
    std::vector<std::pair<double, double>> printed;
    double lastLook = epochSeconds();
    const auto look = [&] {
        const double now = epochSeconds();
        printed.resize(app().lines().size(), {lastLook, now});
        lastLook = now;
    };
    std::vector<LoggedRequest> polls;
    long baselineKiB = -1;
    const auto pace = std::chrono::milliseconds(500);
    auto progressed = std::chrono::steady_clock::now();
    while (polls.size() < cycles) {
        const auto checked = std::chrono::steady_clock::now();
        waitUntil(
            [&] {
                look();
                return std::chrono::steady_clock::now() - checked >= pace || !app().running();
            },
            kTimeout);
        ASSERT_TRUE(app().running()) << "the app ended after " << polls.size();
        const auto before = polls.size();
        polls = standin().requests(kPoll);
        if (polls.size() > before) {
            progressed = std::chrono::steady_clock::now();
        }
        // A cycle takes well under a second; a minute without one is a hang.
        ASSERT_LT(std::chrono::steady_clock::now() - progressed, 60s)
            << "no poll for a minute after " << polls.size();
        scriptAhead(polls.size());
        if (baselineKiB < 0 && polls.size() >= kBaselineCycle) {
            baselineKiB = residentKiB(app().pid());
        }
    }
    // The last reply handled, and one more tick for what it leaves behind.
    waitUntil([] { return false; }, std::chrono::milliseconds(3 * kIntervalMs + kDelayMs));
    const long endKiB = residentKiB(app().pid());
    look();
    const auto& lines = app().lines();
    polls = standin().requests(kPoll);

    std::cout << "soak: " << polls.size() << " cycles, resident " << baselineKiB
              << " KiB after cycle " << kBaselineCycle << ", " << endKiB << " KiB at the end\n";
    ASSERT_GT(baselineKiB, 0);
    EXPECT_LE(endKiB - baselineKiB, kAllowedGrowthKiB);

    // A skip is the script's doing only while a delayed reply was pending, at most once per
    // tick it held up; a stale completion comes only after a timeout, and no reply here comes
    // near one.
    std::vector<std::pair<double, double>> delayed;
    for (const auto& poll : polls) {
        const auto body = nlohmann::json::parse(poll.body, nullptr, false);
        if (body.is_object() && body.contains("online") && body["online"].is_number_integer() &&
            body["online"].get<int>() >= kDelayedOnline) {
            delayed.emplace_back(poll.time, poll.time + kDelayMs / 1000.0 + 0.5);
        }
    }
    size_t skips = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].find("Ignoring stale Quintrel refresh completion"), std::string::npos)
            << "line " << i;
        if (lines[i].find("Skipping Quintrel refresh") == std::string::npos) {
            continue;
        }
        ++skips;
        const bool explained = std::any_of(delayed.begin(), delayed.end(), [&](const auto& w) {
            return printed[i].first <= w.second && printed[i].second >= w.first;
        });
        EXPECT_TRUE(explained) << "a skip with no delayed reply pending, line " << i;
    }
    EXPECT_LE(skips, delayed.size() * (kDelayMs / kIntervalMs + 1));
    std::cout << "soak: " << delayed.size() << " delayed replies, " << skips << " skip lines, "
              << server.calls.size() << " notifications\n";
    EXPECT_GT(server.calls.size(), 0);
}

}  // namespace
}  // namespace quintrel::e2e
