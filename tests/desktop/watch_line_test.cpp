// The lines of `--watch`: waybar reads "text" and "tooltip" as Pango markup, so what the
// service wrote reaches it as plain words; the JSON format carries it unchanged.

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "desktop/remote/RemoteClient.h"

using quintrel::WatchFormat;

class WatchLineTest : public QObject {
    Q_OBJECT

private slots:
    void markupStaysText() {
        const QString error = R"(<span size="1">x</span> & can't &lt;)";
        const quintrel::RemoteState state{"<b>7</b>", "2026-12-07 11:38:23", error, false};
        const auto object = [&](WatchFormat format) {
            return QJsonDocument::fromJson(quintrel::watchLine(state, format).toUtf8()).object();
        };
        const QJsonObject waybar = object(WatchFormat::Waybar);
        QCOMPARE(waybar.value("text").toString(), QStringLiteral("&lt;b&gt;7&lt;/b&gt;"));
        QCOMPARE(waybar.value("tooltip").toString(),
                 "Last checked: 2026-12-07 11:38:23\nLast error: &lt;span size=&quot;1&quot;&gt;x"
                 "&lt;/span&gt; &amp; can&apos;t &amp;lt;");
        QCOMPARE(object(WatchFormat::Json).value("title").toString(), state.title);
        QCOMPARE(object(WatchFormat::Json).value("lastError").toString(), error);
    }
};

QTEST_GUILESS_MAIN(WatchLineTest)
#include "watch_line_test.moc"
