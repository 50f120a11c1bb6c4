#include "desktop/tray/SymbolicIcon.h"

#include <QImageReader>

// The resource lives in a static library: nothing else would pull it into the binary.
// Q_INIT_RESOURCE must be used outside any namespace.
static void loadSymbolicIconResource() {
    Q_INIT_RESOURCE(SymbolicIcon);
}

namespace quintrel::symbolicicon {

QImage image(int size) {
    static const bool loaded = (loadSymbolicIconResource(), true);
    (void)loaded;
    QImageReader reader(QStringLiteral(":/quintrel/icons/com.quintrel.Companion-symbolic.svg"));
    reader.setScaledSize(QSize(size, size));
    return reader.read();
}

}  // namespace quintrel::symbolicicon
