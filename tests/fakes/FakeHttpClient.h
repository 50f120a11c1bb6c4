#pragma once
// Records every request; tests complete them by hand, on the test thread or from a
// real background thread.

#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

    ~FakeHttpClient() override { joinThreads(); }

    std::shared_ptr<HttpTask> dataTask(const std::string&, HttpCompletion completion) override {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::make_shared<Request>(false, false, std::move(completion)));
        return std::make_shared<Task>(requests_.back(), mutex_);
    }

    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return requests_.size();
    }
    bool resumed(std::size_t index) const {
        std::lock_guard lock(mutex_);
        return requests_.at(index)->resumed;
    }
    bool cancelled(std::size_t index) const {
        std::lock_guard lock(mutex_);
        return requests_.at(index)->cancelled;
    }

    // Runs request `index`'s completion on the calling thread.
    void complete(std::size_t index, HttpResult result) { take(index)(std::move(result)); }
    void succeed(std::size_t index, std::string body) {
        complete(index, HttpResult{std::move(body), 200, std::nullopt});
    }
    // Runs the completion on a new thread, joined when the fake goes away (or by joinThreads).
    // Only the test thread starts and joins them.
    void completeOnThread(std::size_t index, HttpResult result) {
        threads_.emplace_back([completion = take(index), result] { completion(result); });
    }
    void joinThreads() {
        for (auto& thread : std::exchange(threads_, {})) {
            thread.join();
        }
    }

private:
    // Holds its request weakly, as real tasks must: the completion may hold the task's owner.
    struct Task final : HttpTask {
        Task(std::weak_ptr<Request> request, std::mutex& mutex) : request(request), mutex(mutex) {}
        void resume() override { mark(&Request::resumed); }
        void cancel() override { mark(&Request::cancelled); }
        void mark(bool Request::*flag) {
            std::lock_guard lock(mutex);
            if (const auto held = request.lock()) {
                (*held).*flag = true;
            }
        }
        std::weak_ptr<Request> request;
        std::mutex& mutex;
    };

    // Each completion runs once.
    HttpCompletion take(std::size_t index) {
        std::lock_guard lock(mutex_);
        auto completion = std::exchange(requests_.at(index)->completion, nullptr);
        return completion ? completion : HttpCompletion([](HttpResult) {});
    }

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Request>> requests_;
    std::vector<std::thread> threads_;
};

}  // namespace quintrel::fakes
