// Query parsing and HTML escaping.

#include "Query.h"

namespace standin {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string percentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

Query parseQuery(std::string_view raw) {
    Query items;
    while (!raw.empty()) {
        const auto amp = raw.find('&');
        const auto part = raw.substr(0, amp);
        if (!part.empty()) {
            const auto eq = part.find('=');
            items.push_back(
                {percentDecode(part.substr(0, eq)),
                 eq == std::string_view::npos ? "" : percentDecode(part.substr(eq + 1))});
        }
        raw = amp == std::string_view::npos ? std::string_view{} : raw.substr(amp + 1);
    }
    return items;
}

std::vector<std::string> names(const Query& query) {
    std::vector<std::string> result;
    for (const auto& item : query) {
        result.push_back(item.name);
    }
    return result;
}

std::optional<std::string> value(const Query& query, std::string_view name) {
    for (const auto& item : query) {
        if (item.name == name) {
            return item.value;
        }
    }
    return std::nullopt;
}

std::string htmlEscape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace standin
