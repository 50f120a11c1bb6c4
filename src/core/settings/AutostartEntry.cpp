#include "settings/AutostartEntry.h"

#include <set>
#include <system_error>

#include "util/Text.h"

namespace quintrel::autostart {

namespace {

constexpr std::string_view kEntryGroup = "Desktop Entry";
constexpr std::string_view kHidden = "Hidden";
constexpr std::string_view kGnomeEnabled = "X-GNOME-Autostart-enabled";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Key file booleans: "true"/"1" and "false"/"0"; anything else is no boolean at all, and
// readers then fall back to the key's default.
bool isTrue(std::string_view value) {
    return value == "true" || value == "1";
}
bool isFalse(std::string_view value) {
    return value == "false" || value == "0";
}

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

// A group header's name, or none when the header is not well formed.
std::optional<std::string> groupName(std::string_view line) {
    line = trimmedBlanks(line);
    if (line.size() < 3 || line.front() != '[' || line.back() != ']') {
        return std::nullopt;
    }
    const std::string_view name = line.substr(1, line.size() - 2);
    for (const char c : name) {
        if (c == '[' || c == ']' || isControl(c)) {
            return std::nullopt;
        }
    }
    return std::string(name);
}

// A key: a name, optionally followed by one "[locale]".
bool isKey(std::string_view key) {
    const auto open = key.find('[');
    const std::string_view name = key.substr(0, open);
    if (name.empty() || name.find(']') != std::string_view::npos) {
        return false;
    }
    for (const char c : key) {
        if (isControl(c)) {
            return false;
        }
    }
    if (open == std::string_view::npos) {
        return true;
    }
    const std::string_view locale = key.substr(open + 1);
    return locale.size() >= 2 && locale.back() == ']' &&
           locale.substr(0, locale.size() - 1).find_first_of("[]") == std::string_view::npos;
}

}  // namespace

std::optional<DesktopEntryText> DesktopEntryText::parse(std::string_view text) {
    if (!text::isValidUTF8(text)) {
        return std::nullopt;
    }
    DesktopEntryText entry;
    entry.finalNewline_ = !text.empty() && text.back() == '\n';
    if (entry.finalNewline_) {
        text.remove_suffix(1);
    }
    std::set<std::string> groups;
    std::optional<std::string> group;
    std::size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const auto end = std::min(text.find('\n', start), text.size());
        Line line;
        line.raw = text.substr(start, end - start);
        start = end + 1;
        std::string_view content = line.raw;
        while (!content.empty() && isBlank(content.front())) {
            content.remove_prefix(1);
        }
        if (content.empty() || content.front() == '#') {
            line.inEntryGroup = group == kEntryGroup;
        } else if (content.front() == '[') {
            group = groupName(content);
            if (!group || !groups.insert(*group).second) {
                return std::nullopt;
            }
        } else {
            const auto equals = content.find('=');
            if (!group || equals == std::string_view::npos) {
                return std::nullopt;
            }
            line.key = std::string(trimmedBlanks(content.substr(0, equals)));
            if (!isKey(line.key)) {
                return std::nullopt;
            }
            line.value = std::string(trimmedBlanks(content.substr(equals + 1)));
            line.inEntryGroup = group == kEntryGroup;
        }
        entry.lines_.push_back(std::move(line));
    }
    if (!groups.contains(std::string(kEntryGroup))) {
        return std::nullopt;
    }
    return entry;
}

std::optional<std::string> DesktopEntryText::value(std::string_view key) const {
    std::optional<std::string> found;
    for (const Line& line : lines_) {
        if (line.inEntryGroup && line.key == key) {
            found = line.value;
        }
    }
    return found;
}

bool DesktopEntryText::enabled() const {
    return !isTrue(value(kHidden).value_or("")) && !isFalse(value(kGnomeEnabled).value_or(""));
}

void DesktopEntryText::enable() {
    std::erase_if(lines_, [](const Line& line) {
        return line.inEntryGroup && line.key == kHidden && isTrue(line.value);
    });
    for (Line& line : lines_) {
        if (line.inEntryGroup && line.key == kGnomeEnabled && line.value != "true") {
            line = Line{std::string(kGnomeEnabled) + "=true", true, line.key, "true"};
        }
    }
}

void DesktopEntryText::disable() {
    const Line hidden{std::string(kHidden) + "=true", true, std::string(kHidden), "true"};
    // The line after which it goes: the group's last key, or its header when it has none.
    std::optional<std::size_t> lastKey;
    std::optional<std::size_t> lastHidden;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.inEntryGroup && !line.key.empty()) {
            lastKey = i;
            if (line.key == kHidden) {
                lastHidden = i;
            }
        } else if (!lastKey && !line.inEntryGroup && groupName(line.raw) == kEntryGroup) {
            lastKey = i;
        }
    }
    if (lastHidden) {
        lines_[*lastHidden] = hidden;
    } else if (lastKey) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*lastKey) + 1, hidden);
    }
}

std::string DesktopEntryText::text() const {
    std::string joined;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) {
            joined += '\n';
        }
        joined += lines_[i].raw;
    }
    if (finalNewline_) {
        joined += '\n';
    }
    return joined;
}

std::string entryText(std::string_view exec) {
    std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Quintrel Companion\n"
        "Comment=Your site's visitors in the tray\n"
        "Exec=";
    text += exec;
    text +=
        "\n"
        "Icon=com.quintrel.Companion\n"
        "Terminal=false\n"
        "NoDisplay=true\n"
        "X-GNOME-Autostart-enabled=true\n"
        "X-GNOME-Autostart-Delay=5\n"
        "X-KDE-autostart-after=panel\n"
        "X-LXQt-Need-Tray=true\n";
    return text;
}

std::string execValue(const std::filesystem::path& binary,
                      const std::optional<std::string>& pathVariable) {
    const std::string searched = pathVariable.value_or("");
    std::string_view rest = searched;
    while (!rest.empty()) {
        const auto colon = std::min(rest.find(':'), rest.size());
        const std::filesystem::path directory(rest.substr(0, colon));
        rest.remove_prefix(std::min(colon + 1, rest.size()));
        // A relative PATH entry depends on the directory the session starts in.
        if (directory.is_relative()) {
            continue;
        }
        const auto candidate = directory / kBinaryName;
        std::error_code error;
        const auto status = std::filesystem::status(candidate, error);
        using std::filesystem::perms;
        if (error || !std::filesystem::is_regular_file(status) ||
            (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) ==
                perms::none) {
            continue;
        }
        // The first one found is what the session would start.
        if (std::filesystem::equivalent(candidate, binary, error)) {
            return kBinaryName;
        }
        break;
    }
    return execArgument(binary.string());
}

std::string execArgument(std::string_view argument) {
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    if (argument.empty() || argument.find_first_of(reserved) != std::string_view::npos) {
        quoted += '"';
        for (const char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        quoted += '"';
    } else {
        quoted = argument;
    }
    std::string written;
    for (const char c : quoted) {
        switch (c) {
            case '%':
                written += "%%";
                break;
            case '\\':
                written += "\\\\";
                break;
            case '\n':
                written += "\\n";
                break;
            case '\t':
                written += "\\t";
                break;
            case '\r':
                written += "\\r";
                break;
            default:
                written += c;
        }
    }
    return written;
}

}  // namespace quintrel::autostart
