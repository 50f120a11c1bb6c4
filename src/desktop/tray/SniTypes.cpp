#include "desktop/tray/SniTypes.h"

#include <QDBusMetaType>
#include <QtEndian>

namespace quintrel::sni {

Pixmap pixmapOf(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    // Sized exactly: resize() would reserve room to grow, about as much again, and the
    // item keeps these for as long as its title stands.
    Pixmap pixmap{argb.width(), argb.height(),
                  QByteArray(static_cast<qsizetype>(argb.width()) * argb.height() * 4,
                             Qt::Uninitialized)};
    auto* out = reinterpret_cast<uchar*>(pixmap.argb.data());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            qToBigEndian<quint32>(row[x], out);
            out += 4;
        }
    }
    return pixmap;
}

void registerTypes() {
    qDBusRegisterMetaType<Pixmap>();
    qDBusRegisterMetaType<PixmapList>();
    qDBusRegisterMetaType<ToolTip>();
}

}  // namespace quintrel::sni

QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::sni::Pixmap& pixmap) {
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, quintrel::sni::Pixmap& pixmap) {
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::sni::ToolTip& toolTip) {
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.pixmaps << toolTip.title << toolTip.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, quintrel::sni::ToolTip& toolTip) {
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.pixmaps >> toolTip.title >> toolTip.description;
    argument.endStructure();
    return argument;
}
