#pragma once
// The GoogleTest fixture of the end-to-end tests: a fresh Session per test, and every
// process's output printed when a test fails.

#include <gtest/gtest.h>

#include <iostream>

#include "Session.h"

namespace quintrel::e2e {

class E2eTest : public testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<Session>(standinArguments());
        ASSERT_TRUE(session_->ok()) << session_->error();
    }

    void TearDown() override {
        if (HasFailure() && session_) {
            std::cout << session_->diagnostics() << std::flush;
        }
        session_.reset();
    }

    // Override to run the stand-in differently (e.g. with notifications on).
    virtual QStringList standinArguments() const { return {"--notify-every", "0"}; }

    Session& session() { return *session_; }

    // Stores `code` (the demo code by default), starts the panel, then the app.
    void startWithCode(const std::string& code = kDemoCode) {
        session().writePreferences({{"qnapicode", code}});
        ASSERT_TRUE(session().startPanel()) << "the panel did not start";
        ASSERT_TRUE(session().startApp()) << session().app().error();
    }

    // Waits until the first poll has been answered and answers it.
    LoggedRequest firstAnsweredPoll() {
        std::optional<LoggedRequest> poll;
        waitUntil(
            [&] {
                const auto polls = session().standin().requests("/api/chrome.php");
                if (!polls.empty() && polls.front().status != 0) {
                    poll = polls.front();
                }
                return poll.has_value();
            },
            kTimeout);
        if (!poll) {
            ADD_FAILURE() << "no poll was answered";
            return {};
        }
        return *poll;
    }

private:
    std::unique_ptr<Session> session_;
};

}  // namespace quintrel::e2e
