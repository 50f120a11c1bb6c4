#include "desktop/popup/DashboardHelperProcess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtDebug>
#include <utility>

#include "desktop/system/StdoutConsole.h"

namespace quintrel {

using popover::DashboardMessage;
using popover::MessageType;

DashboardHelperProcess::DashboardHelperProcess(std::optional<QString> program,
                                               std::string widgetBase)
    : program_(std::move(program)), widgetBase_(std::move(widgetBase)) {
    releaseTimer_.setSingleShot(true);
    connect(&releaseTimer_, &QTimer::timeout, this, [this] {
        if (isRunning()) {
            quitting_ = true;
            send({MessageType::quit, {}});
            killTimer_.start(kQuitGrace);
        }
    });
    killTimer_.setSingleShot(true);
    connect(&killTimer_, &QTimer::timeout, this, [this] {
        if (process_) {
            process_->kill();
        }
    });
}

DashboardHelperProcess::~DashboardHelperProcess() {
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(1000);
    }
}

std::optional<QString> DashboardHelperProcess::defaultProgram() {
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + "/quintrel-dashboard", dir + "/../libexec/quintrel-companion/quintrel-dashboard"}) {
        if (QFileInfo(candidate).isExecutable()) {
            return QFileInfo(candidate).canonicalFilePath();
        }
    }
#ifdef QUINTREL_DASHBOARD_HELPER_BUILD_PATH
    return QStringLiteral(QUINTREL_DASHBOARD_HELPER_BUILD_PATH);
#else
    return std::nullopt;
#endif
}

bool DashboardHelperProcess::isRunning() const {
    return process_ != nullptr;
}

qint64 DashboardHelperProcess::processId() const {
    return process_ ? process_->processId() : 0;
}

bool DashboardHelperProcess::ensureRunning() {
    if (process_ && quitting_) {
        // Told to quit (or refused) and on its way out: a click now gets a new helper
        // rather than one that no longer listens.
        QProcess* old = std::exchange(process_, nullptr);
        old->disconnect(this);
        old->kill();
        old->waitForFinished(1000);
        old->deleteLater();
        releaseTimer_.stop();
        killTimer_.stop();
    }
    if (process_) {
        return true;
    }
    if (!program_) {
        qWarning("Cannot show the dashboard: quintrel-dashboard is not installed beside %s",
                 qPrintable(QCoreApplication::applicationDirPath()));
        return false;
    }
    auto* process = new QProcess(this);
    process->setProgram(*program_);
    process->start();
    if (!process->waitForStarted(5000)) {
        qWarning("Cannot start the dashboard helper %s: %s", qPrintable(*program_),
                 qPrintable(process->errorString()));
        delete process;
        return false;
    }
    process_ = process;
    reader_ = popover::DashboardLineReader(popover::Sender::helper);
    errors_.clear();
    quitting_ = false;
    connect(process, &QProcess::readyReadStandardOutput, this, &DashboardHelperProcess::readLines);
    // Its own lines and the web engine's reach the user's log beside ours; those can quote
    // a widget URL, which holds the API code.
    connect(process, &QProcess::readyReadStandardError, this, [this] { forwardErrors(false); });
    connect(process, &QProcess::finished, this, &DashboardHelperProcess::finished);
    send({MessageType::config, {widgetBase_}});
    emit started();
    return true;
}

void DashboardHelperProcess::send(const DashboardMessage& message) {
    if (!process_) {
        return;
    }
    const std::string line = popover::formatMessage(message);
    process_->write(line.data(), static_cast<qint64>(line.size()));
}

void DashboardHelperProcess::scheduleRelease() {
    if (process_ && !quitting_) {
        releaseTimer_.start(keepAfterHide);
    }
}

void DashboardHelperProcess::cancelRelease() {
    releaseTimer_.stop();
}

void DashboardHelperProcess::readLines() {
    if (!process_) {
        return;
    }
    const QByteArray chunk = process_->readAllStandardOutput();
    reader_.append(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
    std::optional<popover::ParsedMessage> parsed;
    while (process_ && (parsed = reader_.next())) {
        if (!parsed->message) {
            stop(QString::fromStdString(parsed->error));
            return;
        }
        if (parsed->message->type != MessageType::ready) {  // the handshake is the reader's
            emit received(*parsed->message);
        }
    }
}

void DashboardHelperProcess::forwardErrors(bool flush) {
    // A line this long is passed on in pieces rather than held without end.
    constexpr std::size_t kLongestLine = 64 * 1024;
    const QByteArray chunk = process_->readAllStandardError();
    errors_.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    std::size_t newline;
    while ((newline = errors_.find('\n')) != std::string::npos) {
        StdoutConsole::printError(std::string_view(errors_).substr(0, newline));
        errors_.erase(0, newline + 1);
    }
    if (!errors_.empty() && (flush || errors_.size() > kLongestLine)) {
        StdoutConsole::printError(errors_);
        errors_.clear();
    }
}

// A helper that breaks the protocol is not trusted with another message.
void DashboardHelperProcess::stop(const QString& why) {
    qWarning("The dashboard helper sent a message it must not (%s); stopping it", qPrintable(why));
    quitting_ = true;
    process_->kill();
}

void DashboardHelperProcess::finished(int exitCode, QProcess::ExitStatus status) {
    forwardErrors(true);
    if (!quitting_) {
        if (status == QProcess::CrashExit) {
            qWarning("The dashboard helper ended unexpectedly (crashed or killed)");
        } else {
            qWarning("The dashboard helper ended unexpectedly (exit code %d)", exitCode);
        }
    }
    releaseTimer_.stop();
    killTimer_.stop();
    process_->deleteLater();
    process_ = nullptr;
    emit ended();
}

}  // namespace quintrel
