#pragma once
// Records every request; tests complete them by hand.

#include <memory>
#include <string>
#include <vector>

#include "platform/HttpClient.h"

namespace quintrel::fakes {

class FakeHttpClient final : public HttpClient {
public:
    struct Request {
        bool resumed = false;
        bool cancelled = false;
        HttpCompletion completion;  // cleared once it has run
    };

    std::shared_ptr<HttpTask> dataTask(const std::string&, HttpCompletion completion) override {
        requests_.push_back(std::make_shared<Request>(false, false, std::move(completion)));
        return std::make_shared<Task>(requests_.back());
    }

    std::size_t count() const { return requests_.size(); }
    bool resumed(std::size_t index) const { return requests_.at(index)->resumed; }
    bool cancelled(std::size_t index) const { return requests_.at(index)->cancelled; }

    // Runs request `index`'s completion on the calling thread.
    void complete(std::size_t index, HttpResult result) { take(index)(std::move(result)); }
    void succeed(std::size_t index, std::string body) {
        complete(index, HttpResult{std::move(body), 200, std::nullopt});
    }

private:
    // Holds its request weakly, as real tasks must: the completion may hold the task's owner.
    struct Task final : HttpTask {
        explicit Task(std::weak_ptr<Request> request) : request(request) {}
        void resume() override { mark(&Request::resumed); }
        void cancel() override { mark(&Request::cancelled); }
        void mark(bool Request::*flag) {
            if (const auto held = request.lock()) {
                (*held).*flag = true;
            }
        }
        std::weak_ptr<Request> request;
    };

    // Each completion runs once.
    HttpCompletion take(std::size_t index) {
        auto completion = std::exchange(requests_.at(index)->completion, nullptr);
        return completion ? completion : HttpCompletion([](HttpResult) {});
    }

    std::vector<std::shared_ptr<Request>> requests_;
};

}  // namespace quintrel::fakes
