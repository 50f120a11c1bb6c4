// Saving preferences where the disk refuses: a read-only file or folder, a folder that
// cannot be created, a full disk. Each save says why it failed and the file on disk stays
// as it was. Root (as in CI) ignores file modes, so there the refusals come from read-only
// bind mounts and a tiny tmpfs in a mount namespace of this process alone.

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "desktop/system/JsonPreferencesStore.h"
#include "fakes/FakeDesktop.h"

using nlohmann::json;
using quintrel::JsonPreferencesStore;
using quintrel::fakes::RecordingConsole;

namespace {

const QByteArray kOldFile = "{\n  \"qnapicode\": \"old\",\n  \"qnmode\": 0\n}\n";

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace

class PreferencesHostileTest : public QObject {
    Q_OBJECT

    bool privateMounts_ = false;
    std::unique_ptr<QTemporaryDir> home_;
    QStringList mounts_;

    bool mount(const QString& source, const QString& target, const char* type, unsigned long flags,
               const char* options = nullptr) {
        if (::mount(QFile::encodeName(source).constData(), QFile::encodeName(target).constData(),
                    type, flags, options) != 0) {
            qWarning("mount %s: %s", qPrintable(target), strerror(errno));
            return false;
        }
        if (!(flags & MS_REMOUNT)) {
            mounts_.prepend(target);
        }
        return true;
    }

    // `path` read-only: by its mode for a user, by a read-only bind mount for root.
    bool makeReadOnly(const QString& path) {
        if (!privateMounts_) {
            const bool dir = QFileInfo(path).isDir();
            return QFile::setPermissions(
                path, dir ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
        }
        return mount(path, path, nullptr, MS_BIND) &&
               mount({}, path, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY);
    }

private slots:
    void initTestCase() {
        if (::geteuid() != 0) {
            return;
        }
        // Mounts made from here on are seen by this process only and vanish with it.
        privateMounts_ = ::unshare(CLONE_NEWNS) == 0 &&
                         ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (!privateMounts_) {
            qWarning("no private mount namespace (%s): root's cases are skipped", strerror(errno));
        }
    }

    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        QVERIFY(home_->isValid());
    }

    void cleanup() {
        for (const auto& target : mounts_) {
            ::umount2(QFile::encodeName(target).constData(), MNT_DETACH);
        }
        mounts_.clear();
        for (const auto& dir : {home_->path(), home_->path() + "/quintrel"}) {
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        home_.reset();
    }

    void aRefusedSaveIsReportedAndTheFileStaysAsItWas_data() {
        QTest::addColumn<QString>("subject");  // what is made read-only, under the home
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("read-only file") << "quintrel/preferences.json" << true;
        QTest::newRow("read-only folder") << "quintrel" << true;
        QTest::newRow("folder cannot be created") << "." << false;
    }
    void aRefusedSaveIsReportedAndTheFileStaysAsItWas() {
        QFETCH(QString, subject);
        QFETCH(bool, fileExists);
        if (::geteuid() == 0 && !privateMounts_) {
            QSKIP("root without a private mount namespace cannot make anything read-only");
        }
        const QString folder = home_->path() + "/quintrel";
        const QString path = folder + "/preferences.json";
        if (fileExists) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(writeFile(path, kOldFile));
        }
        QVERIFY(makeReadOnly(home_->path() + "/" + subject));

        RecordingConsole console;
        JsonPreferencesStore store(console, path);
        store.setString("qnapicode", "new");

        QCOMPARE(console.lines().size(), size_t(1));
        const QString line = QString::fromStdString(console.lines().front());
        QVERIFY2(line.startsWith("Could not save the preferences to " + path + ": "),
                 qPrintable(line));
        QVERIFY2(line.size() > QString("Could not save the preferences to " + path + ": ").size(),
                 "the reason is missing");
        QCOMPARE(QFileInfo::exists(path), fileExists);
        if (fileExists) {
            QCOMPARE(readFile(path), kOldFile);
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"preferences.json"});
        }
        // The change is kept for this session.
        QCOMPARE(store.object("qnapicode"), std::optional<json>("new"));
    }

    void aFullDiskKeepsTheOldFileAndTheNextSaveWritesEverything() {
        if (!privateMounts_) {
            QSKIP("filling a disk needs root and a private mount namespace (a tiny tmpfs)");
        }
        const QString folder = home_->path() + "/quintrel";
        const QString path = folder + "/preferences.json";
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(mount("tmpfs", folder, "tmpfs", 0, "size=64k,mode=0700"));
        QVERIFY(writeFile(path, kOldFile));
        // Fill what is left, a block at a time, until the disk says it is full.
        QFile filler(folder + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();

        RecordingConsole console;
        JsonPreferencesStore store(console, path);
        store.setString("qnapicode", std::string(4096, 'n'));
        QCOMPARE(console.lines().size(), size_t(1));
        QVERIFY2(QString::fromStdString(console.lines().front())
                     .startsWith("Could not save the preferences to " + path + ": "),
                 console.lines().front().c_str());
        QCOMPARE(readFile(path), kOldFile);
        QCOMPARE(QDir(folder).entryList(QDir::Files), (QStringList{"filler", "preferences.json"}));

        // Room again: the next save carries the change that could not be written.
        QVERIFY(QFile::remove(folder + "/filler"));
        store.setInteger("qnmode", 1);
        QCOMPARE(console.lines().size(), size_t(1));
        QCOMPARE(json::parse(readFile(path).toStdString()),
                 json({{"qnapicode", std::string(4096, 'n')}, {"qnmode", 1}}));
    }
};

QTEST_GUILESS_MAIN(PreferencesHostileTest)
#include "preferences_hostile_test.moc"
