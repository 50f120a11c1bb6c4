// The sound backend: the quintrel-sound helper and the factory that starts it.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "desktop/notify/QtSoundFactory.h"

namespace quintrel {

namespace {
constexpr int kPatienceMs = 60'000;  // playback of a short sound on a shared machine

int runHelper(const QStringList& arguments) {
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QUINTREL_TEST_SOUND_HELPER, arguments);
    if (!helper.waitForFinished(kPatienceMs)) {
        helper.kill();
        helper.waitForFinished();
        return -1;
    }
    return helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -2;
}
}  // namespace

class SoundBackendTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString sound = QStringLiteral(QUINTREL_TEST_RESOURCES_DIR "/media/01.mp3");

    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }

private slots:
    void theHelperPlaysARealFileToTheEnd() {
        // No audio device here: playback still has to come to its end and report it.
        QCOMPARE(runHelper({sound}), 0);
    }

    void theHelperReportsWhatItCannotPlay() {
        QCOMPARE(runHelper({write("noise.mp3", QByteArray(4000, '\x5A'))}), 1);
        QCOMPARE(runHelper({dir.filePath("absent.mp3")}), 1);
        QCOMPARE(runHelper({}), 2);
    }

    void anUnreadableFileLoadsAsNoSoundWithAReason() {
        QtSoundFactory factory(QUINTREL_TEST_SOUND_HELPER);
        const auto text = write("notes.mp3", "not audio at all");
        const auto loaded = factory.load(text.toStdString());
        QVERIFY(!loaded.sound);
        QCOMPARE(QString::fromStdString(loaded.localizedErrorDescription),
                 "The file “notes.mp3” couldn’t be opened because it isn’t in the correct format.");
        QVERIFY(!factory.load(dir.filePath("absent.mp3").toStdString()).sound);
    }

    void theAppProcessNeverLoadsMultimedia() {
        QtSoundFactory factory(QUINTREL_TEST_SOUND_HELPER);
        factory.load(sound.toStdString()).sound->play();
        QFile maps("/proc/self/maps");
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("libQt6Multimedia"));
    }
};

}  // namespace quintrel

QTEST_GUILESS_MAIN(quintrel::SoundBackendTest)
#include "sound_backend_test.moc"
