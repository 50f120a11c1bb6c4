#pragma once
// Seconds since the user's last input anywhere on the desktop.

namespace quintrel {

class IdleTime {
public:
    virtual ~IdleTime() = default;
    // 0 when no source can tell.
    virtual double secondsSinceLastInput() = 0;
};

}  // namespace quintrel
