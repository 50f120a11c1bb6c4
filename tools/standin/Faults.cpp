// The bodies of the hostile replies.

#include "Faults.h"

#include <array>
#include <utility>

namespace standin {
namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 6> kNames{{
    {Fault::hugeBody, "huge_body"},
    {Fault::trickle, "trickle"},
    {Fault::reset, "reset"},
    {Fault::invalidUtf8, "invalid_utf8"},
    {Fault::deepJson, "deep_json"},
    {Fault::redirectLoop, "redirect_loop"},
}};

std::string counts(int value) {
    const auto text = std::to_string(value);
    return "{\"online\":" + text + ",\"pv\":" + text + ",\"notify\":0";
}

}  // namespace

std::optional<Fault> faultNamed(std::string_view name) {
    for (const auto& [fault, faultText] : kNames) {
        if (faultText == name) {
            return fault;
        }
    }
    return std::nullopt;
}

std::string_view faultName(Fault fault) {
    for (const auto& [known, name] : kNames) {
        if (known == fault) {
            return name;
        }
    }
    return "";
}

std::string faultBody(Fault fault) {
    switch (fault) {
        case Fault::hugeBody: {
            std::string body = counts(9101) + ",\"pad\":\"";
            body.append(kHugeBodyBytes - body.size() - 2, 'x');
            return body + "\"}";
        }
        case Fault::trickle: {
            // Whitespace after the object keeps it valid while it stretches to 3 bytes
            // for each second of the transfer.
            std::string body = counts(9102) + "}";
            body.resize(static_cast<std::size_t>(kTrickleDuration.count()) * 3, ' ');
            return body;
        }
        case Fault::reset:
            return counts(9103) + ",\"notifytitle\":\"" + std::string(200, 'r') + "\"}";
        case Fault::invalidUtf8:
            return counts(9104) + ",\"notifytitle\":\"Caf\xe9 de la Gare\"}";
        case Fault::deepJson: {
            std::string body = counts(9105) + ",\"deep\":";
            body.append(kDeepJsonDepth, '[');
            body.append(kDeepJsonDepth, ']');
            return body + "}";
        }
        case Fault::redirectLoop:
            return "";
    }
    return "";
}

}  // namespace standin
