// The installed app (`cmake --install`, and the .deb unpacked) polls, plays and shows its popup.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

struct Tree {
    const char* name;
    bool userBuild;  // without build-tree fallbacks: no binary may name a build folder
    // Lays the app out under `root`: the prefix, or a problem ("skip: ..." for no package).
    std::function<std::pair<QString, std::string>(const QString& root)> install;
};

void PrintTo(const Tree& tree, std::ostream* out) {
    *out << tree.name;
}

std::string run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return (program + " failed: ").toStdString() + process.readAll().toStdString();
    }
    return {};
}

std::pair<QString, std::string> cmakeInstall(const QString& root) {
    return {root, run(QUINTREL_CMAKE_COMMAND, {"--install", QUINTREL_BUILD_DIR, "--prefix", root})};
}

std::pair<QString, std::string> unpackDeb(const QString& root) {
    const QString deb = qEnvironmentVariable("QUINTREL_PACKAGE_DEB");
    if (deb.isEmpty() || !QFile::exists(deb)) {
        return {{},
                "skip: no package to unpack; set QUINTREL_PACKAGE_DEB to the .deb that "
                "scripts/package writes (scripts/test does)"};
    }
    return {root + "/usr", run("dpkg", {"-x", deb, root})};
}

// The folders a binary of this tree could have been built in.
QStringList buildFolders() {
    QStringList folders{QUINTREL_SOURCE_DIR, QUINTREL_BUILD_DIR};
    const QString deb = qEnvironmentVariable("QUINTREL_PACKAGE_DEB");
    if (!deb.isEmpty()) {
        folders << QFileInfo(QFileInfo(deb).absolutePath() + "/..").canonicalFilePath();
    }
    folders.removeAll(QString());
    return folders;
}

class PackageTest : public E2eTest, public testing::WithParamInterface<Tree> {
protected:
    void SetUp() override {  // the tree first: without a package, no session
        ASSERT_TRUE(root.isValid());
        std::string problem;
        std::tie(installed, problem) = GetParam().install(QDir(root.path()).canonicalPath());
        if (problem.starts_with("skip: ")) {
            GTEST_SKIP() << problem.substr(6);
        }
        ASSERT_EQ(problem, "");
        E2eTest::SetUp();
    }
    QTemporaryDir root;  // outlives the session: the app stops before its files go
    QString installed;   // the prefix (bin/, libexec/, share/)
};

TEST_P(PackageTest, InstalledAppPollsPlaysItsSoundAndStartsItsDashboard) {
    const QString program = installed + "/bin/quintrel-companion";
    const QString libexec = installed + "/libexec/quintrel-companion/";
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();

    // A plugin planted in a build folder, perhaps writable by others, must never be loaded.
    if (GetParam().userBuild) {
        for (const QString& binary : {program, libexec + "libquintrel-windows.so",
                                      libexec + "quintrel-sound", libexec + "quintrel-dashboard"}) {
            QProcess strings;
            strings.start("strings", {"-a", binary});
            ASSERT_TRUE(strings.waitForFinished(60'000) && strings.exitCode() == 0);
            const QByteArray text = strings.readAllStandardOutput();
            for (const QString& folder : buildFolders()) {
                EXPECT_FALSE(text.contains(folder.toUtf8()))
                    << binary.toStdString() << " names " << folder.toStdString();
            }
        }
    }

    const auto& server = startNotificationServer();
    const std::string reply = R"({"online":12,"pv":40,"notify":1,"notifytitle":"Installed",)"
                              R"("notifydesc":"and playing","notifyurl":"https://q.test/x",)"
                              R"("notifysound":"media/01"})";
    ASSERT_TRUE(standin().script({{"path", kPoll}, {"body", reply}}));

    QProcessEnvironment environment;
    environment.insert("QT_LOGGING_RULES", "quintrel.sound.info=true");
    ASSERT_NO_FATAL_FAILURE(startWithCode(environment, {}, program));

    ASSERT_TRUE(waitForLabel("12"));
    ASSERT_TRUE(waitUntil([&] { return !server.calls.isEmpty(); }));
    EXPECT_EQ(server.calls.first().summary, "Installed");
    const std::string played = (libexec + "quintrel-sound played " + installed +
                                "/share/quintrel-companion/media/01.mp3 to the end")
                                   .toStdString();
    EXPECT_TRUE(waitUntil([&] { return app().saidOnStandardError(played); }))
        << "expected: " << played;

    panelCommand("click 1200 10");
    ASSERT_TRUE(waitForRequests(1, "/widget/wp3.2.php", kWebTimeout));
    const QString helper = QFileInfo(libexec + "quintrel-dashboard").canonicalFilePath();
    EXPECT_TRUE(waitUntil([&] { return appChild([&](const QString& e) { return e == helper; }); }));
    EXPECT_FALSE(appMaps("libQt6WebEngineCore"));
}

INSTANTIATE_TEST_SUITE_P(Trees, PackageTest,
                         testing::Values(Tree{"CmakeInstall", !QUINTREL_BUILD_TREE_PATHS,
                                              cmakeInstall},
                                         Tree{"DebPackage", true, unpackDeb}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quintrel::e2e
