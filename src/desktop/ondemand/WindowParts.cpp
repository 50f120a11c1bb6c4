#include "desktop/ondemand/WindowParts.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

namespace quintrel {

WindowParts* loadWindowParts(const QString& dir) {
    QString found;
    for (const QString& candidate :
         {dir + "/libquintrel-windows.so",
          dir + "/../libexec/quintrel-companion/libquintrel-windows.so"}) {
        if (QFileInfo(candidate).isFile()) {
            found = QFileInfo(candidate).canonicalFilePath();
            break;
        }
    }
    if (found.isEmpty()) {
        qWarning("No libquintrel-windows.so beside %s: no settings window, no popup",
                 qPrintable(dir));
        return nullptr;
    }
    void* handle = dlopen(QFile::encodeName(found).constData(), RTLD_NOW | RTLD_LOCAL);
    using Entry = WindowParts* (*)();
    const auto entry =
        handle ? reinterpret_cast<Entry>(dlsym(handle, "quintrel_window_parts")) : nullptr;
    if (entry == nullptr) {
        qWarning("Cannot load %s: %s", qPrintable(found), dlerror());
        return nullptr;
    }
    return entry();
}

WindowParts* windowParts() {
    static WindowParts* const parts = loadWindowParts(QCoreApplication::applicationDirPath());
    return parts;
}

OnDemandSettingsWindows::OnDemandSettingsWindows(SettingsServices services,
                                                 std::function<void()> playStartupSound)
    : services_(std::move(services)), playStartupSound_(std::move(playStartupSound)) {}

std::unique_ptr<SettingsWindowController> OnDemandSettingsWindows::makeSettingsWindow(
    SaveReports reports) {
    if (!windows_) {
        if (WindowParts* parts = windowParts()) {
            windows_ = parts->makeSettingsWindows(services_, playStartupSound_);
        }
    }
    return windows_ ? windows_->makeSettingsWindow(std::move(reports)) : nullptr;
}

OnDemandPopovers::OnDemandPopovers(ServiceEndpoints service, Browser& browser,
                                   TrayPosition trayPosition)
    : service_(std::move(service)), browser_(browser), trayPosition_(std::move(trayPosition)) {}

DashboardPopoverFactory* OnDemandPopovers::popovers() {
    if (!popovers_) {
        if (WindowParts* parts = windowParts()) {
            popovers_ = parts->makePopovers(service_, browser_, trayPosition_, helperKeepAfterHide);
        }
    }
    return popovers_.get();
}

std::shared_ptr<DashboardPopoverContent> OnDemandPopovers::makeViewController(
    const std::string& apiCode) {
    DashboardPopoverFactory* factory = popovers();
    return factory ? factory->makeViewController(apiCode) : nullptr;
}

std::unique_ptr<DashboardPopover> OnDemandPopovers::makePopover() {
    DashboardPopoverFactory* factory = popovers();
    return factory ? factory->makePopover() : nullptr;
}

}  // namespace quintrel
