#include "util/Url.h"

#include <algorithm>
#include <cctype>

namespace quintrel::url {

namespace {

bool isUnreserved(unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool hasHost(std::string_view url) {
    const auto separator = url.find("://");
    if (separator == std::string_view::npos) {
        return false;
    }
    const auto authority = url.substr(separator + 3, url.find('/', separator + 3) - separator - 3);
    const auto host = authority.substr(
        authority.rfind('@') == std::string_view::npos ? 0 : authority.rfind('@') + 1);
    return !host.empty() && host.front() != ':';
}

}  // namespace

std::string percentEncode(std::string_view component, std::string_view alsoKeep) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(component.size());
    for (const char ch : component) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c) || alsoKeep.find(ch) != std::string_view::npos) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::optional<std::string> scheme(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == 0 || colon == std::string_view::npos ||
        !std::isalpha(static_cast<unsigned char>(url[0]))) {
        return std::nullopt;
    }
    std::string name(url.substr(0, colon));
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
        c = static_cast<char>(std::tolower(u));
    }
    return name;
}

std::optional<std::string> withQuery(std::string_view base, const std::vector<QueryItem>& items) {
    const bool clean = std::none_of(base.begin(), base.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c <= 0x20 || c == 0x7F || c == '?' || c == '#';
    });
    if (!clean || !scheme(base) || !hasHost(base)) {
        return std::nullopt;
    }
    std::string result(base);
    char separator = '?';
    for (const auto& item : items) {
        result += separator;
        result += percentEncode(item.name);
        result += '=';
        result += percentEncode(item.value);
        separator = '&';
    }
    return result;
}

bool isWebURL(std::string_view url) {
    const auto name = scheme(url);
    if (!name || (*name != "http" && *name != "https")) {
        return false;
    }
    const bool clean = std::none_of(url.begin(), url.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c <= 0x20 || c == 0x7F;
    });
    return clean && url.substr(name->size(), 3) == "://" && hasHost(url);
}

}  // namespace quintrel::url
