#include "settings/AutostartFile.h"

#include <system_error>

#include "settings/AutostartEntry.h"

namespace quintrel::autostart {

namespace fs = std::filesystem;

std::optional<fs::path> entryPath(const EnvironmentLookup& environment) {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    if (const auto config = environment("XDG_CONFIG_HOME");
        config && fs::path(*config).is_absolute()) {
        return fs::path(*config) / "autostart" / kEntryFileName;
    }
    if (const auto home = environment("HOME"); home && fs::path(*home).is_absolute()) {
        return fs::path(*home) / ".config" / "autostart" / kEntryFileName;
    }
    return std::nullopt;
}

std::optional<fs::path> runningBinary() {
    std::error_code error;
    std::string binary = fs::read_symlink("/proc/self/exe", error).string();
    if (error || binary.empty()) {
        return std::nullopt;
    }
    // What the link reads while an upgrade has replaced the file under the running program.
    constexpr std::string_view deleted = " (deleted)";
    if (binary.ends_with(deleted)) {
        binary.resize(binary.size() - deleted.size());
    }
    return fs::path(binary);
}

State readState(const UserFiles& files, const fs::path& entry) {
    const FileContents contents = files.read(entry);
    switch (contents.kind) {
        case FileContents::Kind::missing:
            return {};
        case FileContents::Kind::failed:
            return {false, "Cannot read " + entry.string() + " (" + contents.error + ")."};
        case FileContents::Kind::read:
            break;
    }
    const auto parsed = DesktopEntryText::parse(contents.text);
    if (!parsed) {
        return {false,
                entry.string() +
                    " is not a valid desktop entry, so it does not start anything at login."};
    }
    return {parsed->enabled(), std::nullopt};
}

std::optional<std::string> setEnabled(UserFiles& files, const fs::path& entry, bool on,
                                      std::string_view exec) {
    const auto failure = [on](const std::string& reason) -> std::optional<std::string> {
        return std::string("Could not turn ") + (on ? "on" : "off") + " start at login: " + reason +
               ".";
    };
    const auto outcome = [&](std::optional<std::string> problem) {
        return problem ? failure(*problem) : std::nullopt;
    };
    const FileContents contents = files.read(entry);
    if (contents.kind == FileContents::Kind::failed) {
        return failure("cannot read " + entry.string() + " (" + contents.error + ")");
    }
    const std::string ours = entryText(exec);
    if (contents.kind == FileContents::Kind::missing) {
        if (!on) {
            return std::nullopt;
        }
        return outcome(files.replace(entry, ours));
    }
    if (contents.text == ours) {
        if (on) {
            return std::nullopt;
        }
        return outcome(files.remove(entry));
    }

    // Someone else's entry, or one edited since: changed in place, never replaced.
    auto edited = DesktopEntryText::parse(contents.text);
    if (!edited) {
        return failure(entry.string() + " is not a valid desktop entry; it was left as it is");
    }
    if (edited->enabled() == on) {
        return std::nullopt;
    }
    if (on) {
        edited->enable();
    } else {
        edited->disable();
    }
    return outcome(files.replace(entry, edited->text()));
}

}  // namespace quintrel::autostart
