#include "popover/DashboardMessages.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace quintrel::popover {

namespace {

struct TypeInfo {
    MessageType type;
    std::string_view name;
    Sender sender;
    std::size_t fieldCount;
};

constexpr std::array<TypeInfo, 13> kTypes{{
    {MessageType::config, "config", Sender::app, 1},
    {MessageType::show, "show", Sender::app, 3},
    {MessageType::hide, "hide", Sender::app, 0},
    {MessageType::load, "load", Sender::app, 1},
    {MessageType::noCode, "nocode", Sender::app, 0},
    {MessageType::status, "status", Sender::app, 2},
    {MessageType::quit, "quit", Sender::app, 0},
    {MessageType::ready, "ready", Sender::helper, 0},
    {MessageType::tab, "tab", Sender::helper, 1},
    {MessageType::button, "button", Sender::helper, 1},
    {MessageType::open, "open", Sender::helper, 1},
    {MessageType::hidden, "hidden", Sender::helper, 0},
    {MessageType::loaded, "loaded", Sender::helper, 1},
}};

const TypeInfo& info(MessageType type) {
    for (const auto& entry : kTypes) {
        if (entry.type == type) {
            return entry;
        }
    }
    return kTypes.front();
}

constexpr char kHex[] = "0123456789ABCDEF";

std::string escape(std::string_view field) {
    if (field.empty()) {
        return "-";
    }
    if (field == "-") {
        return "%2D";
    }
    std::string out;
    out.reserve(field.size());
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::optional<std::string> unescape(std::string_view field) {
    if (field == "-") {
        return std::string();
    }
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (byte < 0x20 || byte == 0x7F) {
            return std::nullopt;
        }
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size()) {
            return std::nullopt;
        }
        const int high = hexValue(field[i + 1]);
        const int low = hexValue(field[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::optional<long> number(std::string_view text) {
    long value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

// Checks the fields whose values are constrained; empty when they are fine.
std::string fieldError(MessageType type, const std::vector<std::string>& fields) {
    switch (type) {
        case MessageType::show:
            for (std::size_t i = 0; i < 2; ++i) {
                const auto value = number(fields[i]);
                if (!value || *value < -kMaxCoordinate || *value > kMaxCoordinate) {
                    return "bad coordinate";
                }
            }
            [[fallthrough]];
        case MessageType::tab: {
            const auto segment = number(fields.back());
            if (!segment || *segment < -1 || *segment > 2) {
                return "bad segment";
            }
            return {};
        }
        case MessageType::button:
            for (const std::string_view name :
                 {"dashboard", "settings", "quit", "privacy", "terms", "refresh"}) {
                if (fields[0] == name) {
                    return {};
                }
            }
            return "unknown button";
        case MessageType::loaded:
            return fields[0] == "0" || fields[0] == "1" ? std::string() : "bad flag";
        case MessageType::config:
        case MessageType::load:
        case MessageType::open:
            return fields[0].empty() ? "empty URL" : std::string();
        default:
            return {};
    }
}

ParsedMessage refuse(std::string why) {
    return {std::nullopt, std::move(why)};
}

}  // namespace

std::string_view messageName(MessageType type) {
    return info(type).name;
}

std::string formatMessage(const DashboardMessage& message) {
    std::string line(kProtocolVersion);
    line += ' ';
    line += info(message.type).name;
    for (const auto& field : message.fields) {
        line += ' ';
        line += escape(field);
    }
    line += '\n';
    return line;
}

DashboardMessage showMessage(long x, long y, int segment) {
    const auto coordinate = [](long value) {
        return std::to_string(std::clamp(value, -kMaxCoordinate, kMaxCoordinate));
    };
    return {MessageType::show, {coordinate(x), coordinate(y), std::to_string(segment)}};
}

DashboardMessage statusMessage(std::string lastCheckedLine, std::string lastErrorLine) {
    return {MessageType::status, {std::move(lastCheckedLine), std::move(lastErrorLine)}};
}

ParsedMessage parseMessage(std::string_view line, Sender from) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (true) {
        const std::size_t space = line.find(' ', start);
        words.push_back(
            line.substr(start, space == std::string_view::npos ? space : space - start));
        if (space == std::string_view::npos) {
            break;
        }
        start = space + 1;
    }
    if (words.size() < 2 || words[0] != kProtocolVersion) {
        return refuse("not a " + std::string(kProtocolVersion) + " message");
    }
    const TypeInfo* type = nullptr;
    for (const auto& entry : kTypes) {
        if (entry.name == words[1] && entry.sender == from) {
            type = &entry;
        }
    }
    if (!type) {
        return refuse("unknown message type");
    }
    if (words.size() - 2 != type->fieldCount) {
        return refuse(std::string(type->name) + ": wrong number of fields");
    }
    DashboardMessage message{type->type, {}};
    for (std::size_t i = 2; i < words.size(); ++i) {
        auto field = words[i].empty() ? std::nullopt : unescape(words[i]);
        if (!field) {
            return refuse(std::string(type->name) + ": malformed field");
        }
        message.fields.push_back(std::move(*field));
    }
    if (auto error = fieldError(type->type, message.fields); !error.empty()) {
        return refuse(std::string(type->name) + ": " + error);
    }
    return {std::move(message), {}};
}

std::optional<ParsedMessage> DashboardLineReader::next() {
    const std::size_t newline = buffer_.find('\n');  // npos, past any length, when none came
    if (dropping_) {
        buffer_.erase(0, newline == std::string::npos ? newline : newline + 1);
        dropping_ = newline == std::string::npos;
        return dropping_ ? std::nullopt : next();
    }
    if (newline > kMaxMessageLine && buffer_.size() > kMaxMessageLine) {
        dropping_ = true;
        return refuse("line longer than " + std::to_string(kMaxMessageLine) + " bytes");
    }
    if (newline == std::string::npos) {
        return std::nullopt;
    }
    auto parsed = parseMessage(std::string_view(buffer_).substr(0, newline), from_);
    buffer_.erase(0, newline + 1);
    if (parsed.message) {
        const MessageType type = parsed.message->type;
        if ((type == MessageType::config || type == MessageType::ready) == handshakeDone_) {
            return refuse(std::string(messageName(type)) +
                          (handshakeDone_ ? " after the handshake" : " before the handshake"));
        }
        handshakeDone_ = true;
    }
    return parsed;
}

}  // namespace quintrel::popover
