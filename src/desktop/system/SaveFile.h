#pragma once
// The desktop side's one way to write a file: QSaveFile, with the write checked.

#include <sys/types.h>

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace quintrel {

// Replaces the file at `path` (a link: the file it points at) with `bytes` in one rename,
// with permissions `mode`. Answers why it failed, or none; on failure the old file stays.
std::optional<QString> saveFile(const QString& path, QByteArrayView bytes, mode_t mode);

}  // namespace quintrel
