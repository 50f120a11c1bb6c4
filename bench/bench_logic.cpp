// Hot paths of the logic, so that a regression shows: decoding a poll reply and building
// the poll URL happen every 45 s for the life of the process.

#include <benchmark/benchmark.h>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"
#include "polling/Reply.h"

namespace {

using namespace quintrel;

void BM_DecodeReply(benchmark::State& state) {
    const std::string body =
        R"({"online":1234,"pv":98765,"notify":1,"notifytitle":"New visitor from Lisbon",)"
        R"("notifydesc":"Someone is reading /pricing","notifyurl":"https://quintrel.test/v/1",)"
        R"("notifysound":"media/01","extra":{"a":[1,2,3],"b":"x"}})";
    for (auto _ : state) {
        benchmark::DoNotOptimize(reply::decode(body));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_DecodeReply);

void BM_RefuseUnreadableReply(benchmark::State& state) {
    const std::string body = "<html><body>" + std::string(2000, 'x') + "</body></html>";
    for (auto _ : state) {
        benchmark::DoNotOptimize(reply::decode(body));
    }
}
BENCHMARK(BM_RefuseUnreadableReply);

void BM_PollURL(benchmark::State& state) {
    fakes::FakePlatform fakes;
    fakes.preferences.set(prefs::apiCode, "abc&def=ghi jkl\u00FC0123456789012345678901234");
    const auto delegate = fakes.makeDelegate();
    for (auto _ : state) {
        benchmark::DoNotOptimize(delegate->getURL());
    }
}
BENCHMARK(BM_PollURL);

}  // namespace

BENCHMARK_MAIN();
