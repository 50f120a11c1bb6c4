#pragma once
// Keeps the settings window's "Start at login" switch and the user's autostart entry in
// step: the switch shows the entry as it is on disk, and a toggle changes the entry at
// once, apart from the stored preferences and their Save.

#include <QObject>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "desktop/system/QtUserFiles.h"

class QAbstractButton;
class QLabel;

namespace quintrel {

class AutostartSwitch : public QObject {
    Q_OBJECT

public:
    // `message` shows why the entry could not be read or changed; `relayout` runs when it
    // appears or goes, since it changes the window's height.
    AutostartSwitch(QAbstractButton* toggle, QLabel* message, std::function<void()> relayout,
                    QObject* parent);

    // Sets the switch from the entry as it is now.
    void reload();

private:
    void toggled(bool on);
    void showMessage(const std::optional<std::string>& text);
    void setState(bool on);

    QAbstractButton* toggle_;
    QLabel* message_;
    std::function<void()> relayout_;
    std::optional<std::filesystem::path> entry_;
    QtUserFiles files_;
};

}  // namespace quintrel
