#include "util/SecretMasking.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "util/Url.h"

namespace quintrel {

namespace {

bool isNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

// Where a query item's value ends: the next item, the fragment, or the end of the URL in
// the surrounding text.
bool endsValue(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F || c == '&' || c == '#' || c == '\'' || c == '"' || c == '<' ||
           c == '>' || c == ')' || c == ']' || c == ';' || c == ',' || c == '`';
}

// Whether a name starts at `i`: after a character that cannot be part of one, or after a
// percent-encoded delimiter ("%3F", "%26").
bool startsName(std::string_view line, std::size_t i) {
    return i == 0 || !isNameCharacter(line[i - 1]) || (i >= 3 && line[i - 3] == '%');
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string maskQueryItems(std::string_view line) {
    std::string result;
    result.reserve(line.size());
    std::size_t i = 0;
    while (i < line.size()) {
        const bool atName = startsName(line, i);
        std::size_t nameLength = 0;
        if (atName) {
            for (const std::string_view name :
                 {std::string_view("code="), std::string_view("code%3D")}) {
                if (startsWithIgnoringCase(line.substr(i), name)) {
                    nameLength = name.size();
                }
            }
        }
        if (nameLength == 0) {
            result += line[i++];
            continue;
        }
        result += line.substr(i, nameLength);
        i += nameLength;
        // A percent-encoded item inside another URL ends at its encoded "&" too.
        const bool encoded = line[i - 1] == 'D' || line[i - 1] == 'd';
        std::size_t end = i;
        while (end < line.size() && !endsValue(line[end]) &&
               !(encoded && startsWithIgnoringCase(line.substr(end), "%26"))) {
            ++end;
        }
        if (end > i) {
            result += kMaskedSecret;
        }
        i = end;
    }
    return result;
}

void replaceAll(std::string& text, std::string_view needle) {
    if (needle.empty()) {
        return;
    }
    for (auto found = text.find(needle); found != std::string::npos;
         found = text.find(needle, found + kMaskedSecret.size())) {
        text.replace(found, needle.size(), kMaskedSecret);
    }
}

}  // namespace

std::string maskSecrets(std::string_view line, std::string_view storedCode) {
    std::string result = maskQueryItems(line);
    replaceAll(result, storedCode);
    replaceAll(result, url::percentEncode(storedCode));
    return result;
}

}  // namespace quintrel
