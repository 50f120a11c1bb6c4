#pragma once
// One running app per user session: the bus name com.quintrel.Companion on the session
// bus, or a lock file in the runtime directory where there is no session bus.

#include <memory>

#include <QLockFile>
#include <QString>

namespace quintrel {

class SingleInstance {
public:
    static constexpr const char* kBusName = "com.quintrel.Companion";

    // True when this process is now the one instance; it stays so while the object lives.
    bool acquire();

private:
    std::unique_ptr<QLockFile> lockFile_;
};

}  // namespace quintrel
