#pragma once
// The D-Bus structures of a StatusNotifierItem: pixmaps a(iiay) and the tool tip (sa(iiay)ss).

#include <QByteArray>
#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>

namespace quintrel::sni {

struct Pixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;  // ARGB32, one 32-bit big-endian word per pixel
};
using PixmapList = QList<Pixmap>;

struct ToolTip {
    QString iconName;
    PixmapList pixmaps;
    QString title;
    QString description;
};

// The image as the protocol carries it: ARGB32 in network byte order.
Pixmap pixmapOf(const QImage& image);

// Makes the two types known to QtDBus; call once before exporting an item.
void registerTypes();

}  // namespace quintrel::sni

QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::sni::Pixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, quintrel::sni::Pixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::sni::ToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, quintrel::sni::ToolTip& toolTip);

Q_DECLARE_METATYPE(quintrel::sni::Pixmap)
Q_DECLARE_METATYPE(quintrel::sni::ToolTip)
