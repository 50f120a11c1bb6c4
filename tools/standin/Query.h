#pragma once
// A raw query string split into its items, in order, percent-decoded.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

struct QueryItem {
    std::string name;
    std::string value;
};

using Query = std::vector<QueryItem>;

// "a=1&b=x%20y" -> {a,1},{b,x y}. '+' stays '+' (the app encodes spaces as %20).
Query parseQuery(std::string_view raw);
std::string percentDecode(std::string_view text);
std::vector<std::string> names(const Query& query);
std::optional<std::string> value(const Query& query, std::string_view name);

// Text made safe for HTML element content and attribute values.
std::string htmlEscape(std::string_view text);

}  // namespace standin
