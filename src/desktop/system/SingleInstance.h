#pragma once
// One running app per user session: the bus name com.quintrel.Companion on the session
// bus, or a lock file in a folder only this user can write where there is no session bus.

#include <memory>
#include <string>

#include <QLockFile>
#include <QString>

namespace quintrel {

class SingleInstance {
public:
    static constexpr const char* kBusName = "com.quintrel.Companion";

    enum class Outcome { acquired, alreadyRunning, failed };

    // `acquired` when this process is now the one instance; it stays so while the object
    // lives. `failed` when it cannot tell, with the reason in problem().
    Outcome acquire();
    const std::string& problem() const { return problem_; }

private:
    // The lock file's folder without a session bus: XDG_RUNTIME_DIR, else a folder of
    // the user's own under the cache folder. Empty with the reason in problem() when
    // neither is one that only this user can write.
    QString lockDirectory();

    std::unique_ptr<QLockFile> lockFile_;
    std::string problem_;
};

}  // namespace quintrel
