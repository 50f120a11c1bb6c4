#include "desktop/TestHooks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>

#include "polling/EndpointOverrides.h"

namespace quintrel {

namespace {

std::optional<std::chrono::milliseconds> shortened(const char* variable) {
    if (const auto value = processEnvironment(variable)) {
        return std::chrono::milliseconds(std::max(1, std::atoi(value->c_str())));
    }
    return std::nullopt;
}

}  // namespace

TestTimers testTimers() {
    TestTimers timers;
    timers.delegate.pollInterval =
        shortened("QUINTREL_TEST_POLL_INTERVAL_MS").value_or(timers.delegate.pollInterval);
    timers.delegate.refreshTimeout =
        shortened("QUINTREL_TEST_REFRESH_TIMEOUT_MS").value_or(timers.delegate.refreshTimeout);
    timers.dashboardKeep = shortened("QUINTREL_TEST_DASHBOARD_KEEP_MS");
    return timers;
}

StatusModel::Subscription installTestHooks(AppDelegate& delegate) {
    if (const auto caFile = processEnvironment("QUINTREL_TEST_EXTRA_CA_FILE")) {
        const auto certificates = QSslCertificate::fromPath(QString::fromStdString(*caFile));
        if (certificates.isEmpty()) {
            std::fprintf(stderr, "QUINTREL_TEST_EXTRA_CA_FILE holds no certificate: %s\n",
                         caFile->c_str());
        }
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(certificates);
        QSslConfiguration::setDefaultConfiguration(configuration);
    }
    if (processEnvironment("QUINTREL_TEST_STATUS_TEXTS") != "1") {
        return {};
    }
    return delegate.observeStatus([last = Status()](const Status& status) mutable {
        if (status.lastChecked == last.lastChecked && status.lastError == last.lastError &&
            status.refreshing == last.refreshing) {
            return;
        }
        last = status;
        const std::string line =
            "status-texts\t" + status.lastChecked + "\t" + status.lastError + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    });
}

}  // namespace quintrel
