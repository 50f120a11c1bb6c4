// Report lines and stdin commands.

#include "Reporter.h"

#include <unistd.h>
#include <QCoreApplication>
#include <cstdio>

namespace panel {

QString quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"') {
            out += u'\\';
            out += c;
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\r') {
            out += QStringLiteral("\\r");
        } else {
            out += c;
        }
    }
    return out + u'"';
}

QString describe(const TrayItem& item) {
    const auto& state = item.state();
    const auto size = state.largestIcon();
    QString text =
        QStringLiteral("item %1 label=%2 tooltip=%3 icon=%4")
            .arg(item.key(), quoted(state.label), quoted(state.tooltipTitle),
                 size.isEmpty() ? QStringLiteral("none")
                                : QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
    text += QStringLiteral(" icons=%1").arg(state.icons.size());
    if (!state.tooltipBody.isEmpty()) {
        text += QStringLiteral(" tooltip-body=") + quoted(state.tooltipBody);
    }
    return text;
}

Reporter::Reporter(bool report, QObject* parent) : QObject(parent), report_(report) {}

void Reporter::line(const QString& text) {
    if (report_) {
        std::fputs(text.toUtf8().constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

void Reporter::track(TrayItem* item) {
    items_[item->key()] = item;
    lastKey_ = item->key();
    connect(item, &TrayItem::changed, this, [this, item] {
        auto text = describe(*item);
        auto& last = lastLines_[item->key()];
        if (text != last) {
            last = text;
            line(text);
        }
    });
    // "menu KEY 1="Refresh Now" 2=separator ...", or "menu KEY error NAME".
    connect(item, &TrayItem::menuRead, this,
            [this, item](const std::vector<MenuEntry>& entries, const QString& error) {
                QString text = QStringLiteral("menu ") + item->key();
                if (!error.isEmpty()) {
                    text += QStringLiteral(" error ") + error;
                }
                for (const auto& entry : entries) {
                    text += QStringLiteral(" %1=%2").arg(entry.id).arg(
                        entry.separator ? QStringLiteral("separator") : quoted(entry.label));
                }
                line(text);
            });
    connect(item, &TrayItem::callFinished, this,
            [this, item](const QString& method, const QString& error) {
                line(QStringLiteral("called %1 %2 %3")
                         .arg(item->key(), method, error.isEmpty() ? QStringLiteral("ok") : error));
            });
}

void Reporter::forget(const QString& key) {
    items_.erase(key);
    lastLines_.erase(key);
    if (lastKey_ == key) {
        lastKey_ = items_.empty() ? QString() : items_.rbegin()->first;
    }
}

void Reporter::listenForLabelSignals(QDBusConnection bus) {
    bus.connect(QString(), QString(), QStringLiteral("org.kde.StatusNotifierItem"),
                QStringLiteral("XAyatanaNewLabel"), this,
                SLOT(labelSignal(QString, QString, QDBusMessage)));
}

void Reporter::labelSignal(const QString& label, const QString&, const QDBusMessage& message) {
    line(QStringLiteral("signal %1 XAyatanaNewLabel %2").arg(message.service(), quoted(label)));
}

void Reporter::listenForCommands() {
    stdinNotifier_ = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(stdinNotifier_, &QSocketNotifier::activated, this, &Reporter::readCommands);
}

void Reporter::readCommands() {
    char buffer[1024];
    const auto n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        // End of input: nobody will send commands any more; keep the panel running.
        stdinNotifier_->setEnabled(false);
        return;
    }
    pending_.append(buffer, n);
    for (auto end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
        runCommand(QString::fromUtf8(pending_.left(end)).trimmed());
        pending_.remove(0, end + 1);
    }
}

void Reporter::runCommand(const QString& command) {
    const auto words = command.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        return;
    }
    if (words[0] == QStringLiteral("quit")) {
        QCoreApplication::quit();
        return;
    }
    // "menu [ITEM]" reads the item's menu; "menu-click ID [ITEM]" chooses an entry.
    if (words[0] == QStringLiteral("menu") || words[0] == QStringLiteral("menu-click")) {
        const bool click = words[0] == QStringLiteral("menu-click");
        bool idOk = !click;
        const int id = click ? words.value(1).toInt(&idOk) : 0;
        const qsizetype keyAt = click ? 2 : 1;
        if (!idOk || words.size() > keyAt + 1) {
            line(QStringLiteral("error unknown command ") + quoted(command));
            return;
        }
        const auto key = words.size() > keyAt ? words[keyAt] : lastKey_;
        const auto item = items_.find(key);
        if (item == items_.end()) {
            line(QStringLiteral("error no item ") + quoted(key));
        } else if (click) {
            item->second->clickMenu(id);
        } else {
            item->second->readMenu();
        }
        return;
    }
    static const std::map<QString, QString> kMethods{
        {QStringLiteral("click"), QStringLiteral("Activate")},
        {QStringLiteral("context"), QStringLiteral("ContextMenu")},
        {QStringLiteral("secondary"), QStringLiteral("SecondaryActivate")}};
    const auto method = kMethods.find(words[0]);
    bool xOk = false, yOk = false;
    const int x = words.value(1).toInt(&xOk);
    const int y = words.value(2).toInt(&yOk);
    if (method == kMethods.end() || !xOk || !yOk || words.size() > 4) {
        line(QStringLiteral("error unknown command ") + quoted(command));
        return;
    }
    const auto key = words.size() == 4 ? words[3] : lastKey_;
    const auto item = items_.find(key);
    if (item == items_.end()) {
        line(QStringLiteral("error no item ") + quoted(key));
        return;
    }
    item->second->call(method->second, x, y);
}

}  // namespace panel
