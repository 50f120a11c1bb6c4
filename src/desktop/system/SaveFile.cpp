#include "desktop/system/SaveFile.h"

#include <sys/stat.h>

#include <QSaveFile>

namespace quintrel {

std::optional<QString> saveFile(const QString& path, QByteArrayView bytes, mode_t mode) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    ::fchmod(file.handle(), mode);
    // QSaveFile's commit does not see a write that failed while flushing its buffer (a full
    // disk): it would put a cut-off file in place of the old one. Checked here instead.
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

}  // namespace quintrel
