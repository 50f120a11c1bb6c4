#pragma once
// Sounds played by the quintrel-sound helper process, one detached process per sound.

#include <QString>

#include "platform/Sound.h"

namespace quintrel {

class QtSoundFactory final : public SoundFactory {
public:
    explicit QtSoundFactory(QString helperPath = defaultHelperPath());

    // A file that is not MPEG audio is refused here, at once, without starting anything.
    SoundLoad load(const std::string& path) override;

    // Beside the executable (build trees), then the installed libexec folder, then the
    // helper this build made.
    static QString defaultHelperPath();

private:
    QString helperPath_;
};

}  // namespace quintrel
