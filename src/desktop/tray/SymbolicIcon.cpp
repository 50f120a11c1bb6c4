#include "desktop/tray/SymbolicIcon.h"

#include <QImageReader>

#include <filesystem>

#include "util/FileResources.h"

// The resource lives in a static library: nothing else would pull it into the binary.
// Q_INIT_RESOURCE must be used outside any namespace.
static void loadSymbolicIconResource() {
    Q_INIT_RESOURCE(SymbolicIcon);
}

namespace quintrel::symbolicicon {

QImage image(int size) {
    static const bool loaded = (loadSymbolicIconResource(), true);
    (void)loaded;
    QImageReader reader(QStringLiteral(":/quintrel/icons/%1.svg").arg(QLatin1String(kName)));
    reader.setScaledSize(QSize(size, size));
    return reader.read();
}

QString themePath() {
    // Found once, when a host first asks.
    static const QString path = [] {
        const std::filesystem::path root = defaultResourcesRoot();
        for (const auto& folder : {root / "icons", (root / ".." / "icons").lexically_normal()}) {
            if (std::error_code error; std::filesystem::is_directory(folder, error)) {
                return QString::fromStdString(folder.string());
            }
        }
        return QString();
    }();
    return path;
}

}  // namespace quintrel::symbolicicon
