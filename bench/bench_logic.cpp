// Hot paths of the logic, so that a regression shows: decoding a poll reply and building
// the poll URL happen every 45 s for the life of the process; decoding the answer to an
// API-code check happens on every save of the settings.

#include <benchmark/benchmark.h>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"
#include "polling/Reply.h"
#include "settings/QuintrelAPIValidationResponse.h"

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

void BM_DecodeValidation(benchmark::State& state) {
    const std::string body =
        R"({"error":0,"msg":"API code accepted for quintrel.test","online":"12","pv":3456,)"
        R"("notify":true,"site":{"name":"quintrel.test","plan":"pro"}})";
    for (auto _ : state) {
        benchmark::DoNotOptimize(QuintrelAPIValidationResponse::decode(body));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_DecodeValidation);

// A refused code whose reply is no JSON: the message shown is derived from the raw body.
void BM_ValidationFailureMessage(benchmark::State& state) {
    const std::string body = "  <html><head><title>502 Bad Gateway</title></head><body>" +
                             std::string(4000, 'x') + "</body></html>\n";
    for (auto _ : state) {
        benchmark::DoNotOptimize(QuintrelAPIValidationResponse::decode(body));
        benchmark::DoNotOptimize(validationFailureMessage(body));
    }
}
BENCHMARK(BM_ValidationFailureMessage);

}  // namespace

BENCHMARK_MAIN();
