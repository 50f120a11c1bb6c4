// The preferences file: JSON types kept, private modes, atomic replace, a file that does
// not parse set aside and reported once, changes on disk seen, writes from many threads.

#include <sys/stat.h>

#include <thread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "desktop/system/JsonPreferencesStore.h"
#include "fakes/FakeDesktop.h"

using nlohmann::json;
using quintrel::JsonPreferencesStore;
using quintrel::fakes::RecordingConsole;

namespace {

mode_t modeOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home_;
    QString path_;

private slots:
    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        path_ = home_->filePath("config/quintrel/preferences.json");
    }

    void defaultPathFollowsXdgConfigHome() {
        qputenv("XDG_CONFIG_HOME", "/somewhere/config");
        QCOMPARE(JsonPreferencesStore::defaultPath(),
                 QStringLiteral("/somewhere/config/quintrel/preferences.json"));
        qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
        QCOMPARE(JsonPreferencesStore::defaultPath(),
                 QDir::homePath() + "/.config/quintrel/preferences.json");
        qunsetenv("XDG_CONFIG_HOME");
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

    void writesArePrivateAndAtomic() {
        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        store.setInteger("qnmode", 0);
        QCOMPARE(modeOf(path_), mode_t(0600));
        QCOMPARE(modeOf(QFileInfo(path_).absolutePath()), mode_t(0700));
        QCOMPARE(QDir(QFileInfo(path_).absolutePath()).entryList(QDir::Files),
                 QStringList{"preferences.json"});  // no temporary file left behind
        QCOMPARE(json::parse(readFile(path_).toStdString()), json({{"qnmode", 0}}));
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
        QVERIFY(!store.object("qnapicode"));
        QVERIFY(!store.object("qnmode"));
        store.setInteger("qnmode", 1);
        QVERIFY(!store.object("qnapicode"));

        const QStringList aside = QDir(QFileInfo(path_).absolutePath())
                                      .entryList({"preferences.json.corrupt-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readFile(QFileInfo(path_).absolutePath() + "/" + aside.first()), content);
        QCOMPARE(console.lines().size(), size_t(1));
        const QString line = QString::fromStdString(console.lines().front());
        QVERIFY2(line.contains(path_) && line.contains(aside.first()), qPrintable(line));
        QCOMPARE(json::parse(readFile(path_).toStdString()), json({{"qnmode", 1}}));
    }

    void anEmptyFileIsEmptyPreferences() {
        writeFile(path_, "\n");
        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        QVERIFY(!store.object("qnmode"));
        QVERIFY(console.lines().empty());
    }

    void changesOnDiskAreSeen() {
        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        store.setString("qnapicode", "old");
        writeFile(path_, R"({"qnapicode": "a new and longer code"})");
        QCOMPARE(store.object("qnapicode"), std::optional<json>("a new and longer code"));
    }

    void writesFromManyThreadsAllLand() {
        RecordingConsole console;
        JsonPreferencesStore store(console, path_);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&store, t] {
                for (int i = 0; i < 50; ++i) {
                    const std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
                    store.setInteger(key, i);
                    if (store.object(key) != json(i)) {
                        std::abort();  // a read must see the write before it
                    }
                }
            });
        }
        for (auto& thread : threads) {
            thread.join();
        }
        QCOMPARE(json::parse(readFile(path_).toStdString()).size(), size_t(200));
    }
};

QTEST_GUILESS_MAIN(PreferencesTest)
#include "preferences_test.moc"
