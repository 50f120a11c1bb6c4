#include "app/AppDelegate.h"

namespace quintrel {

void AppDelegate::statusItemClicked() {}

}  // namespace quintrel
