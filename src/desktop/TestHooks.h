#pragma once
// Knobs of test builds only, read from QUINTREL_TEST_* variables of the environment: the
// end-to-end tests use them to see inside the real binary. Never built into a user's app.

#include <chrono>
#include <optional>

#include "app/AppDelegate.h"

namespace quintrel {

// QUINTREL_TEST_POLL_INTERVAL_MS, QUINTREL_TEST_REFRESH_TIMEOUT_MS and
// QUINTREL_TEST_DASHBOARD_KEEP_MS: shorter timers, in milliseconds (at least 1).
struct TestTimers {
    DelegateOptions delegate;
    std::optional<std::chrono::milliseconds> dashboardKeep;
};
TestTimers testTimers();

// QUINTREL_TEST_EXTRA_CA_FILE: PEM certificates the process trusts besides the system's.
// QUINTREL_TEST_STATUS_TEXTS=1: every change of the status texts goes to standard error
// as "status-texts<TAB>last checked<TAB>last error", for as long as the result lives.
// Call before the first request.
[[nodiscard]] StatusModel::Subscription installTestHooks(AppDelegate& delegate);

}  // namespace quintrel
