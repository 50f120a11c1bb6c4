#include "desktop/tray/SymbolicIcon.h"

#include <QImage>

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
    if (size <= 0) {
        return {};
    }
    // Rendered from the SVG at the sizes the tray item offers (resources/icons/render.sh):
    // decoding a PNG needs nothing the app has not loaded anyway, where drawing the SVG
    // would load Qt's SVG library into every app for the few panels that show this icon.
    QImage icon(QStringLiteral(":/quintrel/icons/symbolic/%1.png").arg(size));
    if (icon.isNull()) {
        const QImage largest(QStringLiteral(":/quintrel/icons/symbolic/64.png"));
        if (largest.isNull()) {
            return {};
        }
        icon = largest.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
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
