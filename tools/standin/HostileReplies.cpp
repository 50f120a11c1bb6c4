// The hostile replies on the wire.

#include "HostileReplies.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <thread>

namespace standin {
namespace {

constexpr const char* kJson = "application/json";

// cpp-httplib hides a connection's socket from handlers; it is the one whose two ends
// are the request's addresses.
int connectionSocket(const httplib::Request& req) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
            local.sin_family != AF_INET ||
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) {
            continue;
        }
        char address[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address);
        if (ntohs(local.sin_port) == req.local_port && ntohs(peer.sin_port) == req.remote_port &&
            req.remote_addr == address) {
            return fd;
        }
    }
    return -1;
}

// Sends the headers and the first half of `body`, lets the client read them, then closes
// with SO_LINGER 0 so the kernel answers with RST instead of FIN. /dev/null takes over the
// descriptor, so cpp-httplib's own later writes and close touch nothing.
void resetMidBody(int fd, const std::string& body) {
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body.substr(0, body.size() / 2);
    // A client that is gone already is past caring about the reset.
    (void)send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const linger abortive{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0) {
        shutdown(fd, SHUT_RDWR);
        return;
    }
    dup2(null, fd);
    close(null);
}

}  // namespace

std::string serveFault(Fault fault, const httplib::Request& req, httplib::Response& res,
                       bool plainSocket) {
    const std::string summary = "(fault " + std::string(faultName(fault)) + ")";
    res.status = 200;
    switch (fault) {
        case Fault::hugeBody:
        case Fault::invalidUtf8:
        case Fault::deepJson:
            res.set_content(faultBody(fault), kJson);
            return summary;
        case Fault::trickle: {
            const auto body = std::make_shared<const std::string>(faultBody(fault));
            const std::size_t step = body->size() / kTrickleDuration.count();
            res.set_content_provider(body->size(), kJson,
                                     [body, step](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset > 0) {
                                             std::this_thread::sleep_for(std::chrono::seconds(1));
                                         }
                                         const auto piece = std::min(step, body->size() - offset);
                                         return sink.write(body->data() + offset, piece);
                                     });
            return summary;
        }
        case Fault::reset: {
            const auto body = faultBody(fault);
            const int fd = plainSocket ? connectionSocket(req) : -1;
            if (fd >= 0) {
                resetMidBody(fd, body);
                return summary;
            }
            // Over TLS the socket is not ours to write: the connection ends (with FIN)
            // after half the body.
            const auto half = std::make_shared<const std::string>(body.substr(0, body.size() / 2));
            res.set_content_provider(
                body.size(), kJson, [half](size_t offset, size_t, httplib::DataSink& sink) {
                    return offset == 0 && sink.write(half->data(), half->size());
                });
            return summary;
        }
        case Fault::redirectLoop:
            redirectInCircles(res);
            return summary;
    }
    return summary;
}

void redirectInCircles(httplib::Response& res) {
    res.status = 302;
    res.set_header("Location", kRedirectLoopPath);
    res.set_content("", "text/plain");
}

}  // namespace standin
