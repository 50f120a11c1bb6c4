#pragma once
// Keeping the API code out of diagnostic lines that end up in the journal.

#include <string>
#include <string_view>

namespace quintrel {

inline constexpr std::string_view kMaskedSecret = "***";

// `line` with the value of every `code=` query item (also percent-encoded as `code%3D`,
// inside another URL) and every occurrence of `storedCode`, raw or percent-encoded,
// replaced by kMaskedSecret. An empty `storedCode` masks only the query items.
std::string maskSecrets(std::string_view line, std::string_view storedCode);

}  // namespace quintrel
