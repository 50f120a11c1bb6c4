#pragma once
// The GoogleTest fixture of the end-to-end tests: a fresh Session per test, a notification
// server on its bus when the test wants one, and every process's output printed when a
// test fails.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <iostream>

#include "FakeNotificationServer.h"
#include "Session.h"

namespace quintrel::e2e {

class E2eTest : public testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<Session>(standinArguments());
        ASSERT_TRUE(session_->ok()) << session_->error();
    }

    void TearDown() override {
        stopNotificationServer();
        if (HasFailure() && session_) {
            std::cout << session_->diagnostics() << std::flush;
        }
        session_.reset();
    }

    // Override to run the stand-in differently (e.g. with notifications on).
    virtual QStringList standinArguments() const { return {"--notify-every", "0"}; }

    Session& session() { return *session_; }

    // Stores `code` (the demo code by default), starts the panel, then the app.
    void startWithCode(const std::string& code = kDemoCode) {
        session().writePreferences({{"qnapicode", code}});
        ASSERT_TRUE(session().startPanel()) << "the panel did not start";
        ASSERT_TRUE(session().startApp()) << session().app().error();
    }

    // The pid of a child of the app whose executable's path passes `matches`, or 0.
    qint64 appChild(const std::function<bool(const QString& executable)>& matches) {
        const QString parent = QString::number(session().app().pid());
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile stat("/proc/" + pid + "/stat");
            if (!stat.open(QIODevice::ReadOnly)) {
                continue;
            }
            // "pid (name) state ppid ...": the name may hold spaces, so count from its end.
            const QString line = QString::fromUtf8(stat.readAll());
            const QStringList rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (rest.size() > 1 && rest[1] == parent &&
                matches(QFileInfo("/proc/" + pid + "/exe").symLinkTarget())) {
                return pid.toLongLong();
            }
        }
        return 0;
    }

    // Waits until the first poll has been answered and answers it.
    LoggedRequest firstAnsweredPoll() {
        std::optional<LoggedRequest> poll;
        waitUntil(
            [&] {
                const auto polls = session().standin().requests("/api/chrome.php");
                if (!polls.empty() && polls.front().status != 0) {
                    poll = polls.front();
                }
                return poll.has_value();
            },
            kTimeout);
        if (!poll) {
            ADD_FAILURE() << "no poll was answered";
            return {};
        }
        return *poll;
    }

    // A notification server of the test's own on the session's bus. It leaves with the
    // test, or sooner by stopNotificationServer(), as when the desktop's server crashes.
    fakes::FakeNotificationServer& startNotificationServer() {
        stopNotificationServer();
        notificationServer_ = std::make_unique<fakes::FakeNotificationServer>(
            QDBusConnection::connectToBus(session().environment().value("DBUS_SESSION_BUS_ADDRESS"),
                                          kNotificationServerConnection));
        return *notificationServer_;
    }
    void stopNotificationServer() {
        if (notificationServer_) {
            notificationServer_.reset();
            QDBusConnection::disconnectFromBus(kNotificationServerConnection);
        }
    }
    fakes::FakeNotificationServer& notificationServer() { return *notificationServer_; }

private:
    static constexpr const char* kNotificationServerConnection = "e2e-notification-server";

    std::unique_ptr<Session> session_;
    std::unique_ptr<fakes::FakeNotificationServer> notificationServer_;
};

}  // namespace quintrel::e2e
