#include "desktop/settings/AutostartSwitch.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QSignalBlocker>

#include "settings/AutostartEntry.h"
#include "settings/AutostartFile.h"

namespace quintrel {

AutostartSwitch::AutostartSwitch(QAbstractButton* toggle, QLabel* message,
                                 std::function<void()> relayout, QObject* parent)
    : QObject(parent),
      toggle_(toggle),
      message_(message),
      relayout_(std::move(relayout)),
      entry_(autostart::entryPath(processEnvironment)) {
    // Red that reads on light and on dark window backgrounds alike.
    QPalette colors = message_->palette();
    const bool dark = colors.color(QPalette::Window).lightness() < 128;
    colors.setColor(QPalette::WindowText,
                    dark ? QColor(0xff, 0x7b, 0x72) : QColor(0xc0, 0x1c, 0x28));
    message_->setPalette(colors);
    message_->hide();
    // Only a person's toggle writes; setting the switch from the file does not.
    connect(toggle_, &QAbstractButton::clicked, this, &AutostartSwitch::toggled);
    reload();
}

void AutostartSwitch::reload() {
    if (!entry_) {
        toggle_->setEnabled(false);
        setState(false);
        showMessage("Start at login needs a home folder (HOME is not set).");
        return;
    }
    const autostart::State state = autostart::readState(files_, *entry_);
    setState(state.enabled);
    showMessage(state.problem);
}

void AutostartSwitch::toggled(bool on) {
    if (!entry_) {
        setState(false);
        return;
    }
    const auto binary = autostart::runningBinary();
    const std::string exec = binary ? autostart::execValue(*binary, processEnvironment("PATH"))
                                    : std::string(autostart::kBinaryName);
    const auto problem = autostart::setEnabled(files_, *entry_, on, exec);
    if (problem) {
        setState(!on);
    }
    showMessage(problem);
}

void AutostartSwitch::setState(bool on) {
    const QSignalBlocker quiet(toggle_);
    toggle_->setChecked(on);
}

void AutostartSwitch::showMessage(const std::optional<std::string>& text) {
    const bool wasVisible = !message_->isHidden();
    if (text) {
        // Paths under the home folder read shorter and wrap better as "~/...".
        QString shown = QString::fromStdString(*text);
        if (const QString home = QDir::homePath(); home != QDir::rootPath()) {
            shown.replace(home + QLatin1Char('/'), QStringLiteral("~/"));
        }
        message_->setText(shown);
        message_->show();
    } else {
        message_->clear();
        message_->hide();
    }
    if (wasVisible != !message_->isHidden() && relayout_) {
        relayout_();
    }
}

}  // namespace quintrel
