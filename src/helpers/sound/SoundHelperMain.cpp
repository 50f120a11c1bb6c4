// quintrel-sound: plays one audio file with Qt Multimedia and exits. The companion starts
// it per sound, so the tray process never loads the multimedia stack or an audio backend.
// Exit status: 0 played to the end, 1 the file could not be played, 2 wrong usage,
// 3 playback did not end in time. With QT_LOGGING_RULES="quintrel.sound.info=true" it says
// on standard error which file it played to the end, and from where it ran.

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {
Q_LOGGING_CATEGORY(soundLog, "quintrel.sound", QtWarningMsg)

// A stalled pipeline (no audio device, a hung sound server) must not keep the process.
constexpr int kWatchdogBeforeDurationMs = 15'000;
constexpr qint64 kWatchdogSlackMs = 10'000;
}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: quintrel-sound <file>\n", stderr);
        return 2;
    }
    const QFileInfo file(arguments.at(1));
    if (!file.isFile() || !file.isReadable()) {
        std::fprintf(stderr, "quintrel-sound: cannot read %s\n", qPrintable(file.filePath()));
        return 1;
    }

    // Played all the same, so that the exit status still says whether the file is playable.
    if (QMediaDevices::audioOutputs().isEmpty()) {
        std::fputs("quintrel-sound: no audio output device, the sound is not heard\n", stderr);
    }
    QMediaPlayer player;
    QAudioOutput output;
    player.setAudioOutput(&output);

    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &app, [&] {
        std::fputs("quintrel-sound: playback did not end in time\n", stderr);
        app.exit(3);
    });
    watchdog.start(kWatchdogBeforeDurationMs);
    QObject::connect(&player, &QMediaPlayer::durationChanged, &app, [&](qint64 duration) {
        if (duration > 0) {
            watchdog.start(static_cast<int>(duration + kWatchdogSlackMs));
        }
    });
    QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &app,
                     [&](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::EndOfMedia) {
                             qCInfo(soundLog, "%s played %s to the end",
                                    qPrintable(QCoreApplication::applicationFilePath()),
                                    qPrintable(file.absoluteFilePath()));
                             app.exit(0);
                         } else if (status == QMediaPlayer::InvalidMedia) {
                             app.exit(1);
                         }
                     });
    QObject::connect(&player, &QMediaPlayer::errorOccurred, &app,
                     [&](QMediaPlayer::Error, const QString& text) {
                         std::fprintf(stderr, "quintrel-sound: %s\n", qPrintable(text));
                         app.exit(1);
                     });

    player.setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    player.play();
    return app.exec();
}
