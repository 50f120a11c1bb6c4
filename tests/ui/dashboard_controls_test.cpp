// The dashboard popup's controls: tabs by keyboard and assistive technology, the status line.

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

#include "widgets/ElidedLabel.h"
#include "widgets/SegmentedControl.h"

namespace quintrel {

class DashboardControlsTest : public QObject {
    Q_OBJECT

private slots:
    void segmentsAreTabsThatTheKeyboardReachesAndChooses() {
        QWidget window;
        SegmentedControl control({"Overview", "Map", "Recent Visitors"}, &window);
        control.setSelectedSegment(0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy chosen(&control, &SegmentedControl::segmentSelected);

        const auto segment = [&](int i) {
            return QAccessible::queryAccessibleInterface(control.segmentButton(i));
        };
        QCOMPARE(QAccessible::queryAccessibleInterface(&control)->role(), QAccessible::PageTabList);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(segment(i)->role(), QAccessible::PageTab);
            QCOMPARE(segment(i)->text(QAccessible::Name), control.label(i));
            QCOMPARE(segment(i)->state().selected, i == 0);
            QCOMPARE(segment(i)->state().checked, i == 0);
        }

        // Tab reaches the first segment; the arrows move and choose; Space chooses.
        window.activateWindow();
        QTest::keyClick(&window, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control.segmentButton(0));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(control.selectedSegment(), 1);
        QCOMPARE(QApplication::focusWidget(), control.segmentButton(1));
        QVERIFY(segment(1)->state().selected && !segment(0)->state().selected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);  // stays on the last
        QCOMPARE(control.selectedSegment(), 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCOMPARE(control.selectedSegment(), 1);
        control.segmentButton(0)->setFocus();
        QTest::keyClick(control.segmentButton(0), Qt::Key_Space);
        QCOMPARE(control.selectedSegment(), 0);
        QCOMPARE(chosen.size(), 4);
        QCOMPARE(chosen.last().at(0).toInt(), 0);
    }

    void theFullErrorTooltipShowsMarkupAsText() {
        ElidedLabel label("");
        label.resize(200, 20);
        // A validation reply's body can reach this line: markup stays text.
        const QString error =
            "Last error: <img src=\"http://q.test/x.png\"><table><tr><td>a &amp; b</td></tr>"
            "</table> " +
            QString(60, 'W');
        label.setText(error);
        const QString tip = label.toolTip();
        QTextDocument shown;
        Qt::mightBeRichText(tip) ? shown.setHtml(tip)
                                 : shown.setPlainText(tip);  // as QToolTip does
        QCOMPARE(shown.toPlainText(), error);
    }
};

}  // namespace quintrel

QTEST_MAIN(quintrel::DashboardControlsTest)
#include "dashboard_controls_test.moc"
