// The installed app, not the build's: from `cmake --install` into a fresh prefix and from
// the Debian package unpacked with `dpkg -x`. Pointed at the stand-in through its
// environment, it polls, shows the count, plays a notification's sound with the installed
// helper from the installed media, and loads the installed web-view plugin.

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
    // Whether the tree comes from a build without build-tree fallbacks, so that none of
    // its binaries may name a folder of the machine it was built on.
    bool userBuild;
    // Lays the app out under `root`; answers the prefix (bin/, share/, ...) or a message
    // starting with "skip: " when there is nothing to install.
    std::function<std::pair<QString, std::string>(const QString& root)> install;
};

// Names the tree in the test names CTest lists.
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

// The source folders a binary of this tree could have been built in: this build's, and
// the one scripts/package put the .deb under (its dist/).
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
    // The tree is laid out first: without a package there is no session to start.
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        std::string problem;
        std::tie(installed, problem) = GetParam().install(QDir(root.path()).canonicalPath());
        if (problem.starts_with("skip: ")) {
            GTEST_SKIP() << problem.substr(6);
        }
        ASSERT_EQ(problem, "");
        E2eTest::SetUp();
    }
    // Outlives the session, so the app is stopped before its files go.
    QTemporaryDir root;
    // The prefix of the laid-out tree (bin/, lib/, libexec/, share/).
    QString installed;
};

TEST_P(PackageTest, InstalledAppPollsPlaysItsSoundAndStartsItsDashboard) {
    const QString program = installed + "/bin/quintrel-companion";
    const QString libexec = installed + "/libexec/quintrel-companion/";
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();

    // Another local user may be able to write there: a plugin planted in such a folder
    // must never be loaded.
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
    // The helper says so on the app's standard error once the sound has played through.
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
