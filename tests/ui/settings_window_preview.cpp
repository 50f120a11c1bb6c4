// Shows the settings window on fakes until it is closed: for looking at it by hand and
// for screenshots under Xvfb.

#include <QApplication>

#include "desktop/settings/QtSettingsWindows.h"
#include "fakes/FakePlatform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quintrel::fakes::FakePlatform fakes;
    quintrel::QtSettingsWindows windows(
        {fakes.mainQueue,
         fakes.http,
         fakes.preferences,
         fakes.bus,
         fakes.console,
         fakes.browser,
         {quintrel::fakes::kServiceURL, quintrel::fakes::kWidgetURL}},
        {});
    auto window = windows.makeSettingsWindow();
    window->showWindow();
    QApplication::setQuitOnLastWindowClosed(true);
    return app.exec();
}
