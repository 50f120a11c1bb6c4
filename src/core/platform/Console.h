#pragma once
// Where the system's diagnostic lines go: one line each, written out at once.

#include <string_view>

namespace quintrel {

class Console {
public:
    virtual ~Console() = default;
    // Thread-safe; `line` carries no line break of its own.
    virtual void printLine(std::string_view line) = 0;
};

}  // namespace quintrel
