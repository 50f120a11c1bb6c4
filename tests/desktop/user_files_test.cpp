// The user's files on disk through QSaveFile: atomic replace, modes, links, refusals.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <QTemporaryDir>
#include <QtTest>

#include "desktop/system/QtUserFiles.h"

namespace fs = std::filesystem;
using quintrel::FileContents;
using quintrel::QtUserFiles;

namespace {

unsigned modeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

std::vector<std::string> names(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& item : fs::directory_iterator(folder)) {
        found.push_back(item.path().filename().string());
    }
    return found;
}

}  // namespace

class UserFilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QtUserFiles files;
    fs::path base() const { return dir.path().toStdString(); }

private slots:
    void newFilesAndFoldersAndReplacedFiles() {
        const fs::path entry = base() / "new" / "autostart" / "a.desktop";
        QCOMPARE(files.replace(entry, "one\n"), std::nullopt);
        QCOMPARE(files.read(entry).text, std::string("one\n"));
        QCOMPARE(modeOf(entry), 0644u);
        QCOMPARE(modeOf(entry.parent_path()), 0700u);
        QCOMPARE(modeOf(base() / "new"), 0700u);

        fs::permissions(entry, fs::perms::owner_read | fs::perms::owner_write);
        QCOMPARE(files.replace(entry, "two\n"), std::nullopt);
        QCOMPARE(files.read(entry).text, std::string("two\n"));
        QCOMPARE(modeOf(entry), 0600u);
        QCOMPARE(names(entry.parent_path()), std::vector<std::string>{"a.desktop"});
        // An entry already gone is no error.
        QCOMPARE(files.remove(base() / "new" / "gone.desktop"), std::nullopt);
    }

    void aLinkIsReplacedWhereItPoints() {
        const fs::path kept = base() / "dotfiles" / "q.desktop";
        const fs::path entry = base() / "linked" / "q.desktop";
        fs::create_directories(kept.parent_path());
        fs::create_directories(entry.parent_path());
        std::ofstream(kept) << "old\n";
        fs::create_symlink(kept, entry);
        QCOMPARE(files.replace(entry, "new\n"), std::nullopt);
        QVERIFY(fs::is_symlink(entry));
        QCOMPARE(files.read(kept).text, std::string("new\n"));
    }

    void aFolderIsNoFile() {
        const fs::path entry = base() / "folder" / "q.desktop";
        fs::create_directories(entry);
        const FileContents read = files.read(entry);
        QCOMPARE(read.kind, FileContents::Kind::failed);
        QCOMPARE(read.error, std::string("it is a folder, not a regular file"));
        QVERIFY(files.replace(entry, "x").has_value());
        QVERIFY(fs::is_directory(entry));
        // A file where a folder belongs: refused for every user, root included.
        const fs::path blocked = entry / "q.desktop" / "inner";
        std::ofstream(entry / "q.desktop") << "x";
        QCOMPARE(files.replace(blocked, "x"), (entry / "q.desktop").string() + " is not a folder");
    }

    void aReadOnlyFolderIsReported() {
        if (::geteuid() == 0) {
            QSKIP("permissions do not bind root");
        }
        const fs::path folder = base() / "readonly";
        const fs::path entry = folder / "q.desktop";
        fs::create_directories(folder);
        std::ofstream(entry) << "old\n";
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        const auto replaced = files.replace(entry, "new\n");
        const auto removed = files.remove(entry);
        fs::permissions(folder, fs::perms::owner_all);
        QVERIFY(replaced && replaced->starts_with("cannot write " + entry.string() + " ("));
        QCOMPARE(removed.value_or(""), "cannot remove " + entry.string() + " (Permission denied)");
    }
};

QTEST_GUILESS_MAIN(UserFilesTest)
#include "user_files_test.moc"
