#include "desktop/system/StdoutConsole.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include <QGlobalStatic>
#include <QString>
#include <QtGlobal>

#include "util/SecretMasking.h"

namespace quintrel {

namespace {

// Qt calls the message handler on whichever of its threads warns.
struct StoredCode {
    std::mutex mutex;
    std::string code;
};
// Qt may still warn while statics are torn down: this one says when it is gone.
Q_GLOBAL_STATIC(StoredCode, storedCode)

std::string maskedWithStoredCode(std::string_view line) {
    if (storedCode.isDestroyed()) {
        return maskSecrets(line, {});
    }
    std::lock_guard lock(storedCode->mutex);
    return maskSecrets(line, storedCode->code);
}

}  // namespace

void StdoutConsole::maskInQtMessages(std::string code) {
    std::lock_guard lock(storedCode->mutex);
    storedCode->code = std::move(code);
}

void StdoutConsole::printLine(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void StdoutConsole::printError(std::string_view line) {
    const std::string text = maskedWithStoredCode(line);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void StdoutConsole::installQtMessageHandler() {
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            // Qt's warnings quote URLs, and the dashboard's carry the API code.
            printError(qFormatLogMessage(type, context, message).toStdString());
            if (type == QtFatalMsg) {
                std::abort();
            }
        });
}

}  // namespace quintrel
