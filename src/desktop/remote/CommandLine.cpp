#include "desktop/remote/CommandLine.h"

#include <array>
#include <utility>

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace quintrel {

namespace {

struct ActionOption {
    const char* name;
    CommandAction action;
    const char* description;
};

constexpr std::array kActionOptions{
    ActionOption{"refresh", CommandAction::Refresh, "Check the number now."},
    ActionOption{"settings", CommandAction::Settings,
                 "Show the settings window (starts the app if needed)."},
    ActionOption{"dashboard", CommandAction::Dashboard, "Open the dashboard in the browser."},
    ActionOption{"popup", CommandAction::Popup,
                 "Show or hide the dashboard popup (starts the app if needed)."},
    ActionOption{"check-update", CommandAction::CheckUpdate, "Open the update page."},
    ActionOption{"quit", CommandAction::Quit, "Quit the running app."},
    ActionOption{"status", CommandAction::Status, "Print the current title."},
    ActionOption{"watch", CommandAction::Watch,
                 "Print the title on each change until the app quits."},
};

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Quintrel Companion: live visitor numbers in the tray.\n"
        "Without an option it starts the app; with one it talks to the running app."));
    for (const auto& option : kActionOptions) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(option.name),
                                            QString::fromLatin1(option.description)));
    }
    parser.addOption(QCommandLineOption(
        QStringLiteral("format"), QStringLiteral("Output of --watch: text, json or waybar."),
        QStringLiteral("text|json|waybar"), QStringLiteral("text")));
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help.")));
    parser.addOption(QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                                        QStringLiteral("Show the version.")));
}

std::optional<WatchFormat> watchFormat(const QString& name) {
    if (name == QLatin1String("text")) {
        return WatchFormat::Text;
    }
    if (name == QLatin1String("json")) {
        return WatchFormat::Json;
    }
    if (name == QLatin1String("waybar")) {
        return WatchFormat::Waybar;
    }
    return std::nullopt;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    addOptions(parser);
    CommandLine result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = QStringLiteral("Unexpected argument '%1'.")
                           .arg(parser.positionalArguments().constFirst());
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.action = CommandAction::Help;
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.action = CommandAction::Version;
        return result;
    }
    int actions = 0;
    for (const auto& option : kActionOptions) {
        if (parser.isSet(QString::fromLatin1(option.name))) {
            result.action = option.action;
            ++actions;
        }
    }
    if (actions > 1) {
        result.error = QStringLiteral("Give one action at a time.");
        return result;
    }
    const QString format = parser.value(QStringLiteral("format"));
    const auto chosen = watchFormat(format);
    if (!chosen) {
        result.error = QStringLiteral("Unknown format '%1'.").arg(format);
        return result;
    }
    if (parser.isSet(QStringLiteral("format")) && result.action != CommandAction::Watch) {
        result.error = QStringLiteral("--format goes with --watch.");
        return result;
    }
    result.format = *chosen;
    return result;
}

QString commandLineHelp() {
    QCommandLineParser parser;
    addOptions(parser);
    return parser.helpText();
}

QString commandLineUsage() {
    return QStringLiteral(
        "Usage: quintrel-companion [--refresh | --settings | --dashboard | --popup | "
        "--check-update | --quit | --status | --watch [--format text|json|waybar] | --help | "
        "--version]");
}

}  // namespace quintrel
