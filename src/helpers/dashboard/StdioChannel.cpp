#include "helpers/dashboard/StdioChannel.h"

#include <unistd.h>

#include <cerrno>

namespace quintrel {

StdioChannel::StdioChannel() : notifier_(STDIN_FILENO, QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, &StdioChannel::readAvailable);
}

void StdioChannel::send(const popover::DashboardMessage& message) {
    const std::string line = popover::formatMessage(message);
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            fail({});
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

void StdioChannel::readAvailable() {
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) {
        return;
    }
    if (n <= 0) {
        fail({});
        return;
    }
    reader_.append(std::string_view(chunk, static_cast<std::size_t>(n)));
    std::optional<popover::ParsedMessage> parsed;
    while (!failed_ && (parsed = reader_.next())) {
        if (!parsed->message) {
            fail(QString::fromStdString(parsed->error));
            return;
        }
        emit received(*parsed->message);
    }
}

void StdioChannel::fail(const QString& why) {
    if (failed_) {
        return;
    }
    failed_ = true;
    notifier_.setEnabled(false);
    emit failed(why);
}

}  // namespace quintrel
