#pragma once
// The poll reply: two counts, a notification flag and up to four notification texts.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quintrel {

struct reply {
    std::int64_t online = 0;
    std::int64_t pv = 0;
    std::int64_t notify = 0;
    std::optional<std::string> notifytitle;
    std::optional<std::string> notifydesc;
    std::optional<std::string> notifyurl;
    std::optional<std::string> notifysound;

    // The reply's members, in field order, with the service's names.
    enum class CodingKeys { online, pv, notify, notifytitle, notifydesc, notifyurl, notifysound };
    static constexpr std::array<std::string_view, 7> memberNames = {
        "online", "pv", "notify", "notifytitle", "notifydesc", "notifyurl", "notifysound"};
    static std::string_view stringValue(CodingKeys key) {
        return memberNames[static_cast<std::size_t>(key)];
    }
    static std::optional<CodingKeys> codingKey(std::string_view name);

    // Strict decoding: the three counts must be JSON integers within 64 bits, the texts
    // strings or null or absent, and the body one JSON object; anything else is none.
    static std::optional<reply> decode(std::string_view body);
};

}  // namespace quintrel
