#pragma once
// The running Qt application behind the Application seam.

#include <QCoreApplication>

#include "platform/Application.h"

namespace quintrel {

class QtApplication final : public Application {
public:
    void terminate() override { QCoreApplication::quit(); }
};

}  // namespace quintrel
