// The dashboard popup with the real binary: a click on the tray item opens it next to the
// click, its widgets come from the stand-in, and its links reach the (fake) browser.

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

}  // namespace
}  // namespace quintrel::e2e
