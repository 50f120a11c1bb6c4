#pragma once
// Opens a page in the user's default browser; returns at once, reports nothing.

#include <string>

namespace quintrel {

class Browser {
public:
    virtual ~Browser() = default;
    virtual void openURL(const std::string& url) = 0;
};

}  // namespace quintrel
