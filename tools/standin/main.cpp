// quintrel-standin: serves the stand-in of the Quintrel service on loopback.

#include <httplib.h>

#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "ChromeApi.h"
#include "ControlQueue.h"
#include "DemoPreferences.h"
#include "HostileReplies.h"
#include "Options.h"
#include "Pages.h"
#include "Query.h"
#include "RequestLog.h"
#include "Simulation.h"

namespace {

// Scripted replies may sleep for up to a minute; enough workers keep the rest answering.
constexpr size_t kWorkers = 32;

double secondsSinceEpoch() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::string rawQuery(const httplib::Request& request) {
    const auto mark = request.target.find('?');
    return mark == std::string::npos ? std::string{} : request.target.substr(mark + 1);
}

std::string guessContentType(const std::string& body) {
    const auto first = body.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && (body[first] == '{' || body[first] == '[')) {
        return "application/json";
    }
    return "text/html; charset=utf-8";
}

class Server {
public:
    explicit Server(const standin::Options& options)
        : options_(options),
          simulation_(options.seed, secondsSinceEpoch()),
          api_(simulation_, options.codes, options.notifyEvery),
          http_(makeServer(options)) {
        for (const auto& script : options.scripts) {
            control_.push(script.path, script.reply, script.count);
        }
        http_->new_task_queue = [] {
            return new httplib::ThreadPool(kWorkers);
        };
        // httplib's default sets SO_REUSEPORT, which lets a second stand-in share a busy
        // port and steal half the requests; a busy port must fail to bind instead.
        http_->set_socket_options([](socket_t sock) {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        http_->Get("/__log", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(log_.toJson(), "application/json");
        });
        http_->Post("/__reset", [this](const httplib::Request&, httplib::Response& res) {
            log_.clear();
            control_.clear();
            api_.reset();
            res.set_content("{}", "application/json");
        });
        http_->Post("/__control/next", [this](const httplib::Request& req, httplib::Response& res) {
            std::string error;
            const auto request = standin::parseControlRequest(req.body, error);
            if (!request) {
                res.status = 400;
                res.set_content(nlohmannError(error), "application/json");
                return;
            }
            control_.push(request->path, request->reply, request->count);
            res.set_content("{}", "application/json");
        });
        http_->Get(
            ".*", [this](const httplib::Request& req, httplib::Response& res) { serve(req, res); });
    }

    // Answers the port it listens on, or none.
    std::optional<int> bind() {
        if (!http_->is_valid()) {
            return std::nullopt;
        }
        if (options_.port == 0) {
            const int port = http_->bind_to_any_port("127.0.0.1");
            return port > 0 ? std::optional(port) : std::nullopt;
        }
        return http_->bind_to_port("127.0.0.1", options_.port) ? std::optional(options_.port)
                                                               : std::nullopt;
    }
    bool run() { return http_->listen_after_bind(); }
    bool tls() const { return !options_.tlsCertificate.empty(); }

private:
    static std::unique_ptr<httplib::Server> makeServer(const standin::Options& options) {
        if (options.tlsCertificate.empty()) {
            return std::make_unique<httplib::Server>();
        }
        return std::make_unique<httplib::SSLServer>(options.tlsCertificate.c_str(),
                                                    options.tlsKey.c_str());
    }

    static std::string nlohmannError(const std::string& error) {
        std::string escaped;
        for (const char c : error) {
            if (c == '"' || c == '\\')
                escaped += '\\';
            escaped += c;
        }
        return "{\"error\":\"" + escaped + "\"}";
    }

    void serve(const httplib::Request& req, httplib::Response& res) {
        const auto raw = rawQuery(req);
        const auto index =
            log_.add({req.method, req.path, raw, secondsSinceEpoch(), 0, {}, req.remote_port});
        const auto scripted = control_.take(req.path, raw);
        if (scripted && scripted->delayMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(scripted->delayMs));
        }
        if (scripted && scripted->fault) {
            log_.setReply(index, 200, standin::serveFault(*scripted->fault, req, res, !tls()));
            return;
        }
        if (req.path == standin::kRedirectLoopPath) {
            log_.setReply(index, 302, "");
            standin::redirectInCircles(res);
            return;
        }
        if (scripted && scripted->drop) {
            // A provider that gives up before its first byte makes the server close the
            // connection: the client sees the response cut off, a transport error.
            log_.setReply(index, 0, "(connection dropped)");
            res.set_content_provider(64, "application/json",
                                     [](size_t, size_t, httplib::DataSink&) { return false; });
            return;
        }
        standin::HttpReply reply;
        if (scripted && scripted->replacesReply()) {
            const auto body = scripted->body.value_or("");
            reply = {scripted->status.value_or(scripted->location ? 302 : 200),
                     scripted->contentType.value_or(guessContentType(body)), body};
            if (scripted->location) {
                res.set_header("Location", *scripted->location);
            }
        } else {
            reply = route(req, raw);
        }
        log_.setReply(index, reply.status, reply.body);
        res.status = reply.status;
        res.set_content(reply.body, reply.contentType);
    }

    standin::HttpReply route(const httplib::Request& req, const std::string& raw) {
        const auto query = standin::parseQuery(raw);
        const auto now = secondsSinceEpoch();
        const auto host = req.get_header_value("Host");
        const auto selfBase =
            "http://" + (host.empty() ? "127.0.0.1:" + std::to_string(options_.port) : host);
        if (req.path == "/api/chrome.php") {
            return api_.handle(query, now, selfBase);
        }
        if (auto page =
                standin::page(req.path, query, now, simulation_, options_.codes, selfBase)) {
            return *page;
        }
        return standin::notFoundPage(req.path);
    }

    const standin::Options options_;
    const standin::Simulation simulation_;
    standin::ChromeApi api_;
    standin::ControlQueue control_;
    standin::RequestLog log_;
    std::unique_ptr<httplib::Server> http_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = standin::parseOptions({argv + 1, argv + argc}, error);
    if (!options) {
        std::cerr << "quintrel-standin: " << error << "\n" << standin::usage();
        return 2;
    }
    if (options->help) {
        std::cout << standin::usage();
        return 0;
    }
    if (!options->storeDemoCodeIn.empty()) {
        const auto result = standin::storeDemoCode(options->storeDemoCodeIn);
        std::cerr << "quintrel-standin: " << result.message << std::endl;
        if (!result.code) {
            return 1;
        }
        std::cout << *result.code << std::endl;
        return 0;
    }
    Server server(*options);
    const auto port = server.bind();
    if (!port) {
        std::cerr << "quintrel-standin: cannot listen on 127.0.0.1:" << options->port
                  << (server.tls() ? " with that certificate and key"
                                   : " (is another stand-in or program using the port?)")
                  << std::endl;
        return 3;
    }
    std::cout << "quintrel-standin listening on " << (server.tls() ? "https" : "http")
              << "://127.0.0.1:" << *port << " (demo API code " << standin::kDemoCode << ")"
              << std::endl;
    return server.run() ? 0 : 1;
}
