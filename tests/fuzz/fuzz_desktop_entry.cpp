// Autostart entries of any shape: an entry that parses is written back byte for byte,
// switching it on or off gives what was asked, and the switched text parses again to the
// same answer.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/AutostartEntry.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void checkSwitched(quintrel::autostart::DesktopEntryText entry, bool on) {
    on ? entry.enable() : entry.disable();
    check(entry.enabled() == on);
    const auto again = quintrel::autostart::DesktopEntryText::parse(entry.text());
    check(again.has_value() && again->enabled() == on && again->text() == entry.text());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto entry = quintrel::autostart::DesktopEntryText::parse(text);
    if (!entry) {
        return 0;
    }
    check(entry->text() == text);
    checkSwitched(*entry, true);
    checkSwitched(*entry, false);
    return 0;
}
