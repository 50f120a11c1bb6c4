#pragma once
// Sounds played by the quintrel-sound helper process, one detached process per sound.

#include <QString>

#include "platform/SoundPlayer.h"

namespace quintrel {

class QtSoundFactory final : public SoundFactory {
public:
    explicit QtSoundFactory(QString helperPath = defaultHelperPath());

    // A file that is not MPEG audio is refused here, at once, without starting anything.
    SoundLoad load(const std::string& path) override;

    // Beside the executable, then the installed libexec folder, then (only in builds that
    // run from their build tree) the helper this build made; empty when none is there,
    // and every sound then fails with a line naming the installed path.
    static QString defaultHelperPath();
    static QString installedHelperPath();

private:
    QString helperPath_;
};

}  // namespace quintrel
