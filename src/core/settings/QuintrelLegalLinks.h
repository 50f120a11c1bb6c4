#pragma once
// The service's two legal pages, opened in the browser from the settings window and the popup.

#include <string>

#include "polling/ServiceEndpoints.h"

namespace quintrel {

struct QuintrelLegalLinks {
    std::string privacyPolicy;
    std::string terms;

    static QuintrelLegalLinks forService(const std::string& serviceBaseURL) {
        return {serviceBaseURL + ServiceEndpoints::privacyPath,
                serviceBaseURL + ServiceEndpoints::termsPath};
    }
};

}  // namespace quintrel
