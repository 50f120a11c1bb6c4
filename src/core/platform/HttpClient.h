#pragma once
// One HTTP GET at a time per task, with a completion that reports what came back.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quintrel {

struct HttpResult {
    std::optional<std::string> body;   // absent when nothing was received
    std::optional<int> status;         // the final HTTP status, when the reply was HTTP
    std::optional<std::string> error;  // transport failure, worded for people; never holds the URL
};

// Bodies beyond this size are not buffered: the task ends with a transport error instead.
inline constexpr std::size_t kMaxHttpBodyBytes = 1024 * 1024;

// A handle on one request. It never owns the request's completion, which may itself
// hold the handle's owner.
class HttpTask {
public:
    virtual ~HttpTask() = default;
    virtual void resume() = 0;
    // A cancelled task still completes, with an error.
    virtual void cancel() = 0;
};

using HttpCompletion = std::function<void(HttpResult)>;

class HttpClient {
public:
    virtual ~HttpClient() = default;

    // The completion runs exactly once, on any thread, and never from inside
    // dataTask(), resume() or cancel(): callers may hold state those calls change.
    virtual std::shared_ptr<HttpTask> dataTask(const std::string& url,
                                               HttpCompletion completion) = 0;
};

}  // namespace quintrel
