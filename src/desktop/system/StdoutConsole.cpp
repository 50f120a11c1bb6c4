#include "desktop/system/StdoutConsole.h"

#include <cstdio>
#include <cstdlib>

#include <QString>
#include <QtGlobal>

namespace quintrel {

void StdoutConsole::printLine(std::string_view line) {
    std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void StdoutConsole::installQtMessageHandler() {
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            const QByteArray text = qFormatLogMessage(type, context, message).toLocal8Bit();
            std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
            std::fputc('\n', stderr);
            std::fflush(stderr);
            if (type == QtFatalMsg) {
                std::abort();
            }
        });
}

}  // namespace quintrel
