#pragma once
// The service's two legal pages, opened from the settings window and the dashboard popover.

#include <string>

#include "polling/ServiceEndpoints.h"

namespace quintrel {

struct QuintrelLegalLinks {
    std::string privacyPolicy;
    std::string terms;

    explicit QuintrelLegalLinks(const ServiceEndpoints& service)
        : privacyPolicy(service.baseURL + ServiceEndpoints::privacyPath),
          terms(service.baseURL + ServiceEndpoints::termsPath) {}
};

}  // namespace quintrel
