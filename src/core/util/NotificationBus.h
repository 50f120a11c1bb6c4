#pragma once
// The in-app notification bus: process-local broadcast messages keyed by name.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace quintrel {

struct BusMessage {
    std::string name;
    std::optional<nlohmann::json> userInfo;  // a JSON object when present
};

using BusObserver = std::function<void(const BusMessage&)>;

// Delivers each message synchronously, on the posting thread, to every observer of its
// name. Observers may be added and removed from any thread while others post; once
// removal returns, the observer is never called again.
class NotificationBus {
    struct Entry;

public:
    // Keeps its observer registered for as long as it lives.
    class Observation {
    public:
        Observation() = default;
        Observation(Observation&&) noexcept = default;
        Observation& operator=(Observation&& other) noexcept;
        ~Observation();
        void remove();

    private:
        friend class NotificationBus;
        explicit Observation(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
        std::shared_ptr<Entry> entry_;
    };

    [[nodiscard]] Observation addObserver(const std::string& name, BusObserver observer);
    void post(const std::string& name, std::optional<nlohmann::json> userInfo = std::nullopt);

    // The two-level text payload of the status messages: {"userInfo": {"content": text}}.
    static nlohmann::json contentPayload(const std::string& text);
    // The text of a two-level payload, or none when either level is missing or mistyped.
    static std::optional<std::string> contentText(const BusMessage& message);

private:
    std::mutex mutex_;
    std::map<std::string, std::vector<std::shared_ptr<Entry>>> observers_;
};

}  // namespace quintrel
