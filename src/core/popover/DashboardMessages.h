#pragma once
// The line protocol between the app and the quintrel-dashboard helper that draws the
// dashboard popup. One message a line: a version word, a type, then the type's fields,
// separated by single spaces. Fields escape '%', space and control bytes as %XX; an empty
// field is written "-". Both processes parse every line they read with this codec.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel::popover {

inline constexpr std::string_view kProtocolVersion = "q1";
// Longest line either side accepts, newline excluded (DashboardLineReader enforces it): a
// widget URL with its code fits many times over.
inline constexpr std::size_t kMaxMessageLine = 8192;
// The largest distance from the origin a `show` anchor may have, either way.
inline constexpr long kMaxCoordinate = 1'000'000;

enum class MessageType {
    // app -> helper
    config,  // widgetBase: the widget host the main frame may navigate within
    show,    // x, y, segment: anchor in global coordinates, the tab to select
    hide,    // -
    load,    // url: a widget page
    noCode,  // -: the page shown without a code
    status,  // lastCheckedLine, lastErrorLine
    quit,    // -
    // helper -> app
    ready,   // -: answers config, the window exists
    tab,     // segment: the user chose a tab
    button,  // name: dashboard, settings, quit, privacy, terms, refresh
    open,    // url: an http(s) link for the user's browser
    hidden,  // -: the user closed the popup (Escape, click elsewhere)
    loaded,  // ok: 1 or 0, a page load ended
};

enum class Sender { app, helper };

struct DashboardMessage {
    MessageType type;
    std::vector<std::string> fields;
    bool operator==(const DashboardMessage&) const = default;
};

// The line for `message`, ending in '\n'.
std::string formatMessage(const DashboardMessage& message);

// The app's messages whose values come from outside (the tray host's click position, the
// service's error text), built so that the helper takes them: the anchor is clamped to
// kMaxCoordinate; the status texts are the app's, which keep far below kMaxMessageLine.
DashboardMessage showMessage(long x, long y, int segment);
DashboardMessage statusMessage(std::string lastCheckedLine, std::string lastErrorLine);

struct ParsedMessage {
    std::optional<DashboardMessage> message;
    std::string error;  // why the line was refused; empty when it was not
};

// Parses one line (without its newline) that `from` sent. Refuses another version, an
// unknown type or one the other side sends, a wrong field count, bad escapes and fields
// out of range.
ParsedMessage parseMessage(std::string_view line, Sender from);

// Reads what the other side writes: bytes in as they arrive, each complete line out parsed.
// The handshake (config from the app, ready from the helper) comes first and only once. A
// line over kMaxMessageLine is refused once, as soon as it is too long, and skipped to its end.
class DashboardLineReader {
public:
    explicit DashboardLineReader(Sender from) : from_(from) {}
    void append(std::string_view bytes) { buffer_.append(bytes); }
    std::optional<ParsedMessage> next();  // none until another line is complete

private:
    Sender from_;
    std::string buffer_;
    bool dropping_ = false;  // the rest of a refused over-long line
    bool handshakeDone_ = false;
};

std::string_view messageName(MessageType type);

}  // namespace quintrel::popover
