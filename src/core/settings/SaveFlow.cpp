#include "settings/SaveFlow.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "polling/Preferences.h"
#include "settings/QuintrelAPIValidationResponse.h"
#include "util/SecretMasking.h"
#include "util/Text.h"
#include "util/Url.h"

namespace quintrel {

namespace {

void reportFailure(const SaveReports& app, const std::string& errorText) {
    app.showTitle(kCheckAPITitle);
    app.showError(errorText);
}

}  // namespace

std::string cleanedAPICode(std::string_view typed) {
    std::string code(typed);
    std::erase_if(code, [](char c) { return c == ' ' || c == '\r' || c == '\n'; });
    return text::trimmed(code);
}

void saveSettings(const SettingsServices& services, SettingsSnapshot snapshot,
                  SaveTargets targets) {
    if (snapshot.apiCode.empty()) {
        reportFailure(targets.app, "API code is required");
        return;
    }
    targets.app.showTitle("...");
    const auto url =
        url::withQuery(services.service.apiURL(), {{"v", "2"}, {"code", snapshot.apiCode}});
    if (!url) {
        reportFailure(targets.app, "Unable to build API validation URL");
        return;
    }
    // The check keeps its own task handle until its outcome has run, since a dropped
    // handle may end the request; the window that started it may be long gone by then.
    auto heldTask = std::make_shared<std::shared_ptr<HttpTask>>();
    auto task =
        services.http.dataTask(*url, [services, snapshot = std::move(snapshot),
                                      targets = std::move(targets), heldTask](HttpResult result) {
            heldTask->reset();
            applyValidationOutcome(services, snapshot, validationOutcome(result, services.console),
                                   targets);
        });
    *heldTask = task;
    task->resume();
}

ValidationOutcome validationOutcome(const HttpResult& result, Console& console) {
    using Kind = ValidationOutcome::Kind;
    if (result.error) {
        console.printLine("Quintrel API code validation failed: " + *result.error);
    }
    if (result.status && (*result.status < 200 || *result.status > 299)) {
        return {Kind::httpFailure, "API validation HTTP " + std::to_string(*result.status)};
    }
    if (!result.body) {
        return {Kind::noData, result.error.value_or("No data returned")};
    }
    const auto record = QuintrelAPIValidationResponse::decode(*result.body);
    if (!record) {
        console.printLine("Quintrel API code validation reply could not be decoded: " +
                          QuintrelAPIValidationResponse::decodingError(*result.body));
        return {Kind::unreadableReply, validationFailureMessage(*result.body)};
    }
    if (!record->isValid()) {
        return {Kind::rejected, record->validationMessage()};
    }
    return {Kind::success, ""};
}

void applyValidationOutcome(const SettingsServices& services, const SettingsSnapshot& snapshot,
                            const ValidationOutcome& outcome, const SaveTargets& targets) {
    if (outcome.kind != ValidationOutcome::Kind::success) {
        // The service may echo the code it was asked about; a code this short is a typo,
        // and masking it would garble the message.
        constexpr std::size_t kShortestMaskedCode = 8;
        const bool secret = snapshot.apiCode.size() >= kShortestMaskedCode;
        reportFailure(targets.app, maskSecrets(outcome.errorText, secret ? snapshot.apiCode : ""));
        return;
    }
    auto& store = services.preferences;
    store.setString(prefs::apiCode, snapshot.apiCode);
    store.setInteger(prefs::notify, snapshot.notify);
    store.setInteger(prefs::mode, snapshot.mode);
    store.setInteger(prefs::play, snapshot.play);
    store.setInteger(prefs::keepAlive, snapshot.keepAlive);
    store.setInteger(prefs::mute, snapshot.mute);
    // The window is closed before the refresh is asked for.
    targets.closeWindow();
    targets.app.refresh();
}

}  // namespace quintrel
