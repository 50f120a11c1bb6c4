// The painted title as a person sees it: digits tall enough, nothing cut, the plate filled;
// the symbolic icon at every size.

#include <QtTest>

#include "desktop/tray/SniTypes.h"
#include "desktop/tray/SymbolicIcon.h"
#include "desktop/tray/TitleIcon.h"

namespace titleicon = quintrel::titleicon;

namespace {

// Light text on the dark plate, more than half covered (seen on a black panel).
bool isText(QRgb premultiplied) {
    return qGray(premultiplied) > 128;
}

// The bounding box of the text's pixels; empty when there are none.
QRect inkBox(const QImage& icon) {
    const QImage image = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isText(image.pixel(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The count a title shows, as the app hands it over with the title: none for words.
std::optional<std::uint64_t> countIn(const QString& title) {
    bool isNumber = false;
    const auto count = title.toULongLong(&isNumber);
    return isNumber ? std::optional<std::uint64_t>(count) : std::nullopt;
}

}  // namespace

class TitleIconTest : public QObject {
    Q_OBJECT

private slots:
    // The least digit height as a share of the slot; the app's words need only stay inside.
    void titlesFillTheSquare_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("share");
        const std::pair<const char*, double> titles[] = {
            {"7", 0.64},    {"38", 0.64},   {"321", 0.5}, {"1234", 0.45},  {"15027", 0.5},
            {"1234567", 0.43}, {"Quintrel", 0}, {"...", 0}, {"Check API", 0}, {"P", 0},
        };
        for (const auto& [title, share] : titles) {
            for (const int size : titleicon::kSizes) {
                QTest::addRow("%s @%d", title, size) << title << size << share;
            }
        }
    }
    void titlesFillTheSquare() {
        QFETCH(QString, title);
        QFETCH(int, size);
        QFETCH(double, share);
        const QImage square = titleicon::square(title, countIn(title), size)
                                  .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(square.size(), QSize(size, size));
        const QRect ink = inkBox(square);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.height() >= share * size, qPrintable(QString::number(ink.height())));
        // Not cut at any edge, and centred within a pixel or two.
        QVERIFY(QRect(1, 1, size - 2, size - 2).contains(ink));
        QVERIFY(qAbs(ink.left() - (size - 1 - ink.right())) <= 2);
        // The plate fills the square: the middle of each edge is plate.
        for (const QPoint edge : {QPoint(size / 2, 0), QPoint(0, size / 2),
                                  QPoint(size - 1, size / 2), QPoint(size / 2, size - 1)}) {
            QVERIFY(qAlpha(square.pixel(edge)) > 200 && !isText(square.pixel(edge)));
        }

        // A host that keeps the aspect ratio gets digits at least as tall.
        const QImage wide = titleicon::wide(title, countIn(title), size);
        QCOMPARE(wide.height(), size);
        QVERIFY(wide.width() >= size);
        const QRect wideInk = inkBox(wide);
        QVERIFY(wideInk.height() >= ink.height());
        QVERIFY(QRect(1, 1, wide.width() - 2, size - 2).contains(wideInk));
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
        // The item keeps its pixmaps: no room reserved to grow.
        QCOMPARE(quintrel::sni::pixmapOf(QImage(64, 64, QImage::Format_ARGB32)).argb.capacity(),
                 64 * 64 * 4);
    }

    // Built in at the sizes the item offers, and scaled for any other: a square with
    // transparent corners around grey bars, at every size a host may ask for.
    void symbolicIconAtEverySize() {
        std::vector<int> sizes(std::begin(titleicon::kSizes), std::end(titleicon::kSizes));
        sizes.insert(sizes.end(), {20, 96});
        for (const int size : sizes) {
            const QImage icon = quintrel::symbolicicon::image(size);
            QCOMPARE(icon.size(), QSize(size, size));
            QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
            int grey = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const QRgb pixel = icon.pixel(x, y);
                    grey += qAlpha(pixel) == 255 && qGray(pixel) > 150 && qGray(pixel) < 220;
                }
            }
            QVERIFY2(grey > size, qPrintable(QString::number(size)));
        }
        QVERIFY(quintrel::symbolicicon::image(0).isNull());
    }
};

QTEST_MAIN(TitleIconTest)
#include "title_icon_test.moc"
