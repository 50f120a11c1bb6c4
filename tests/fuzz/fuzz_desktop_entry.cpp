// Autostart entries of any shape: an entry that parses is written back byte for byte,
// switching it on or off gives what was asked, and the switched text parses again to the
// same answer.

#include "Fuzz.h"
#include "settings/AutostartEntry.h"

QUINTREL_FUZZ(text) {
    using quintrel::autostart::DesktopEntryText;
    const auto entry = DesktopEntryText::parse(text);
    if (!entry) {
        return;
    }
    check(entry->text() == text);
    for (const bool on : {true, false}) {
        DesktopEntryText switched = *entry;
        on ? switched.enable() : switched.disable();
        check(switched.enabled() == on);
        const auto again = DesktopEntryText::parse(switched.text());
        check(again.has_value() && again->enabled() == on && again->text() == switched.text());
    }
}
