#pragma once
// Building request URLs: a base, a path and query items in the order given.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel::url {

struct QueryItem {
    std::string name;
    std::string value;
};

// Percent-encodes every byte outside the RFC 3986 unreserved set (A-Z a-z 0-9 - . _ ~),
// so '&', '=', '+', '#', spaces and non-ASCII arrive at the server as they were typed.
// Bytes in `alsoKeep` stay as they are too (a path keeps its '/').
std::string percentEncode(std::string_view component, std::string_view alsoKeep = {});

// "scheme://host[:port][/path]" followed by the items as a query, in the order given.
// None when `base` is not such a URL (no scheme, no host, white space or control
// characters, a query or fragment of its own).
std::optional<std::string> withQuery(std::string_view base, const std::vector<QueryItem>& items);

// The lower-cased scheme of `url` ("https"), or none when it has no valid one.
std::optional<std::string> scheme(std::string_view url);

// Whether `url` is an absolute http or https URL with a host: the only links taken
// from the network that the system hands to the browser.
bool isWebURL(std::string_view url);

}  // namespace quintrel::url
