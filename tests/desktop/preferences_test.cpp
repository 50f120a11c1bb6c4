// The preferences file on disk (read-only paths, for root, by bind mounts of its own).

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include "desktop/system/JsonPreferencesStore.h"
#include "desktop/system/StdoutConsole.h"
#include "fakes/FakeDesktop.h"

using nlohmann::json;
using quintrel::JsonPreferencesStore;
using quintrel::fakes::RecordingConsole;

namespace {

const QByteArray kOldFile = "{\n  \"qnapicode\": \"old\",\n  \"qnmode\": 0\n}\n";

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home_;
    QString folder_;  // where the file lives, made with its parent by the first save
    QString path_;
    bool privateMounts_ = false;
    QStringList mounts_;

    // `path` read-only: by its mode for a user, by a read-only bind mount for root.
    bool makeReadOnly(const QString& path) {
        if (!privateMounts_) {
            const bool dir = QFileInfo(path).isDir();
            return QFile::setPermissions(
                path, dir ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
        }
        const QByteArray target = QFile::encodeName(path);
        if (::mount(target, target, nullptr, MS_BIND, nullptr) != 0) {
            return false;
        }
        mounts_.prepend(path);
        return ::mount(nullptr, target, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
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
        folder_ = home_->filePath("config/quintrel");
        path_ = folder_ + "/preferences.json";
    }
    void cleanup() {
        for (const auto& target : mounts_) {
            ::umount2(QFile::encodeName(target).constData(), MNT_DETACH);
        }
        mounts_.clear();
        for (const auto& dir : {home_->path(), folder_}) {
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        home_.reset();
    }

    void aRelativeXdgConfigHomeIsIgnored() {
        qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
        QCOMPARE(JsonPreferencesStore::defaultPath(),
                 QDir::homePath() + "/.config/quintrel/preferences.json");
    }

    void valuesKeepTheirTypesAndOtherKeysSurvive() {
        writeFile(path_, R"({"qnnotify": true, "qnplay": 1.5, "other": [1, "two"]})");
        RecordingConsole console;
        {
            JsonPreferencesStore store(console, path_);
            QVERIFY(!store.object("qnapicode"));
            store.setString("qnapicode", "abc&=+# é");
            store.setInteger("qnmode", 1);
            store.setString("bad", "\xff\xfe");  // not UTF-8: written, never thrown
        }
        JsonPreferencesStore reread(console, path_);
        QCOMPARE(reread.object("qnapicode"), std::optional<json>("abc&=+# é"));
        QVERIFY(reread.object("qnmode")->is_number_integer());
        QCOMPARE(reread.object("qnmode"), std::optional<json>(1));
        QVERIFY(reread.object("qnnotify")->is_boolean());
        QVERIFY(reread.object("qnplay")->is_number_float());
        QCOMPARE(reread.object("other"), std::optional<json>(json::array({1, "two"})));
        QVERIFY(reread.object("bad")->is_string());
        QVERIFY(console.lines().empty());
    }

    void anUnreadableFileIsSetAsideAndReportedOnce_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not JSON") << QByteArray("{\"qnapicode\": \"abc\"");
        QTest::newRow("not an object") << QByteArray("[\"qnapicode\"]");
    }
    void anUnreadableFileIsSetAsideAndReportedOnce() {
        QFETCH(QByteArray, content);
        writeFile(path_, content);
        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        QVERIFY(!store.object("qnapicode") && !store.object("qnmode"));
        store.setInteger("qnmode", 1);

        const QStringList aside =
            QDir(folder_).entryList({"preferences.json.corrupt-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readFile(folder_ + "/" + aside.first()), content);
        QCOMPARE(console.lines().size(), size_t(1));
        const QString line = QString::fromStdString(console.lines().front());
        QVERIFY2(line.contains(path_) && line.contains(aside.first()), qPrintable(line));
        QCOMPARE(json::parse(readFile(path_).toStdString()), json({{"qnmode", 1}}));
    }

    void anEmptyFileIsEmptyPreferencesAndChangesOnDiskAreSeen() {
        writeFile(path_, "\n");
        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        QVERIFY(!store.object("qnmode") && console.lines().empty());
        store.setString("qnapicode", "old");
        writeFile(path_, R"({"qnapicode": "a new and longer code"})");
        QCOMPARE(store.object("qnapicode"), std::optional<json>("a new and longer code"));
    }

    void everyWriteLandsPrivatelyAndAtomically() {
        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        for (int i = 0; i < 20; ++i) {
            store.setInteger("k" + std::to_string(i), i);
            QCOMPARE(store.object("k" + std::to_string(i)), std::optional<json>(i));
        }
        QCOMPARE(json::parse(readFile(path_).toStdString()).size(), size_t(20));
        // Owner only (the user bits are Qt's copy of the owner's); no temporary file left.
        constexpr auto kOthers = ~QFileDevice::Permissions(0x0f00);
        QCOMPARE(QFileInfo(path_).permissions() & kOthers, QFile::ReadOwner | QFile::WriteOwner);
        for (const auto& folder : {folder_, QFileInfo(folder_).path()}) {  // each level made
            QCOMPARE(QFileInfo(folder).permissions() & kOthers,
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QCOMPARE(QDir(folder_).entryList(QDir::Files), QStringList{"preferences.json"});
    }

    // Qt's warnings reach the journal: the code read, then the one saved, are masked there.
    void qtWarningsNeverCarryTheStoredCode() {
        writeFile(path_, R"({"qnapicode": "Read-Code-123"})");
        QTemporaryFile captured;
        QVERIFY(captured.open());
        std::fflush(stderr);
        const int savedStderr = ::dup(STDERR_FILENO);
        ::dup2(captured.handle(), STDERR_FILENO);
        const QtMessageHandler testHandler = qInstallMessageHandler(nullptr);
        quintrel::StdoutConsole::installQtMessageHandler();

        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        qWarning("rejected Read-Code-123");
        store.setString("qnapicode", "Saved-Code-456");
        qWarning("rejected Saved-Code-456");

        qInstallMessageHandler(testHandler);
        std::fflush(stderr);
        ::dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);
        const QByteArray text = readFile(captured.fileName());
        QCOMPARE(text.count("rejected ***"), 2);
        QVERIFY2(!text.contains("Read-Code-123") && !text.contains("Saved-Code"), text.constData());
    }
    // A refused save, or no file to read at the path (a FIFO would hang a blocking open):
    // the user is told, the value is kept for the session, and the disk is left as it was.
    void whatCannotBeWrittenOrReadIsLeftAsItWas_data() {
        QTest::addColumn<QString>("kind");  // "ro:" and a path made read-only, under the home
        QTest::addColumn<QString>("why");   // why it is no file to read; empty: it is one
        QTest::newRow("read-only file") << "ro:config/quintrel/preferences.json" << "";
        QTest::newRow("read-only folder") << "ro:config/quintrel" << "";
        QTest::newRow("folder cannot be created") << "ro:." << "";
        QTest::newRow("FIFO") << "fifo" << "it is a named pipe, not a regular file";
        QTest::newRow("link to /dev/zero") << "zero" << "it is a device, not a regular file";
        QTest::newRow("2 MiB") << "big" << "it is larger than 1 MiB";
    }
    void whatCannotBeWrittenOrReadIsLeftAsItWas() {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        if (kind.startsWith("ro:") && !privateMounts_ && ::geteuid() == 0) {
            QSKIP("read-only paths as root need a private mount namespace");
        }
        const QByteArray big = "{\"qnapicode\": \"" + QByteArray(2 << 20, 'b') + "\"}";
        QVERIFY(kind == "ro:." || QDir().mkpath(folder_));
        QVERIFY(kind == "fifo"   ? ::mkfifo(qPrintable(path_), 0600) == 0
                : kind == "zero" ? QFile::link("/dev/zero", path_)
                : kind == "big"  ? writeFile(path_, big)
                                 : kind == "ro:." || writeFile(path_, kOldFile));
        if (kind.startsWith("ro:")) {
            QVERIFY(makeReadOnly(home_->path() + "/" + kind.mid(3)));
        }
        struct stat before {};
        const bool existed = ::lstat(qPrintable(path_), &before) == 0;

        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        QCOMPARE(store.object("qnapicode"),
                 why.isEmpty() && existed ? std::optional<json>("old") : std::nullopt);
        store.setString("qnapicode", "new");
        const QString saveLine = "Could not save the preferences to " + path_ + ": " + why;
        if (why.isEmpty()) {
            QCOMPARE(console.lines().size(), size_t(1));
            const QString line = QString::fromStdString(console.lines().front());
            QVERIFY2(line.startsWith(saveLine) && line.size() > saveLine.size(), qPrintable(line));
        } else {
            QCOMPARE(console.lines(),
                     (std::vector<std::string>{
                         ("The preferences file " + path_ + " cannot be read: " + why +
                          "; the defaults are used and it is left as it is")
                             .toStdString(),
                         saveLine.toStdString()}));
        }
        QCOMPARE(store.object("qnapicode"), std::optional<json>("new"));  // kept for the session
        // Left as it was: neither replaced nor written to, and nothing beside it.
        struct stat after {};
        QCOMPARE(::lstat(qPrintable(path_), &after) == 0, existed);
        if (existed) {
            QVERIFY(after.st_ino == before.st_ino && after.st_size == before.st_size &&
                    after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
                    after.st_mtim.tv_nsec == before.st_mtim.tv_nsec);
            QCOMPARE(QDir(folder_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                     QStringList{"preferences.json"});
        }
    }
};

QTEST_GUILESS_MAIN(PreferencesTest)
#include "preferences_test.moc"
