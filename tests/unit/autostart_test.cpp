// Start at login on the user's files in memory: the switch's state, switching, failures,
// the Exec value and where the entry lives.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "settings/AutostartEntry.h"
#include "settings/AutostartFile.h"

namespace quintrel::autostart {
namespace {

namespace fs = std::filesystem;

constexpr const char* kExec = "quintrel-companion";
const fs::path kEntry = fs::path("/home/me/.config/autostart") / kEntryFileName;

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

// The user's files holding at most the entry; `unreadable` and `writeFails` make I/O fail.
struct Files final : UserFiles {
    explicit Files(std::optional<std::string> entry, std::optional<std::string> unreadable = {})
        : entry(std::move(entry)), unreadable(std::move(unreadable)) {}
    std::optional<std::string> entry, unreadable, writeFails;

    FileContents read(const fs::path& path) const override {
        EXPECT_EQ(path, kEntry);
        if (unreadable) {
            return {FileContents::Kind::failed, "", *unreadable};
        }
        return entry ? FileContents{FileContents::Kind::read, *entry, ""} : FileContents{};
    }
    std::optional<std::string> replace(const fs::path& path, std::string_view text) override {
        EXPECT_EQ(path, kEntry);
        entry = writeFails ? entry : std::string(text);
        return writeFails;
    }
    std::optional<std::string> remove(const fs::path& path) override {
        EXPECT_EQ(path, kEntry);
        entry = writeFails ? entry : std::nullopt;
        return writeFails;
    }
};

TEST(Autostart, TheSwitchShowsOnOnlyForAReadableEntryThatIsNotDisabled) {
    const std::string ours = entryText(kExec);
    const struct {
        const char* name;
        std::optional<std::string> text;  // none: no file
        bool on;
        bool problem;
    } cases[] = {
        {"missing", std::nullopt, false, false},
        {"ours", ours, true, false},
        {"edited", kEdited, true, false},
        {"Hidden=true", withLine(ours, "Type=Application\n", "Hidden=true\n"), false, false},
        {"Hidden = 1", withLine(ours, "Type=Application\n", "Hidden = 1\n"), false, false},
        {"last Hidden wins", withLine(ours, "Type=Application\n", "Hidden=true\nHidden=false\n"),
         true, false},
        {"GNOME disabled",
         withLine(kEdited, "Type=Application\n", "X-GNOME-Autostart-enabled=false\n"), false,
         false},
        {"no group", "Type=Application\nExec=x\n", false, true},
        {"garbage line", withLine(ours, "Type=Application\n", "just words\n"), false, true},
        {"group twice", ours + "[Desktop Entry]\nHidden=false\n", false, true},
        {"not UTF-8", withLine(ours, "Name=Quintrel", "\xff"), false, true},
        {"empty", "", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const State state = readState(Files{c.text}, kEntry);
        EXPECT_EQ(state.enabled, c.on);
        EXPECT_EQ(state.problem.has_value(), c.problem) << state.problem.value_or("");
    }
    EXPECT_EQ(readState(Files{ours, "it is a folder, not a regular file"}, kEntry).problem,
              "Cannot read " + kEntry.string() + " (it is a folder, not a regular file).");
}

TEST(Autostart, SwitchingChangesOnlyWhatDecidesWhetherTheEntryStarts) {
    const std::string ours = entryText(kExec);
    const std::string hiddenEdited = withLine(kEdited, "= 20\n", "Hidden=true\n");
    const struct {
        const char* name;
        std::optional<std::string> before;
        bool on;
        std::optional<std::string> after;
    } cases[] = {
        {"missing, on", std::nullopt, true, ours},
        {"missing, off", std::nullopt, false, std::nullopt},
        {"ours, off", ours, false, std::nullopt},
        {"ours, on", ours, true, ours},
        {"ours from another build, off", entryText("/opt/q/quintrel-companion"), false,
         entryText("/opt/q/quintrel-companion") + "Hidden=true\n"},
        {"edited, off", kEdited, false, hiddenEdited},
        {"edited and hidden, on", hiddenEdited, true, kEdited},
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
        Files files{c.before};
        EXPECT_EQ(setEnabled(files, kEntry, c.on, kExec), std::nullopt);
        EXPECT_EQ(files.entry, c.after);
        EXPECT_EQ(readState(files, kEntry).enabled, c.on);
    }
}

TEST(Autostart, FailuresLeaveTheFilesAsTheyWereAndSaySo) {
    const std::string malformed = "[Desktop Entry\nExec=x\n";
    const std::string invalid = " is not a valid desktop entry; it was left as it is.";
    const std::string pipe = "it is a named pipe, not a regular file";
    const std::string unreadable = "cannot read " + kEntry.string() + " (" + pipe + ").";
    const struct {
        std::optional<std::string> before;
        bool on;
        char failing;        // 'r'ead, 'w'rite, 'd'elete or none
        std::string reason;  // what the message ends with
    } cases[] = {
        {malformed, true, 0, kEntry.string() + invalid}, {kEdited, false, 'r', unreadable},
        {std::nullopt, true, 'w', "disk full."},         {kEdited, false, 'w', "disk full."},
        {entryText(kExec), false, 'd', "disk full."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason + (c.on ? " on" : " off"));
        Files files{c.before};
        if (c.failing) {
            (c.failing == 'r' ? files.unreadable : files.writeFails) =
                c.failing == 'r' ? pipe : "disk full";
        }
        EXPECT_EQ(setEnabled(files, kEntry, c.on, kExec), std::string("Could not turn ") +
                                                              (c.on ? "on" : "off") +
                                                              " start at login: " + c.reason);
        EXPECT_EQ(files.entry, c.before);
    }
}

TEST(AutostartExec, QuotesAndEscapesWhatTheSessionWouldOtherwiseSplitOrExpand) {
    const std::map<std::string, std::string> cases = {
        {"/usr/bin/quintrel-companion", "/usr/bin/quintrel-companion"},
        {"/home/me/My Apps/quintrel", R"("/home/me/My Apps/quintrel")"},
        {"/opt/a$b`c\"d", R"("/opt/a\\$b\\`c\\"d")"},
        {"/opt/100%/q", "/opt/100%%/q"},
        {"/opt/new\nline", R"("/opt/new\nline")"},
    };
    for (const auto& [argument, written] : cases) {
        EXPECT_EQ(execArgument(argument), written) << argument;
    }
}

TEST(AutostartExec, ThePlainNameIsUsedOnlyWhenPathFindsThisVeryBinary) {
    const fs::path base =
        fs::temp_directory_path() / ("quintrel-autostart-exec-" + std::to_string(::getpid()));
    fs::remove_all(base);
    const auto executable = [&](const fs::path& path) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "#!/bin/sh\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    };
    const fs::path installed = executable(base / "bin" / kBinaryName);
    executable(base / "other" / kBinaryName);
    const fs::path build = executable(base / "build dir" / kBinaryName);
    fs::create_directories(base / "plain");
    std::ofstream(base / "plain" / kBinaryName) << "not executable";
    const std::string bin = (base / "bin").string();

    EXPECT_EQ(execValue(installed, bin), kBinaryName);
    EXPECT_EQ(execValue(installed, "relative:" + (base / "plain").string() + ":" + bin),
              kBinaryName);
    EXPECT_EQ(execValue(installed, (base / "other").string() + ":" + bin), installed.string());
    EXPECT_EQ(execValue(installed, std::nullopt), installed.string());
    EXPECT_EQ(execValue(build, bin), '"' + build.string() + '"');
    fs::remove_all(base);
}

TEST(AutostartPath, FollowsTheConfigFolderRules) {
    const auto path = [](std::map<std::string, std::string> env) {
        return entryPath([&](const char* name) {
            return env.contains(name) ? std::optional(env[name]) : std::nullopt;
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
