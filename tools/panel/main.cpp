// quintrel-panel: a minimal StatusNotifierWatcher and host for headless runs and tests.

#include <unistd.h>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <cstdio>
#include <map>

#include "PanelWindow.h"
#include "Reporter.h"
#include "TrayItem.h"
#include "Watcher.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--help"))) {
        std::puts(
            "Usage: quintrel-panel [--report] [--labels]\n"
            "A minimal tray panel: owns org.kde.StatusNotifierWatcher on the session bus and\n"
            "draws each item's icon in a square slot at the top right of the screen, as\n"
            "Plasma and XFCE do.\n"
            "  --labels  draw each item's label beside its icon too, as GNOME does\n"
            "  --report  print one line per change on standard output and take commands\n"
            "            on standard input: click X Y [ITEM], context X Y [ITEM],\n"
            "            secondary X Y [ITEM], quit; menu [ITEM] reports the item's menu\n"
            "            (GetLayout) and menu-click ID [ITEM] chooses an entry of it");
        return 0;
    }
    const bool report = args.contains(QStringLiteral("--report"));
    const bool labels = args.contains(QStringLiteral("--labels"));

    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "quintrel-panel: no session bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return 2;
    }
    panel::Watcher watcher(bus);
    panel::PanelWindow window(labels);
    panel::Reporter reporter(report);
    std::map<QString, panel::TrayItem*> items;

    QObject::connect(&watcher, &panel::Watcher::itemAdded,
                     [&](const QString& key, const QString& service, const QString& path) {
                         auto& item = items[key];
                         if (!item) {
                             item = new panel::TrayItem(bus, key, service, path, &window);
                             reporter.line(QStringLiteral("registered ") + key);
                             reporter.track(item);
                             window.addItem(item);
                         }
                         item->refresh();
                     });
    QObject::connect(&watcher, &panel::Watcher::itemRemoved, [&](const QString& key) {
        reporter.line(QStringLiteral("unregistered ") + key);
        reporter.forget(key);
        window.removeItem(key);
        if (const auto it = items.find(key); it != items.end()) {
            it->second->deleteLater();
            items.erase(it);
        }
    });

    reporter.listenForLabelSignals(bus);
    // Object first, name second: an item that sees the name appear must find the object.
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportScriptableContents) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fprintf(stderr,
                     "quintrel-panel: cannot own org.kde.StatusNotifierWatcher (another panel "
                     "runs on this session bus?)\n");
        return 3;
    }
    bus.registerService(QStringLiteral("org.kde.StatusNotifierHost-%1").arg(::getpid()));
    emit watcher.StatusNotifierHostRegistered();

    window.show();
    if (report) {
        reporter.listenForCommands();
    }
    reporter.line(QStringLiteral("ready"));
    return app.exec();
}
