#include "polling/Reply.h"

#include "util/Json.h"

namespace quintrel {

std::optional<reply::CodingKeys> reply::codingKey(std::string_view name) {
    for (std::size_t i = 0; i < memberNames.size(); ++i) {
        if (memberNames[i] == name) {
            return static_cast<CodingKeys>(i);
        }
    }
    return std::nullopt;
}

std::optional<reply> reply::decode(std::string_view body) {
    const auto parsed = json::parse(body);
    if (!parsed || !parsed->is_object()) {
        return std::nullopt;
    }
    const auto member = [&](CodingKeys key) -> const nlohmann::json* {
        const auto it = parsed->find(stringValue(key));
        return it == parsed->end() ? nullptr : &*it;
    };
    const auto required = [&](CodingKeys key) -> std::optional<std::int64_t> {
        const auto* value = member(key);
        return value ? json::wholeNumber(*value) : std::nullopt;
    };
    // Outer none: the member has a type that makes the reply unreadable.
    const auto optionalText = [&](CodingKeys key) -> std::optional<std::optional<std::string>> {
        const auto* value = member(key);
        if (!value || value->is_null()) {
            return std::optional<std::string>();
        }
        if (!value->is_string()) {
            return std::nullopt;
        }
        return std::optional<std::string>(value->get<std::string>());
    };

    const auto online = required(CodingKeys::online);
    const auto pv = required(CodingKeys::pv);
    const auto notify = required(CodingKeys::notify);
    if (!online || !pv || !notify) {
        return std::nullopt;
    }
    const auto title = optionalText(CodingKeys::notifytitle);
    const auto desc = optionalText(CodingKeys::notifydesc);
    const auto url = optionalText(CodingKeys::notifyurl);
    const auto sound = optionalText(CodingKeys::notifysound);
    if (!title || !desc || !url || !sound) {
        return std::nullopt;
    }
    return reply{*online, *pv, *notify, *title, *desc, *url, *sound};
}

}  // namespace quintrel
