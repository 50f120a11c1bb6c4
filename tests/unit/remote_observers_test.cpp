// What the desktop's remote interfaces see of the title and the status texts, on fakes.

#include "fakes/DelegateFixture.h"
#include "util/Text.h"

namespace quintrel {
namespace {

class RemoteObservers : public fakes::DelegateFixture {
protected:
    void SetUp() override {
        delegate->titleObserver = [this](const std::string& title) {
            titles.push_back(title);
        };
        delegate->statusObserver = [this](const StatusTexts& texts) {
            statuses.push_back(texts);
        };
    }
    std::vector<std::string> titles;
    std::vector<StatusTexts> statuses;
};

TEST_F(RemoteObservers, FollowOnePollWithoutAPopup) {
    storeGoodCode();
    delegate->applicationDidFinishLaunching();
    fakes.http.succeed(0, R"({"online":7,"pv":9,"notify":0})");
    fakes.mainQueue.runPending();

    EXPECT_EQ(titles, (std::vector<std::string>{"Quintrel", "...", "7"}));
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[0], (StatusTexts{"Checking...", "None", true}));
    EXPECT_FALSE(statuses[1].isChecking);
    EXPECT_EQ(statuses[1].lastChecked, text::localDateTime(fakes.clock.wall));
    EXPECT_EQ(statuses.back(), delegate->currentStatusTexts());
    EXPECT_EQ(fakes.popovers.lastController, nullptr);
}

TEST_F(RemoteObservers, SeeTheErrorInThePopupsOneLineFormat) {
    EXPECT_EQ(delegate->currentStatusTexts(), (StatusTexts{"Never", "None", false}));
    delegate->setLastError("first line\n" + std::string(80, 'x'));
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].lastError, "first line " + std::string(58, 'x') + "...");
    EXPECT_EQ(statuses[0].lastChecked, "Never");
}

TEST_F(RemoteObservers, ATitleThatCannotBeShownIsNotReported) {
    delegate->changeStatusBarButton("lost");
    EXPECT_TRUE(titles.empty());
}

}  // namespace
}  // namespace quintrel
