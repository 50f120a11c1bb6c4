#include "desktop/system/TerminationSignals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <csignal>

namespace quintrel {

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalSockets[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0) {
        qWarning("Cannot watch for termination signals; SIGTERM ends the app without cleanup");
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [] {
        char byte = 0;
        while (::read(signalSockets[1], &byte, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    handle(SIGTERM, onSignal);
    handle(SIGINT, onSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) {
        return;
    }
    handle(SIGTERM, SIG_DFL);
    handle(SIGINT, SIG_DFL);
    notifier_.reset();
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets[0] = signalSockets[1] = -1;
}

}  // namespace quintrel
