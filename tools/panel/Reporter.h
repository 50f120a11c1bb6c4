#pragma once
// The panel's observation side: one line per change on standard output, and commands
// read from standard input ("click X Y", "context X Y", "secondary X Y", "menu",
// "menu-click ID", each with an optional item key; "quit").

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QSocketNotifier>
#include <map>

#include "TrayItem.h"

namespace panel {

// `text` in double quotes, with backslash, double quote and line breaks escaped.
QString quoted(const QString& text);
QString describe(const TrayItem& item);

class Reporter : public QObject {
    Q_OBJECT
public:
    explicit Reporter(bool report, QObject* parent = nullptr);

    void line(const QString& text);
    void track(TrayItem* item);
    void forget(const QString& key);
    void listenForCommands();
    // Reports every label an item announces, including those sent before the item was
    // read for the first time (start-up titles change faster than a property read).
    void listenForLabelSignals(QDBusConnection bus);

private slots:
    void labelSignal(const QString& label, const QString& guide, const QDBusMessage& message);

private:
    void readCommands();
    void runCommand(const QString& command);

    bool report_;
    std::map<QString, QString> lastLines_;
    std::map<QString, TrayItem*> items_;
    QString lastKey_;
    QSocketNotifier* stdinNotifier_ = nullptr;
    QByteArray pending_;
};

}  // namespace panel
