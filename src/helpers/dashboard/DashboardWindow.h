#pragma once
// The dashboard popup as drawn by the helper: three web widgets behind a segmented
// control, the two status lines and the buttons, in a frameless window next to the tray
// item. It decides nothing but where it stands and what a link may do: the app tells it
// what to show and hears what the user did.

#include <QPushButton>
#include <QWidget>

#include "helpers/dashboard/DashboardWebView.h"
#include "widgets/ElidedLabel.h"
#include "widgets/LinkButton.h"
#include "widgets/SegmentedControl.h"

namespace quintrel {

// The top-left corner for a popup of `size` opened from `anchor`: centred on it
// horizontally, below it when it is in the upper half of the screen, else above it,
// and kept inside `available`.
QPoint popupPosition(QSize size, QPoint anchor, QRect available);

class DashboardWindow final : public QWidget {
    Q_OBJECT

public:
    explicit DashboardWindow(std::string widgetBase);

    // Selects `segment` without reporting it, then shows the window next to `anchor`
    // (X11) or centred (Wayland, where a client cannot place its windows).
    void showAt(QPoint anchor, int segment);
    // Hides the window without reporting it.
    void dismiss();
    void loadURL(const QUrl& url);
    void loadNoCodePage();
    void setStatusLines(const QString& lastChecked, const QString& lastError);

    SegmentedControl* const segmentedControl;
    ElidedLabel* const lastCheckedLabel;
    ElidedLabel* const lastErrorLabel;
    QPushButton* const openDashboardButton;
    QPushButton* const settingsButton;
    QPushButton* const quitButton;
    QPushButton* const privacyPolicyButton;
    QPushButton* const termsButton;
    DashboardWebView* const webView;

signals:
    void tabSelected(int segment);
    // "dashboard", "settings", "quit", "privacy", "terms", or "refresh" for F5 and Ctrl+R.
    void buttonClicked(const QString& name);
    // The user closed the window: Escape, a click elsewhere.
    void closedByUser();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildInterface();
    void layoutControls();

    bool dismissing_ = false;
};

}  // namespace quintrel
