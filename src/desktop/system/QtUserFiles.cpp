#include "desktop/system/QtUserFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include <cerrno>
#include <system_error>

#include "desktop/system/PrivateFolders.h"
#include "desktop/system/RegularFile.h"
#include "desktop/system/SaveFile.h"

namespace quintrel {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kNewFileMode = 0644;

}  // namespace

FileContents QtUserFiles::read(const fs::path& path) const {
    return readRegularFile(path);
}

std::optional<std::string> QtUserFiles::replace(const fs::path& path, std::string_view text) {
    if (auto problem = makePrivateFolders(path.parent_path())) {
        return problem;
    }
    // A linked entry (kept with the user's dotfiles, say) is changed where it lives.
    fs::path target = path;
    if (std::error_code error; fs::is_symlink(path, error)) {
        target = fs::canonical(path, error);
        if (error) {
            return "cannot follow the link " + path.string() + " (" + error.message() + ")";
        }
    }
    struct stat info {};
    const mode_t mode = ::stat(target.c_str(), &info) == 0 ? (info.st_mode & 0777) : kNewFileMode;
    const auto why =
        saveFile(QFile::decodeName(target.c_str()),
                 QByteArrayView(text.data(), static_cast<qsizetype>(text.size())), mode);
    if (why) {
        return "cannot write " + target.string() + " (" + why->toStdString() + ")";
    }
    return std::nullopt;
}

std::optional<std::string> QtUserFiles::remove(const fs::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return "cannot remove " + path.string() + " (" + std::generic_category().message(errno) +
               ")";
    }
    return std::nullopt;
}

}  // namespace quintrel
