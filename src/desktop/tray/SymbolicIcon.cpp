#include "desktop/tray/SymbolicIcon.h"

#include <QPainter>
#include <QSvgRenderer>

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
    // Qt's SVG library itself, not the SVG image plugin: some releases ship that plugin in a
    // package of its own, and without it the icon would silently come out empty.
    QSvgRenderer renderer(QStringLiteral(":/quintrel/icons/%1.svg").arg(QLatin1String(kName)));
    if (!renderer.isValid() || size <= 0) {
        return {};
    }
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    renderer.render(&painter);
    return icon;
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
