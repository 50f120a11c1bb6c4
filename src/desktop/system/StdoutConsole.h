#pragma once
// The system's lines on standard output, and Qt's own messages on standard error.

#include <mutex>

#include "platform/Console.h"

namespace quintrel {

class StdoutConsole final : public Console {
public:
    void printLine(std::string_view line) override;

    // Sends Qt's warnings and debug output to standard error, keeping standard output
    // for the system's own lines.
    static void installQtMessageHandler();

private:
    std::mutex mutex_;
};

}  // namespace quintrel
