#pragma once
// Knobs of test builds only, read from QUINTREL_TEST_* variables of the environment: the
// end-to-end tests use them to see inside the real binary. Never built into a user's app.

namespace quintrel {

class AppDelegate;

// QUINTREL_TEST_EXTRA_CA_FILE: PEM certificates the process trusts besides the system's.
// QUINTREL_TEST_STATUS_TEXTS=1: every change of the status texts goes to standard error
// as "status-texts<TAB>last checked<TAB>last error".
// Call before the first request.
void installTestHooks(AppDelegate& delegate);

}  // namespace quintrel
