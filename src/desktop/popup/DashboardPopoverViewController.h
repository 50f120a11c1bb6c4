#pragma once
// The dashboard popup's content: three web widgets behind a segmented control, the two
// status lines, and the buttons. The window that carries it is DashboardPopup.

#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <optional>

#include "desktop/popup/DashboardWebView.h"
#include "desktop/popup/ElidedLabel.h"
#include "desktop/popup/SegmentedControl.h"
#include "platform/Browser.h"
#include "platform/DashboardPopover.h"
#include "popover/DashboardTabs.h"
#include "settings/QuintrelLegalLinks.h"

namespace quintrel {

class DashboardPopoverViewController final : public QWidget, public DashboardPopoverContent {
    Q_OBJECT

public:
    // Makes a web view for the content; null when none can be had.
    using WebViewSource = std::function<DashboardWebView*(QWidget* parent)>;

    DashboardPopoverViewController(std::string apiCode, std::string widgetBase,
                                   QuintrelLegalLinks legalLinks, Browser& browser,
                                   WebViewSource webViews);
    ~DashboardPopoverViewController() override;

    // DashboardPopoverContent
    std::string apiCode() const override { return apiCode_; }
    void setAPICode(const std::string& apiCode) override { apiCode_ = apiCode; }
    void setOpenDashboardHandler(std::function<void()> handler) override {
        openDashboardHandler = std::move(handler);
    }
    void setOpenSettingsHandler(std::function<void()> handler) override {
        openSettingsHandler = std::move(handler);
    }
    void setQuitHandler(std::function<void()> handler) override {
        quitHandler = std::move(handler);
    }
    void reloadSelectedTab() override;
    void updateStatus(const std::string& lastChecked, const std::string& lastError,
                      bool isChecking) override;
    ContentSize preferredContentSize() const override {
        return {popover::kPreferredWidth, popover::kPreferredHeight};
    }

    bool isViewLoaded() const { return viewLoaded_; }
    // Whether a web view exists now: it is released a while after the popup was hidden.
    bool hasWebView() const { return webView_ != nullptr; }

    // How long a hidden popup keeps its web view and renderer.
    static constexpr std::chrono::minutes kReleaseWebViewAfter{3};

    std::function<void()> openDashboardHandler;
    std::function<void()> openSettingsHandler;
    std::function<void()> quitHandler;

    SegmentedControl* const segmentedControl;
    ElidedLabel* const lastCheckedLabel;
    ElidedLabel* const lastErrorLabel;
    QPushButton* const openDashboardButton;
    QPushButton* const settingsButton;
    QPushButton* const quitButton;
    QPushButton* const privacyPolicyButton;
    QPushButton* const termsButton;
    // Holds the web view, or stands in for it until the first show.
    QWidget* const webArea;

signals:
    // A page load in the web view ended, well or not.
    void pageLoadFinished(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void viewDidLoad();
    void buildInterface();
    void layoutControls();
    QPushButton* legalLinkButton(const QString& title,
                                 void (DashboardPopoverViewController::*action)());
    void tabChanged();
    void openDashboard();
    void openSettings();
    void quit();
    void openPrivacyPolicy();
    void openTerms();
    bool ensureWebView();
    void releaseWebView();
    void load(const popover::PageLoad& page);
    bool decidePolicy(bool hasTargetFrame, const QUrl& url);

    std::string apiCode_;
    const std::string widgetBase_;
    const QuintrelLegalLinks legalLinks_;
    Browser& browser_;
    WebViewSource webViews_;
    bool viewLoaded_ = false;
    QPointer<DashboardWebView> webView_;
    // A load asked for while the web view was released; made when it is back.
    std::optional<popover::PageLoad> pendingLoad_;
    QTimer releaseTimer_;
};

}  // namespace quintrel
