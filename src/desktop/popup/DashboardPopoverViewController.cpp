#include "desktop/popup/DashboardPopoverViewController.h"

#include <cstdio>

#include <QtGlobal>

#include "util/Url.h"

namespace quintrel {

using popover::DashboardMessage;
using popover::MessageType;

DashboardPopoverViewController::DashboardPopoverViewController(
    std::string apiCode, std::string widgetBase, QuintrelLegalLinks legalLinks, Browser& browser,
    std::shared_ptr<DashboardHelperProcess> helper)
    : apiCode_(std::move(apiCode)),
      widgetBase_(std::move(widgetBase)),
      legalLinks_(std::move(legalLinks)),
      browser_(browser),
      helper_(std::move(helper)) {
    connect(helper_.get(), &DashboardHelperProcess::received, this,
            &DashboardPopoverViewController::received);
    // A new helper knows nothing: it gets the status lines and, once the view has been
    // shown, the selected tab's page again.
    connect(helper_.get(), &DashboardHelperProcess::started, this, [this] {
        sendStatus();
        reloadSelectedTab();
    });
}

void DashboardPopoverViewController::viewWillAppear() {
    if (!viewLoaded_) {
        viewLoaded_ = true;
        reloadSelectedTab();
    }
}

void DashboardPopoverViewController::reloadSelectedTab() {
    if (const auto page =
            popover::reloadSelectedTab(viewLoaded_, widgetBase_, apiCode_, selectedSegment_)) {
        send(*page);
    }
}

void DashboardPopoverViewController::send(const popover::PageLoad& page) {
    if (page.kind == popover::PageLoad::Kind::remoteWidget) {
        helper_->send({MessageType::load, {page.url}});
    } else {
        helper_->send({MessageType::noCode, {}});
    }
}

void DashboardPopoverViewController::updateStatus(const std::string& lastChecked,
                                                  const std::string& lastError, bool) {
    status_ = popover::statusLines(lastChecked, lastError);
    sendStatus();
}

void DashboardPopoverViewController::sendStatus() {
    helper_->send(popover::statusMessage(status_.lastChecked, status_.lastError));
}

void DashboardPopoverViewController::received(const DashboardMessage& message) {
    const auto call = [](const std::function<void()>& handler) {
        if (handler) {
            handler();
        }
    };
    switch (message.type) {
        case MessageType::tab:
            selectedSegment_ = std::stoi(message.fields[0]);
            reloadSelectedTab();
            break;
        case MessageType::button: {
            const std::string& name = message.fields[0];
            if (name == "dashboard") {
                call(openDashboardHandler);
            } else if (name == "settings") {
                call(openSettingsHandler);
            } else if (name == "quit") {
                call(quitHandler);
            } else if (name == "refresh") {
                call(refreshHandler);
            } else if (name == "privacy") {
                browser_.openURL(legalLinks_.privacyPolicy);
            } else if (name == "terms") {
                browser_.openURL(legalLinks_.terms);
            }
            break;
        }
        case MessageType::open:
            // The helper holds remote content: only a web link from it reaches the browser.
            if (!url::isWebURL(message.fields[0])) {
                break;
            }
            if (opens_.take(std::chrono::steady_clock::now())) {
                browser_.openURL(message.fields[0]);
            } else {
                qWarning("Not opening a link from the dashboard: more than %zu in a minute",
                         kOpensPerMinute);
            }
            break;
#ifdef QUINTREL_TEST_HOOKS
        // QUINTREL_TEST_DASHBOARD_EVENTS=1: the end-to-end tests wait for a page to be
        // there before they click into it.
        case MessageType::loaded:
            if (qEnvironmentVariableIsSet("QUINTREL_TEST_DASHBOARD_EVENTS")) {
                std::fprintf(stderr, "dashboard-page-loaded %s\n", message.fields[0].c_str());
            }
            break;
#endif
        default:
            break;
    }
}

}  // namespace quintrel
