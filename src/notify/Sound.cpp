#include "app/AppDelegate.h"

namespace quintrel {

void AppDelegate::playSound(const std::string&, const std::string&) {}

}  // namespace quintrel
