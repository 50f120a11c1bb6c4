#pragma once
// Receives the two status texts the dashboard popup shows under its web view.

#include <string>

namespace quintrel {

class PopoverStatusSink {
public:
    virtual ~PopoverStatusSink() = default;
    virtual void updateStatus(const std::string& lastChecked, const std::string& lastError,
                              bool isChecking) = 0;
};

}  // namespace quintrel
