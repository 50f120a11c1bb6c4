// The dashboard popup with the real binaries: the helper that draws it comes with a click
// and goes after the keep interval, so the app never maps the web engine; a killed helper
// is replaced with the tab that was chosen; and the helper applies the link rules to what
// a page does. Which URL each tab loads and the rules themselves are unit tables.

#include <signal.h>

#include <QFileInfo>
#include <QPoint>
#include <QRegularExpression>
#include <regex>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

const std::string kOverview = "/widget/wp3.2.php";
const std::string kMap = "/widget/wp-map.php";

class PopupTest : public E2eTest {
protected:
    // The popup's top-left corner while it is on screen.
    std::optional<QPoint> popup() {
        const QString info = x11("xwininfo", {"-name", "Quintrel"});
        if (!info.contains("IsViewable")) {
            return std::nullopt;
        }
        const auto number = [&info](const char* label) {
            return QRegularExpression(QString(label) + R"(:\s+(-?\d+))")
                .match(info)
                .captured(1)
                .toInt();
        };
        return QPoint(number("Absolute upper-left X"), number("Absolute upper-left Y"));
    }
    bool waitForPopup(bool shown) {
        return waitUntil([&] { return popup().has_value() == shown; });
    }
    void clickAt(QPoint at) {
        x11("xdotool",
            {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    // The "Map" segment: the middle of the bar 12 px inside the popup's top.
    void chooseMap() { clickAt(*popup() + QPoint(340, 26)); }

    // A short poll interval, a helper kept only briefly after hiding, its events reported.
    void startWithShortTimers() {
        auto environment = shortPoll(2000);
        environment.insert("QUINTREL_TEST_DASHBOARD_KEEP_MS", "2000");
        environment.insert("QUINTREL_TEST_DASHBOARD_EVENTS", "1");
        startWithCode(environment);
        firstAnsweredPoll();
    }

    qint64 helperPid() {
        return appChild([](const QString& executable) {
            return QFileInfo(executable).fileName() == "quintrel-dashboard";
        });
    }

    // Waits until the popup has reported `count` pages loaded since the app started.
    bool waitForPagesLoaded(std::ptrdiff_t count) {
        static const std::regex loaded("dashboard-page-loaded 1");
        const auto& err = app().standardError();
        return waitUntil(
            [&] {
                return std::distance(std::sregex_iterator(err.begin(), err.end(), loaded),
                                     std::sregex_iterator()) >= count;
            },
            kWebTimeout);
    }
};

TEST_F(PopupTest, TheHelperComesAndGoesAndAKilledOneIsReplacedWithTheSameTab) {
    startWithShortTimers();
    panelCommand("click 1200 10");
    ASSERT_TRUE(waitForRequests(1, kOverview, kWebTimeout));
    EXPECT_EQ(standin().requests(kOverview).front().queryValue("code"), kDemoCode);
    ASSERT_TRUE(waitForPopup(true));

    // A second click hides it; once the keep interval is over the helper is gone, and the
    // app never loaded the web engine.
    panelCommand("click 1200 10");
    ASSERT_TRUE(waitForPopup(false));
    ASSERT_TRUE(waitUntil([&] { return helperPid() == 0; }));
    EXPECT_FALSE(appMaps("WebEngine"));

    // A new helper for the next click; the Map tab is chosen in it, then it is killed.
    panelCommand("click 1200 10");
    ASSERT_TRUE(waitForRequests(2, kOverview, kWebTimeout));
    ASSERT_TRUE(waitForPagesLoaded(2));
    ASSERT_TRUE(waitForPopup(true));
    chooseMap();
    ASSERT_TRUE(waitForRequests(1, kMap, kWebTimeout));
    const qint64 helper = helperPid();
    ASSERT_NE(helper, 0);
    ::kill(static_cast<pid_t>(helper), SIGKILL);
    EXPECT_TRUE(waitUntil(
        [&] { return app().saidOnStandardError("The dashboard helper ended unexpectedly"); }));

    // Polling goes on and reaches the tray; the next click shows the Map tab again.
    ASSERT_TRUE(standin().script(countsReply(4321, 100)));
    EXPECT_TRUE(waitForLabel("4321"));
    panelCommand("click 1200 10");
    EXPECT_TRUE(waitForRequests(2, kMap, kWebTimeout));
    EXPECT_TRUE(waitForPopup(true));
}

TEST_F(PopupTest, AHostilePageOpensNothingButWebLinksAndStaysOnTheWidgetHost) {
    // One element per 60 px band of the page, from the top; a timer keeps asking for windows.
    // A click on the fourth asks for a window by script: the web engine lets that through for
    // a few seconds after any click, so it is the link clicked on that decides. The last band
    // starts a loop that navigates off the host every 10 ms, 100 times, then fetches
    // /looped.php (Chromium ignores a frame's navigations past 200 in 10 s).
    std::string page = R"html(<!doctype html><html><body style="margin:0">
        <style>a,p{display:block;height:60px;margin:0}</style>
        <a href="smb://server/share">smb</a>
        <a href="http://elsewhere.example/offhost">off host</a>
        <a target="_blank" href="WIDGET/login-code.php?new">new</a>
        <p onclick="window.open('WIDGET/opened.php?click')">script window</p>
        <a href="WIDGET/widget/wp-dashboard.php?code=CODE">same host</a>
        <p onclick="var n=0,loop=setInterval(function(){if(n<100){
            location='https://off-host.example/'+n++}else{clearInterval(loop);
            new Image().src='WIDGET/looped.php'}},10)">loop</p>
        <script>setInterval(function(){window.open('WIDGET/opened.php')},200)</script>
        </body></html>)html";
    page = std::regex_replace(std::regex_replace(page, std::regex("WIDGET"), widgetURL()),
                              std::regex("CODE"), kDemoCode);
    ASSERT_TRUE(
        standin().script({{"path", kOverview}, {"content_type", "text/html"}, {"body", page}}));
    startWithShortTimers();
    panelCommand("click 1200 10");
    ASSERT_TRUE(waitForPagesLoaded(1));
    ASSERT_TRUE(waitForPopup(true));
    // The web view's top-left corner inside the popup.
    const QPoint web = *popup() + QPoint(12, 50);

    const auto band = [&web](int index) {
        return web + QPoint(20, 30 + 60 * index);
    };
    clickAt(band(0));
    clickAt(band(1));
    ASSERT_TRUE(waitUntil([&] { return opened("http://elsewhere.example/offhost"); }));
    // The script's window would reach the browser before the link's, which is asked for
    // after it; the link's goes to the browser, and the page is never asked for here.
    clickAt(band(3));
    clickAt(band(2));
    ASSERT_TRUE(waitUntil([&] { return opened(widgetURL() + "/login-code.php?new"); }));
    // The click that starts the loop lets one of its navigations through, no more.
    clickAt(band(5));
    ASSERT_TRUE(waitForRequests(1, "/looped.php", kWebTimeout));
    EXPECT_LE(std::ranges::count_if(openedUrls(),
                                    [](const std::string& url) {
                                        return url.starts_with("https://off-host.example/");
                                    }),
              1);
    clickAt(band(4));
    ASSERT_TRUE(waitForRequests(1, "/widget/wp-dashboard.php", kWebTimeout));

    for (const auto& url : openedUrls()) {
        EXPECT_EQ(url.find("smb:"), std::string::npos) << url;
        EXPECT_EQ(url.find("opened.php"), std::string::npos) << url;
        EXPECT_EQ(url.find("wp-dashboard"), std::string::npos) << url;
    }
    EXPECT_TRUE(standin().requests("/opened.php").empty());
    EXPECT_TRUE(standin().requests("/login-code.php").empty());
    EXPECT_TRUE(popup().has_value());
}

}  // namespace
}  // namespace quintrel::e2e
