// The lines of `--watch`: waybar reads its "text" and "tooltip" as Pango markup, so what the
// service wrote reaches it as plain words; the JSON format carries it unchanged.

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "desktop/remote/RemoteClient.h"

using quintrel::RemoteState;
using quintrel::WatchFormat;

class WatchLineTest : public QObject {
    Q_OBJECT

    static QJsonObject object(const RemoteState& state, WatchFormat format) {
        return QJsonDocument::fromJson(quintrel::watchLine(state, format).toUtf8()).object();
    }

private slots:
    void markupStaysText_data() {
        QTest::addColumn<QString>("lastError");
        QTest::addColumn<QString>("tooltipError");
        QTest::addRow("span") << R"(<span size="100000" foreground="red">HACKED</span>)"
                              << "&lt;span size=&quot;100000&quot; foreground=&quot;red&quot;&gt;"
                                 "HACKED&lt;/span&gt;";
        QTest::addRow("ampersand") << "Tom & Jerry"
                                   << "Tom &amp; Jerry";
        QTest::addRow("apostrophe") << "can't"
                                    << "can&apos;t";
        QTest::addRow("entity") << "&lt;"
                                << "&amp;lt;";
        QTest::addRow("plain") << "None"
                               << "None";
    }
    void markupStaysText() {
        QFETCH(QString, lastError);
        QFETCH(QString, tooltipError);
        const RemoteState state{"<b>7</b>", "2026-12-07 11:38:23", lastError, false};
        const QJsonObject waybar = object(state, WatchFormat::Waybar);
        QCOMPARE(waybar.value("text").toString(), QStringLiteral("&lt;b&gt;7&lt;/b&gt;"));
        QCOMPARE(waybar.value("tooltip").toString(),
                 "Last checked: 2026-12-07 11:38:23\nLast error: " + tooltipError);
        const QJsonObject json = object(state, WatchFormat::Json);
        QCOMPARE(json.value("title").toString(), state.title);
        QCOMPARE(json.value("lastError").toString(), lastError);
    }
};

QTEST_GUILESS_MAIN(WatchLineTest)
#include "watch_line_test.moc"
