// Parsing the stand-in's command line.

#include "Options.h"

#include <charconv>

#include "ChromeApi.h"

namespace standin {
namespace {

template <typename T>
std::optional<T> number(const std::string& text, T min, T max) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    options.codes.insert(kDemoCode);
    for (size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg != "--port" && arg != "--notify-every" && arg != "--seed" && arg != "--code" &&
            arg != "--store-demo-code" && arg != "--tls-cert" && arg != "--tls-key" &&
            arg != "--script") {
            error = "unknown option " + arg;
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        const auto& text = args[++i];
        if (arg == "--port") {
            const auto port = number<int>(text, 0, 65535);
            if (!port) {
                error = "--port takes a port number from 0 to 65535, not " + text;
                return std::nullopt;
            }
            options.port = *port;
        } else if (arg == "--notify-every") {
            const auto every = number<int>(text, 0, 1000000);
            if (!every) {
                error = "--notify-every takes a count (0 turns notifications off), not " + text;
                return std::nullopt;
            }
            options.notifyEvery = *every;
        } else if (arg == "--seed") {
            const auto seed = number<uint64_t>(text, 0, UINT64_MAX);
            if (!seed) {
                error = "--seed takes a non-negative integer, not " + text;
                return std::nullopt;
            }
            options.seed = *seed;
        } else if (arg == "--store-demo-code") {
            options.storeDemoCodeIn = text;
        } else if (arg == "--tls-cert") {
            options.tlsCertificate = text;
        } else if (arg == "--tls-key") {
            options.tlsKey = text;
        } else if (arg == "--script") {
            std::string why;
            auto script = parseControlRequest(text, why);
            if (!script) {
                error = "--script: " + why;
                return std::nullopt;
            }
            options.scripts.push_back(std::move(*script));
        } else {
            options.codes.insert(text);
        }
    }
    if (options.tlsCertificate.empty() != options.tlsKey.empty()) {
        error = "--tls-cert and --tls-key go together";
        return std::nullopt;
    }
    return options;
}

std::string usage() {
    return std::string(
               "Usage: quintrel-standin [--port N] [--notify-every N] [--seed N] [--code CODE]...\n"
               "                        [--tls-cert FILE --tls-key FILE] [--script JSON]...\n"
               "       quintrel-standin --store-demo-code FILE\n"
               "A local stand-in of the Quintrel service on 127.0.0.1, for the demo and tests.\n"
               "\n"
               "  --port N          port to listen on (default 47310; 0 picks a free one)\n"
               "  --notify-every N  every N-th poll that wants notifications asks for one\n"
               "                    (default 4; 0 never)\n"
               "  --seed N          seed of the simulated visitors (default 2026)\n"
               "  --code CODE       accept CODE as well as the demo code\n"
               "  --store-demo-code FILE\n"
               "                    put the demo code into the preferences FILE unless it\n"
               "                    has a code already; print the code in use and exit\n"
               "  --tls-cert FILE --tls-key FILE\n"
               "                    serve https with this PEM certificate and key\n"
               "  --script JSON     queue a scripted reply (as POST /__control/next) at start\n"
               "\n"
               "Demo API code: ") +
           kDemoCode +
           "\n"
           "The API-code check turns down other codes as the service does: a code containing\n"
           "\"html\" gets an HTML error page, one containing \"msg\" gets\n"
           "{\"error\":\"Invalid API code\",\"msg\":\"Unknown API code\"}, any other "
           "{\"error\":3}.\n"
           "A poll with an unknown code gets HTTP 403.\n"
           "\n"
           "For tests:\n"
           "  POST /__control/next  "
           "{\"path\":\"/api/chrome.php\",\"status\":503,\"body\":\"...\",\n"
           "                         \"content_type\":\"...\",\"delay_ms\":31000,\"drop\":true,\n"
           "                         \"count\":1}  scripts the next replies of a path;\n"
           "                         a request repeated as it stands (a client's retry)\n"
           "                         gets the reply its first attempt got\n"
           "  GET  /__log           every request so far (method, path, raw query, time,\n"
           "                         reply status and body)\n"
           "  POST /__reset         clears the log and the scripted replies\n";
}

}  // namespace standin
