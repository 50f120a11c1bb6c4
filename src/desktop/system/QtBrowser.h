#pragma once
// Opens pages in the user's default browser through the desktop's URL handler.

#include "platform/Browser.h"

namespace quintrel {

class QtBrowser final : public Browser {
public:
    void openURL(const std::string& url) override;
};

}  // namespace quintrel
