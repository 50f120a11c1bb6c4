// The dashboard popup with the real binary: a click on the tray item opens it next to the
// click, its widgets come from the stand-in, and its links reach the (fake) browser.

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

using namespace std::chrono_literals;

// Loading the web engine the first time can be slow on a busy machine.
constexpr auto kWebTimeout = 60s;

class PopupTest : public E2eTest {
protected:
    // Runs an X client of the session's display and answers its standard output.
    QString x11(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(session().environment());
        process.start(program, arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // The geometry of the popup window while it is on screen.
    std::optional<QRect> popupGeometry() {
        const QString info = x11("xwininfo", {"-name", "Quintrel"});
        const auto number = [&info](const char* label) {
            const QRegularExpression line(QString(label) + R"(:\s+(-?\d+))");
            return line.match(info).captured(1).toInt();
        };
        if (!info.contains("IsViewable")) {
            return std::nullopt;
        }
        return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"),
                     number("Width"), number("Height"));
    }

    void clickAt(QPoint point) {
        x11("xdotool",
            {"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
    }

    std::optional<LoggedRequest> lastRequest(const std::string& path) {
        const auto requests = session().standin().requests(path);
        return requests.empty() ? std::nullopt : std::optional(requests.back());
    }

    // Starts the app with a short poll interval and a helper kept only briefly after hiding.
    void startWithShortTimers() {
        session().writePreferences({{"qnapicode", kDemoCode}});
        ASSERT_TRUE(session().startPanel());
        QProcessEnvironment environment;
        environment.insert("QUINTREL_TEST_POLL_INTERVAL_MS", "2000");
        environment.insert("QUINTREL_TEST_DASHBOARD_KEEP_MS", "2000");
        environment.insert("QUINTREL_TEST_DASHBOARD_EVENTS", "1");
        ASSERT_TRUE(session().startApp(environment)) << session().app().error();
        firstAnsweredPoll();
    }

    // The pid of the app's quintrel-dashboard child, or 0.
    qint64 helperPid() {
        return appChild([](const QString& executable) {
            return QFileInfo(executable).fileName() == "quintrel-dashboard";
        });
    }

    // Waits until the popup has reported `count` pages loaded since the app started.
    bool waitForPagesLoaded(size_t count) {
        return waitUntil(
            [&] {
                const std::string err = session().app().standardError();
                size_t seen = 0;
                for (size_t at = err.find("dashboard-page-loaded 1"); at != std::string::npos;
                     at = err.find("dashboard-page-loaded 1", at + 1)) {
                    ++seen;
                }
                return seen >= count;
            },
            kWebTimeout);
    }

    bool appMapsWebEngine() {
        QFile maps(QString("/proc/%1/maps").arg(session().app().pid()));
        return !maps.open(QIODevice::ReadOnly) || maps.readAll().contains("WebEngine");
    }

    bool opened(const std::string& prefix) {
        for (const auto& url : session().openedUrls()) {
            if (url.rfind(prefix, 0) == 0) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(PopupTest, ClickOpensTheWidgetsNextToTheTrayAndLinksGoToTheBrowser) {
    startWithCode();
    firstAnsweredPoll();
    session().panelCommand("click 1200 10");

    ASSERT_TRUE(session().waitForRequests(1, "/widget/wp3.2.php", kWebTimeout));
    const auto overview = lastRequest("/widget/wp3.2.php");
    EXPECT_EQ(overview->queryNames(), std::vector<std::string>{"code"});
    EXPECT_EQ(overview->queryValue("code"), std::string(kDemoCode));

    std::optional<QRect> popup;
    ASSERT_TRUE(waitUntil([&] { return (popup = popupGeometry()).has_value(); }, kTimeout));
    EXPECT_EQ(popup->size(), QSize(680, 560));
    // Under the item, kept on the 1280 × 800 screen.
    EXPECT_TRUE(popup->contains(1200, popup->top())) << popup->x();
    EXPECT_LT(popup->top(), 40);
    EXPECT_LE(popup->right(), 1279);

    // The "Map" segment: the middle third of the bar 12 px inside the popup's top.
    clickAt(popup->topLeft() + QPoint(340, 26));
    ASSERT_TRUE(session().waitForRequests(1, "/widget/wp-map.php", kWebTimeout));
    const auto map = lastRequest("/widget/wp-map.php");
    EXPECT_EQ(map->queryNames(), (std::vector<std::string>{"code", "archive"}));
    EXPECT_EQ(map->queryValue("archive"), std::string("1"));

    // The widget's target=_blank link, reached from the keyboard: to the browser, and
    // the stand-in never sees the page asked for in the popup.
    const auto loginRequests = session().standin().requests("/login-code.php").size();
    clickAt(popup->topLeft() + QPoint(340, 420));
    x11("xdotool", {"key", "Tab", "Return"});
    ASSERT_TRUE(waitUntil([&] { return opened(session().widgetURL() + "/login-code.php?code="); },
                          kTimeout));
    EXPECT_EQ(session().standin().requests("/login-code.php").size(), loginRequests);
    EXPECT_TRUE(popupGeometry().has_value());

    // "Open Dashboard", left of "Settings" in the bottom row.
    clickAt(popup->topLeft() + QPoint(525, 536));
    ASSERT_TRUE(waitUntil(
        [&] { return opened(session().serviceURL() + "/login-code.php?code=" + kDemoCode); },
        kTimeout));

    // A second click on the item closes the popup.
    session().panelCommand("click 1200 10");
    EXPECT_TRUE(waitUntil([&] { return !popupGeometry().has_value(); }, kTimeout));
}

TEST_F(PopupTest, TheHelperComesAndGoesAndAKilledOneIsReplacedWithTheSameTab) {
    startWithShortTimers();
    session().panelCommand("click 1200 10");
    ASSERT_TRUE(session().waitForRequests(1, "/widget/wp3.2.php", kWebTimeout));
    EXPECT_NE(helperPid(), 0);
    EXPECT_FALSE(appMapsWebEngine());

    // Escape hides it; once the keep interval is over the helper is gone.
    std::optional<QRect> popup;
    ASSERT_TRUE(waitUntil([&] { return (popup = popupGeometry()).has_value(); }, kTimeout));
    x11("xdotool", {"key", "Escape"});
    ASSERT_TRUE(waitUntil([&] { return !popupGeometry().has_value(); }, kTimeout));
    ASSERT_TRUE(waitUntil([&] { return helperPid() == 0; }, kTimeout));
    EXPECT_FALSE(appMapsWebEngine());

    // A new helper for the next click; the Map tab is chosen in it, then it is killed.
    session().panelCommand("click 1200 10");
    ASSERT_TRUE(session().waitForRequests(2, "/widget/wp3.2.php", kWebTimeout));
    ASSERT_TRUE(waitForPagesLoaded(2));
    ASSERT_TRUE(waitUntil([&] { return (popup = popupGeometry()).has_value(); }, kTimeout));
    clickAt(popup->topLeft() + QPoint(340, 26));
    ASSERT_TRUE(session().waitForRequests(1, "/widget/wp-map.php", kWebTimeout));
    const qint64 helper = helperPid();
    ASSERT_NE(helper, 0);
    ::kill(static_cast<pid_t>(helper), SIGKILL);
    EXPECT_TRUE(waitUntil(
        [&] {
            return session().app().standardError().find(
                       "The dashboard helper ended unexpectedly") != std::string::npos;
        },
        kTimeout));

    // Polling goes on, and the next click shows the Map tab again in a new helper.
    const auto polls = session().standin().requests("/api/chrome.php").size();
    EXPECT_TRUE(session().waitForRequests(polls + 1, "/api/chrome.php", kTimeout));
    EXPECT_NE(session().currentLabel(), "");
    session().panelCommand("click 1200 10");
    EXPECT_TRUE(session().waitForRequests(2, "/widget/wp-map.php", kWebTimeout));
    EXPECT_TRUE(waitUntil([&] { return popupGeometry().has_value(); }, kTimeout));
    EXPECT_NE(helperPid(), 0);
}

TEST_F(PopupTest, AHostilePageOpensNothingButWebLinksAndStaysOnTheWidgetHost) {
    // One link per 100 px band of the page, from the top; a timer keeps asking for windows.
    const std::string page =
        "<!doctype html><html><body style=\"margin:0\">"
        "<style>a{display:block;height:100px}</style>"
        "<a href=\"smb://server/share\">smb</a>"
        "<a href=\"http://elsewhere.example/offhost\">off host</a>"
        "<a href=\"" +
        session().widgetURL() + "/widget/wp-dashboard.php?code=" + std::string(kDemoCode) +
        "\">same host</a>"
        "<script>setInterval(function(){window.open('" +
        session().widgetURL() +
        "/opened.php')},"
        "200)</script></body></html>";
    ASSERT_TRUE(session().standin().script(
        {{"path", "/widget/wp3.2.php"}, {"content_type", "text/html"}, {"body", page}}));
    startWithShortTimers();
    session().panelCommand("click 1200 10");
    ASSERT_TRUE(waitForPagesLoaded(1));
    std::optional<QRect> popup;
    ASSERT_TRUE(waitUntil([&] { return (popup = popupGeometry()).has_value(); }, kTimeout));
    // The web view's top-left corner inside the popup.
    const QPoint web = popup->topLeft() + QPoint(12, 50);

    clickAt(web + QPoint(20, 50));
    clickAt(web + QPoint(20, 150));
    ASSERT_TRUE(waitUntil([&] { return opened("http://elsewhere.example/offhost"); }, kTimeout));
    clickAt(web + QPoint(20, 250));
    ASSERT_TRUE(session().waitForRequests(1, "/widget/wp-dashboard.php", kWebTimeout));

    for (const auto& url : session().openedUrls()) {
        EXPECT_EQ(url.find("smb:"), std::string::npos) << url;
        EXPECT_EQ(url.find("opened.php"), std::string::npos) << url;
        EXPECT_EQ(url.find("wp-dashboard"), std::string::npos) << url;
    }
    EXPECT_TRUE(session().standin().requests("/opened.php").empty());
    EXPECT_TRUE(popupGeometry().has_value());
}

}  // namespace
}  // namespace quintrel::e2e
