#include "desktop/TestHooks.h"

#include <cstdio>
#include <string>

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>

#include "app/AppDelegate.h"
#include "polling/EndpointOverrides.h"

namespace quintrel {

void installTestHooks(AppDelegate& delegate) {
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
    if (processEnvironment("QUINTREL_TEST_STATUS_TEXTS") == "1") {
        delegate.statusTextsObserver = [](const std::string& lastChecked,
                                          const std::string& lastError) {
            const std::string line = "status-texts\t" + lastChecked + "\t" + lastError + "\n";
            std::fwrite(line.data(), 1, line.size(), stderr);
            std::fflush(stderr);
        };
    }
}

}  // namespace quintrel
