// The command line against the real app: options, exit codes, output, and --watch.

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

constexpr const char* kNotRunning = "Quintrel Companion is not running";

class RemoteTest : public E2eTest {
protected:
    void startShowing(int count) {
        standin().script(countsReply(count));
        startWithCode();
        ASSERT_TRUE(waitForLabel(std::to_string(count)));
    }
    struct Run {
        std::optional<int> exitCode;
        std::string out;  // standard output, lines joined with "\n"
        std::string err;
    };
    Run runApp(const QStringList& arguments) {
        Child child("client");
        EXPECT_TRUE(child.start(appProgram(), arguments, environment())) << child.error();
        waitUntil([&] { return !child.running(); });
        Run run{child.exitCode(), {}, child.standardError()};
        for (const auto& line : child.lines()) {
            run.out += line + "\n";
        }
        return run;
    }
};

TEST_F(RemoteTest, OptionsTheirExitCodesAndOutput) {
    const struct {
        QStringList arguments;
        bool appRunning;
        int exitCode;
        std::string out;  // contained in standard output
        std::string err;  // contained in standard error
    } table[] = {
        {{"--refresh"}, false, 1, "", kNotRunning},
        {{"--status"}, false, 1, "", kNotRunning},
        {{"--watch", "--format", "json"}, false, 1, "", kNotRunning},
        {{"--version"}, false, 0, "quintrel-companion 1.0.0\n", ""},
        {{"--frobnicate"}, false, 2, "", "Usage: quintrel-companion"},
        {{"--watch", "--format", "xml"}, false, 2, "", "Unknown format 'xml'"},
        {{"--format", "json"}, false, 2, "", "--format goes with --watch."},
        {{"--refresh", "--quit"}, false, 2, "", "Give one action at a time."},
        {{"stray"}, false, 2, "", "Unexpected argument 'stray'."},
        {{"--status"}, true, 0, "7\n", ""},
        {{"--refresh"}, true, 0, "", ""},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        if (row.appRunning && !app().running()) {
            ASSERT_NO_FATAL_FAILURE(startShowing(7));
        }
        const Run run = runApp(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_NE(run.out.find(row.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
        EXPECT_TRUE(row.exitCode == 0 || run.out.empty()) << run.out;
    }
    EXPECT_TRUE(app().running());
}

TEST_F(RemoteTest, WaybarWatchFollowsTwoPolls) {
    ASSERT_NO_FATAL_FAILURE(startShowing(31));
    Child watch("watch");
    ASSERT_TRUE(watch.start(appProgram(), {"--watch", "--format", "waybar"}, environment()));
    std::vector<std::string> texts;
    auto seen = [&](const std::string& text) {
        texts.clear();
        for (const auto& line : watch.lines()) {
            const auto object = nlohmann::json::parse(line, nullptr, false);
            texts.push_back(object.is_object() ? object.value("text", "") : "not json: " + line);
        }
        return std::ranges::count(texts, text) > 0;
    };
    ASSERT_TRUE(waitUntil([&] { return seen("31"); }));
    EXPECT_NE(watch.lines().front().find(R"("tooltip":"Last checked: )"), std::string::npos);
    standin().script(countsReply(32));
    ASSERT_EQ(runApp({"--refresh"}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return seen("32"); }));
    EXPECT_EQ(texts.front(), "31");

    ASSERT_EQ(runApp({"--quit"}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return !watch.running(); }));
    EXPECT_EQ(watch.exitCode(), 0);
}

}  // namespace
}  // namespace quintrel::e2e
