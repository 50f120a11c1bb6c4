#include "desktop/notify/QtSoundFactory.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QtDebug>

#include "util/Mp3Probe.h"

namespace quintrel {

namespace {

class HelperSound final : public Sound {
public:
    HelperSound(QString helper, QString file)
        : helper_(std::move(helper)), file_(std::move(file)) {}

    void play() override {
        // Detached: the sound outlives this object, and nothing waits for it.
        QProcess process;
        process.setProgram(helper_);
        process.setArguments({file_});
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        if (!process.startDetached()) {
            qWarning("Cannot start the sound helper %s", qPrintable(helper_));
        }
    }

private:
    QString helper_;
    QString file_;
};

}  // namespace

QtSoundFactory::QtSoundFactory(QString helperPath) : helperPath_(std::move(helperPath)) {}

SoundLoad QtSoundFactory::load(const std::string& path) {
    if (!looksLikeMp3(path)) {
        const QString name = QFileInfo(QString::fromStdString(path)).fileName();
        return {nullptr, QStringLiteral("The file “%1” couldn’t be opened because it isn’t in "
                                        "the correct format.")
                             .arg(name)
                             .toStdString()};
    }
    return {std::make_shared<HelperSound>(helperPath_, QString::fromStdString(path)), ""};
}

QString QtSoundFactory::defaultHelperPath() {
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + "/quintrel-sound", dir + "/../libexec/quintrel-companion/quintrel-sound"}) {
        if (QFileInfo(candidate).isExecutable()) {
            return QFileInfo(candidate).canonicalFilePath();
        }
    }
    return QStringLiteral(QUINTREL_SOUND_HELPER_BUILD_PATH);
}

}  // namespace quintrel
