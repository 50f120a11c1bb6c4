#include "app/AppDelegate.h"

namespace quintrel {

void AppDelegate::settingView() {}

}  // namespace quintrel
