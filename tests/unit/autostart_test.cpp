// Start at login on a real temporary folder: what the switch shows for each kind of entry,
// what switching on and off leaves behind, failures that leave the files alone, and the
// Exec value the entry starts.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "settings/AutostartEntry.h"
#include "settings/AutostartFile.h"

namespace quintrel::autostart {
namespace {

namespace fs = std::filesystem;

constexpr const char* kExec = "quintrel-companion";

// A user's entry: comments, a second group, a localized key and keys we never write.
constexpr const char* kEdited =
    "# Started by my session\n"
    "[Desktop Entry]\n"
    "Type=Application\n"
    "Name=Quintrel\n"
    "Name[de]=Quintrel\n"
    "Exec=quintrel-companion --verbose\n"
    "X-GNOME-Autostart-Delay = 20\n"
    "# keep it last\n"
    "\n"
    "[Desktop Action Other]\n"
    "Hidden=true\n"
    "Exec=true\n";

std::string withLine(std::string text, const std::string& after, const std::string& line) {
    const auto at = text.find(after);
    return text.insert(at + after.size(), line);
}

class Autostart : public testing::Test {
protected:
    void SetUp() override {
        base = fs::temp_directory_path() /
               ("quintrel-autostart-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(base);
        fs::create_directories(base);
        entry = base / "config" / "autostart" / kEntryFileName;
    }
    void TearDown() override {
        fs::permissions(base / "config" / "autostart", fs::perms::owner_all, fs::perm_options::add,
                        ignored);
        fs::remove_all(base);
    }
    void write(const std::string& text) {
        fs::create_directories(entry.parent_path());
        std::ofstream(entry, std::ios::binary) << text;
    }
    std::optional<std::string> contents() const {
        std::ifstream in(entry, std::ios::binary);
        if (!fs::is_regular_file(entry, ignored) || !in) {
            return std::nullopt;
        }
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Every name in the entry's folder: a failed or finished write leaves no temporary.
    std::vector<std::string> folder() const {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(entry.parent_path(), ignored)) {
            names.push_back(item.path().filename().string());
        }
        return names;
    }

    fs::path base;
    fs::path entry;
    mutable std::error_code ignored;
};

TEST_F(Autostart, TheSwitchShowsOnOnlyForAReadableEntryThatIsNotDisabled) {
    struct Case {
        const char* name;
        std::optional<std::string> text;  // none: no file
        bool on;
        bool problem;
    };
    const std::string ours = entryText(kExec);
    const Case cases[] = {
        {"missing", std::nullopt, false, false},
        {"ours", ours, true, false},
        {"edited", kEdited, true, false},
        {"Hidden=true", withLine(ours, "Type=Application\n", "Hidden=true\n"), false, false},
        {"Hidden = 1", withLine(ours, "Type=Application\n", "Hidden = 1\n"), false, false},
        {"Hidden=false", withLine(ours, "Type=Application\n", "Hidden=false\n"), true, false},
        {"last Hidden wins", withLine(ours, "Type=Application\n", "Hidden=true\nHidden=false\n"),
         true, false},
        {"GNOME disabled",
         withLine(kEdited, "Type=Application\n", "X-GNOME-Autostart-enabled=false\n"), false,
         false},
        {"no group", "Type=Application\nExec=x\n", false, true},
        {"only another group", "[Desktop Action A]\nExec=x\n", false, true},
        {"garbage line", withLine(ours, "Type=Application\n", "just words\n"), false, true},
        {"group twice", ours + "[Desktop Entry]\nHidden=false\n", false, true},
        {"unclosed group", "[Desktop Entry\nExec=x\n", false, true},
        {"not UTF-8", withLine(ours, "Name=Quintrel", "\xff"), false, true},
        {"empty", "", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(entry, ignored);
        if (c.text) {
            write(*c.text);
        }
        const State state = readState(entry);
        EXPECT_EQ(state.enabled, c.on);
        EXPECT_EQ(state.problem.has_value(), c.problem) << state.problem.value_or("");
    }
}

TEST_F(Autostart, SwitchingChangesOnlyWhatDecidesWhetherTheEntryStarts) {
    struct Case {
        const char* name;
        std::optional<std::string> before;
        bool on;
        std::optional<std::string> after;
    };
    const std::string ours = entryText(kExec);
    const std::string hiddenEdited = withLine(kEdited, "= 20\n", "Hidden=true\n");
    const Case cases[] = {
        {"missing, on", std::nullopt, true, ours},
        {"missing, off", std::nullopt, false, std::nullopt},
        {"ours, off", ours, false, std::nullopt},
        {"ours, on", ours, true, ours},
        {"ours from another build, off", entryText("/opt/q/quintrel-companion"), false,
         entryText("/opt/q/quintrel-companion") + "Hidden=true\n"},
        {"edited, off", kEdited, false, hiddenEdited},
        {"edited and hidden, on", hiddenEdited, true, kEdited},
        {"edited and hidden, off", hiddenEdited, false, hiddenEdited},
        {"ours hidden by hand, on", withLine(ours, "Type=Application\n", "Hidden=1\n"), true, ours},
        {"Hidden=false, off", withLine(kEdited, "Name=Quintrel\n", "Hidden=false\n"), false,
         withLine(kEdited, "Name=Quintrel\n", "Hidden=true\n")},
        {"GNOME disabled, on",
         withLine(kEdited, "Name=Quintrel\n", "X-GNOME-Autostart-enabled=0\nHidden=true\n"), true,
         withLine(kEdited, "Name=Quintrel\n", "X-GNOME-Autostart-enabled=true\n")},
        {"no final newline, off", "[Desktop Entry]\nExec=x", false,
         "[Desktop Entry]\nExec=x\nHidden=true"},
        {"group without keys, off", "[Desktop Entry]\n[Other]\nA=b\n", false,
         "[Desktop Entry]\nHidden=true\n[Other]\nA=b\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(entry, ignored);
        if (c.before) {
            write(*c.before);
        }
        EXPECT_EQ(setEnabled(entry, c.on, kExec), std::nullopt);
        EXPECT_EQ(contents(), c.after);
        EXPECT_EQ(readState(entry).enabled, c.on);
        if (c.after) {
            EXPECT_EQ(folder(), std::vector<std::string>{kEntryFileName});
        }
    }
}

TEST_F(Autostart, NewFilesAreReadableByAllAndEditedOnesKeepTheirMode) {
    ASSERT_EQ(setEnabled(entry, true, kExec), std::nullopt);
    const auto mode = [&](const fs::path& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 0777;
    };
    EXPECT_EQ(mode(entry), 0644u);
    EXPECT_EQ(mode(entry.parent_path()), 0700u);
    EXPECT_EQ(mode(base / "config"), 0700u);

    write(kEdited);
    fs::permissions(entry, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(setEnabled(entry, false, kExec), std::nullopt);
    EXPECT_EQ(mode(entry), 0600u);
}

TEST_F(Autostart, AnEntryKeptElsewhereThroughALinkIsEditedWhereItLives) {
    const fs::path kept = base / "dotfiles" / "quintrel.desktop";
    fs::create_directories(kept.parent_path());
    std::ofstream(kept) << kEdited;
    fs::create_directories(entry.parent_path());
    fs::create_symlink(kept, entry);
    ASSERT_EQ(setEnabled(entry, false, kExec), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(entry));
    EXPECT_FALSE(readState(kept).enabled);
}

TEST_F(Autostart, FailuresLeaveTheFilesAsTheyWereAndSaySo) {
    const std::string malformed = "[Desktop Entry\nExec=x\n";
    struct Case {
        const char* name;
        std::function<void()> prepare;
        bool on;
        std::optional<std::string> left;
    };
    const Case cases[] = {
        {"malformed, on", [&] { write(malformed); }, true, malformed},
        {"malformed, off", [&] { write(malformed); }, false, malformed},
        {"autostart is a file, on",
         [&] {
             fs::create_directories(base / "config");
             std::ofstream(entry.parent_path()) << "x";
         },
         true, std::nullopt},
        {"entry is a folder, off", [&] { fs::create_directories(entry); }, false, std::nullopt},
        {"entry is a folder, on", [&] { fs::create_directories(entry); }, true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(base / "config");
        c.prepare();
        const auto message = setEnabled(entry, c.on, kExec);
        ASSERT_TRUE(message.has_value());
        EXPECT_TRUE(message->starts_with(c.on ? "Could not turn on start at login: "
                                              : "Could not turn off start at login: "))
            << *message;
        EXPECT_EQ(contents(), c.left);
        EXPECT_FALSE(readState(entry).enabled);
    }
}

TEST_F(Autostart, AReadOnlyFolderIsReportedAndNothingIsLeftInIt) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    for (const bool on : {true, false}) {
        write(on ? withLine(kEdited, "Name=Quintrel\n", "Hidden=true\n") : kEdited);
        const auto before = contents();
        fs::permissions(entry.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        const auto message = setEnabled(entry, on, kExec);
        ASSERT_TRUE(message.has_value());
        EXPECT_NE(message->find("Permission denied"), std::string::npos) << *message;
        EXPECT_EQ(contents(), before);
        EXPECT_EQ(folder(), std::vector<std::string>{kEntryFileName});
        fs::permissions(entry.parent_path(), fs::perms::owner_all);
    }
}

TEST(AutostartExec, QuotesAndEscapesWhatTheSessionWouldOtherwiseSplitOrExpand) {
    const std::map<std::string, std::string> cases = {
        {"/usr/bin/quintrel-companion", "/usr/bin/quintrel-companion"},
        {"/home/me/My Apps/quintrel", R"("/home/me/My Apps/quintrel")"},
        {"/opt/a$b`c\"d", R"("/opt/a\\$b\\`c\\"d")"},
        {"/opt/back\\slash", R"("/opt/back\\\\slash")"},
        {"/opt/100%/q", "/opt/100%%/q"},
        {"/opt/new\nline", R"("/opt/new\nline")"},
    };
    for (const auto& [argument, written] : cases) {
        EXPECT_EQ(execArgument(argument), written) << argument;
    }
}

TEST_F(Autostart, ThePlainNameIsUsedOnlyWhenPathFindsThisVeryBinary) {
    const auto executable = [&](const fs::path& path) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "#!/bin/sh\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    };
    const fs::path installed = executable(base / "bin" / kBinaryName);
    executable(base / "other" / kBinaryName);
    const fs::path build = executable(base / "build dir" / kBinaryName);
    fs::create_directories(base / "link");
    fs::create_symlink(installed, base / "link" / kBinaryName);
    fs::create_directories(base / "plain");
    std::ofstream(base / "plain" / kBinaryName) << "not executable";
    const std::string bin = (base / "bin").string();

    EXPECT_EQ(execValue(installed, bin), kBinaryName);
    EXPECT_EQ(execValue(installed, "relative:" + (base / "plain").string() + ":" + bin),
              kBinaryName);
    EXPECT_EQ(execValue(installed, (base / "link").string()), kBinaryName);
    EXPECT_EQ(execValue(installed, (base / "other").string() + ":" + bin), installed.string());
    EXPECT_EQ(execValue(installed, std::nullopt), installed.string());
    EXPECT_EQ(execValue(build, bin), '"' + build.string() + '"');
}

TEST(AutostartPath, FollowsTheConfigFolderRules) {
    using Env = std::map<std::string, std::string>;
    const auto path = [](const Env& env) {
        return entryPath([&](const char* name) -> std::optional<std::string> {
            const auto found = env.find(name);
            return found == env.end() ? std::nullopt : std::optional(found->second);
        });
    };
    const fs::path file = fs::path("autostart") / kEntryFileName;
    EXPECT_EQ(path({{"XDG_CONFIG_HOME", "/c"}, {"HOME", "/h"}}), "/c" / file);
    EXPECT_EQ(path({{"XDG_CONFIG_HOME", "c"}, {"HOME", "/h"}}), "/h/.config" / file);
    EXPECT_EQ(path({{"XDG_CONFIG_HOME", ""}, {"HOME", "/h"}}), "/h/.config" / file);
    EXPECT_EQ(path({{"HOME", "h"}}), std::nullopt);
}

}  // namespace
}  // namespace quintrel::autostart
