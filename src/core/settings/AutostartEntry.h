#pragma once
// The user's autostart entry as text: the entry this app writes, and reading, switching
// on and switching off an entry that may have been written or edited by anyone.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel::autostart {

inline constexpr const char* kEntryFileName = "com.quintrel.Companion.desktop";
inline constexpr const char* kBinaryName = "quintrel-companion";

// A desktop entry file kept line by line, so that writing it back changes only the lines
// that were changed: comments, other groups, unknown keys and their order all stay.
class DesktopEntryText {
public:
    // None when the text is not a key file a session manager would load: a line that is
    // neither blank, comment, group header nor key=value, a key before the first group, a
    // group named twice, no "Desktop Entry" group, or bytes that are not UTF-8.
    static std::optional<DesktopEntryText> parse(std::string_view text);

    // The value of `key` in the "Desktop Entry" group, trimmed; the last one when the key
    // is there more than once, as key file readers take it.
    std::optional<std::string> value(std::string_view key) const;

    // Whether a session manager starts it: not when Hidden is true, nor when
    // X-GNOME-Autostart-enabled is false.
    bool enabled() const;

    // Drops every Hidden=true and sets every X-GNOME-Autostart-enabled to true.
    void enable();
    // Sets Hidden=true: the last Hidden line becomes it, or it is added at the end of
    // the "Desktop Entry" group.
    void disable();

    std::string text() const;

private:
    struct Line {
        std::string raw;
        bool inEntryGroup = false;
        std::string key;  // empty unless a key=value line
        std::string value;
    };
    std::vector<Line> lines_;
    bool finalNewline_ = true;
};

// What this app writes: starts `exec` after the panel is up, since it lives in the tray.
std::string entryText(std::string_view exec);

// The Exec value that starts `binary`: its plain name when the first `kBinaryName` on
// `pathVariable` is that very file (so the entry survives upgrades), else its absolute
// path, quoted and escaped as desktop entries require.
std::string execValue(const std::filesystem::path& binary,
                      const std::optional<std::string>& pathVariable);

// One Exec argument as it is written into the file: quoted when it holds a reserved
// character, "%" doubled, then escaped as a key file string.
std::string execArgument(std::string_view argument);

}  // namespace quintrel::autostart
