#include "util/Text.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <memory>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

namespace quintrel::text {

namespace {

bool isWhiteSpace(UChar32 c) {
    // ASCII's White_Space characters are tab to carriage return and the space. Answering
    // them here keeps ICU's property tables out of the idle app, which trims the stored
    // API code on every poll.
    if (c >= 0 && c < 0x80) {
        return c == ' ' || (c >= '\t' && c <= '\r');
    }
    return c >= 0 && u_isUWhiteSpace(c);
}

bool isASCII(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Byte offsets of grapheme boundaries after the start, until `visit` answers false.
template <typename Visit>
void forEachGraphemeEnd(std::string_view text, Visit&& visit) {
    if (text.empty()) {
        return;
    }
    // In ASCII every character is a cluster of its own except CR LF. The API code, counted
    // on every poll, is ASCII, and this spares the idle process ICU's break iterator: its
    // rules, data and code cost about a megabyte of memory once touched.
    if (isASCII(text)) {
        for (std::size_t end = 1; end <= text.size(); ++end) {
            if (end < text.size() && text[end - 1] == '\r' && text[end] == '\n') {
                continue;
            }
            if (!visit(end)) {
                return;
            }
        }
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    std::unique_ptr<UText, decltype(&utext_close)> guard(utext, &utext_close);
    std::unique_ptr<icu::BreakIterator> breaks(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) {
        // Without break data every code point counts as one character.
        int32_t offset = 0;
        const auto length = static_cast<int32_t>(text.size());
        while (offset < length) {
            UChar32 c;
            U8_NEXT(text.data(), offset, length, c);
            if (!visit(static_cast<std::size_t>(offset))) {
                return;
            }
        }
        return;
    }
    breaks->setText(utext, status);
    for (int32_t end = breaks->next(); end != icu::BreakIterator::DONE; end = breaks->next()) {
        if (!visit(static_cast<std::size_t>(end))) {
            return;
        }
    }
}

}  // namespace

std::string trimmed(std::string_view text) {
    const auto length = static_cast<int32_t>(text.size());
    int32_t begin = 0;
    while (begin < length) {
        int32_t next = begin;
        UChar32 c;
        U8_NEXT(text.data(), next, length, c);
        if (!isWhiteSpace(c)) {
            break;
        }
        begin = next;
    }
    int32_t end = length;
    while (end > begin) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(text.data(), 0, previous, c);
        if (!isWhiteSpace(c)) {
            break;
        }
        end = previous;
    }
    return std::string(
        text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

bool isValidUTF8(std::string_view text) {
    const auto length = static_cast<int32_t>(text.size());
    int32_t offset = 0;
    while (offset < length) {
        UChar32 c;
        U8_NEXT(text.data(), offset, length, c);
        if (c < 0) {
            return false;
        }
    }
    return true;
}

std::size_t graphemeCount(std::string_view text) {
    std::size_t count = 0;
    forEachGraphemeEnd(text, [&](std::size_t) {
        ++count;
        return true;
    });
    return count;
}

std::string ellipsized(std::string_view text, std::size_t limit, std::size_t maxBytes) {
    if (limit < 3 || maxBytes < 3 || (text.size() <= maxBytes && graphemeCount(text) <= limit)) {
        return std::string(text);
    }
    std::size_t end = 0;
    std::size_t seen = 0;
    forEachGraphemeEnd(text, [&](std::size_t offset) {
        if (seen == limit - 3 || offset > maxBytes - 3) {
            return false;
        }
        end = offset;
        ++seen;
        return true;
    });
    return std::string(text.substr(0, end)) + "...";
}

std::string singleLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    const auto length = static_cast<int32_t>(text.size());
    int32_t offset = 0;
    while (offset < length) {
        const int32_t start = offset;
        UChar32 c;
        U8_NEXT(text.data(), offset, length, c);
        if (c == '\n' || c == '\r' || c == '\t') {
            line += ' ';
        } else if (c < 0 || !(c < 0x20 || (c >= 0x7F && c <= 0x9F))) {
            line.append(text.substr(static_cast<std::size_t>(start),
                                    static_cast<std::size_t>(offset - start)));
        }
    }
    return line;
}

std::string localDateTime(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[64];
    const std::size_t written = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(buffer, written);
}

std::string shortestDecimal(double value) {
    char buffer[400];  // the longest fixed form of a double has 309 integer digits
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string decimal(buffer, result.ptr);
    if (decimal.find('.') == std::string::npos &&
        decimal.find_first_of("ni") == std::string::npos) {
        decimal += ".0";
    }
    return decimal;
}

}  // namespace quintrel::text
