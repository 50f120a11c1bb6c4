// The painted title: every character inside the icon (nothing clipped), on a plate that
// keeps it readable, for square tray slots and for hosts that keep the aspect ratio.

#include <QtTest>

#include "desktop/tray/SniTypes.h"
#include "desktop/tray/TitleIcon.h"

namespace titleicon = quintrel::titleicon;

namespace {

bool isText(QRgb pixel) {
    return qAlpha(pixel) == 255 && qRed(pixel) > 200;
}

// The columns holding text pixels, as [first, last]; none when there is no text.
std::optional<std::pair<int, int>> textColumns(const QImage& image) {
    std::optional<std::pair<int, int>> span;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (isText(image.pixel(x, y))) {
                span = {span ? span->first : x, x};
                break;
            }
        }
    }
    return span;
}

}  // namespace

class TitleIconTest : public QObject {
    Q_OBJECT

private slots:
    void textFitsInside_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("size");
        for (const QString title : {"7", "...", "Quintrel", "123456", "Check API"}) {
            for (const int size : titleicon::kSizes) {
                QTest::addRow("%s @%d", qPrintable(title), size) << title << size;
            }
        }
    }
    void textFitsInside() {
        QFETCH(QString, title);
        QFETCH(int, size);
        const QImage square = titleicon::square(title, size).convertToFormat(QImage::Format_ARGB32);
        const QImage wide = titleicon::wide(title, size).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(square.size(), QSize(size, size));
        QCOMPARE(wide.height(), size);
        QVERIFY(wide.width() >= size);
        for (const QImage& image : {square, wide}) {
            const auto columns = textColumns(image);
            QVERIFY(columns);
            // A margin on both sides: the title was not cut at the edge.
            QVERIFY(columns->first > 0 && columns->second < image.width() - 1);
            // Centred: the margins differ by a few pixels at most.
            QVERIFY(qAbs(columns->first - (image.width() - 1 - columns->second)) <= size / 8 + 2);
        }
    }

    void pixmapsAreArgbInNetworkOrder() {
        QImage image(2, 1, QImage::Format_ARGB32);
        image.setPixel(0, 0, qRgba(0x11, 0x22, 0x33, 0xff));
        image.setPixel(1, 0, qRgba(0, 0, 0, 0));
        const auto pixmap = quintrel::sni::pixmapOf(image);
        QCOMPARE(pixmap.width, 2);
        QCOMPARE(pixmap.height, 1);
        QCOMPARE(pixmap.argb, QByteArray::fromHex("ff112233"
                                                  "00000000"));
    }
};

QTEST_MAIN(TitleIconTest)
#include "title_icon_test.moc"
