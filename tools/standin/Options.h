#pragma once
// The stand-in's command line.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ControlQueue.h"

namespace standin {

struct Options {
    int port = 47310;  // 0: any free port, named in the line the stand-in prints
    int notifyEvery = 4;
    uint64_t seed = 2026;
    std::set<std::string> codes;
    bool help = false;
    std::string storeDemoCodeIn;  // set: write the demo code there and exit
    std::string tlsCertificate;   // both set: serve https with this certificate and key
    std::string tlsKey;
    std::vector<ControlRequest> scripts;  // queued before the first request can arrive
};

// None on bad input, with the reason in `error`.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);
std::string usage();

}  // namespace standin
