#pragma once
// The content of the settings window ("Quintrel Configuration"): the controls of the form
// "MainCC" (resources/Main.ui), filled from the preferences, and the two legal links.

#include <QWidget>

#include <functional>
#include <memory>

#include "settings/QuintrelLegalLinks.h"
#include "settings/SaveFlow.h"

class QPushButton;

namespace quintrel {
class AutostartSwitch;
}

namespace Ui {
class MainCC;
}

namespace quintrel {

class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    // `reports` is where a save tells the app how it goes; `playStartupSound` plays the
    // window's start-up sound, whatever the sound switches say.
    SettingsWindow(SettingsServices services, SaveReports reports,
                   std::function<void()> playStartupSound, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    void helpbutton();
    void savebutton();
    void openPrivacyPolicy();
    void openTerms();
    // Closes the window after a save stored the settings.
    void quintrel_close();

    // Where the links sit: their frames measured from the bottom-left corner, as (x, y,
    // width, height), turned into this widget's top-left geometry.
    static constexpr int kLinkBottom = 20;
    static constexpr int kLinkHeight = 18;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void viewDidLoad();
    void placeLinks();
    // Fixes the window's size to its content at the width it was made with.
    void fitToContents();

    std::unique_ptr<Ui::MainCC> ui_;
    SettingsServices services_;
    SaveReports reports_;
    QuintrelLegalLinks links_;
    std::function<void()> playStartupSound_;
    QPushButton* privacyPolicyButton_ = nullptr;
    QPushButton* termsButton_ = nullptr;
    AutostartSwitch* autostart_ = nullptr;
    int width_ = 0;
};

}  // namespace quintrel
