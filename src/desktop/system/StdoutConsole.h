#pragma once
// The system's lines on standard output, and Qt's own messages on standard error.

#include <string>

#include "platform/Console.h"

namespace quintrel {

class StdoutConsole final : public Console {
public:
    void printLine(std::string_view line) override;

    // Sends Qt's warnings and debug output to standard error, keeping standard output
    // for the system's own lines.
    // Every `code=` query item and `code` itself are masked in what it forwards.
    static void installQtMessageHandler();
    // The stored API code, as last read or saved; empty when there is none.
    static void maskInQtMessages(std::string code);
    // One line on standard error, masked as Qt's messages are.
    static void printError(std::string_view line);
};

}  // namespace quintrel
