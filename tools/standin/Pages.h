#pragma once
// The stand-in's HTML pages: the three widgets and the pages opened in the browser.

#include <optional>
#include <set>
#include <string>

#include "ChromeApi.h"
#include "Query.h"
#include "Simulation.h"

namespace standin {

// The page at `path`, or none when there is no such page.
std::optional<HttpReply> page(const std::string& path, const Query& query, double now,
                              const Simulation& simulation, const std::set<std::string>& codes,
                              const std::string& selfBase);

HttpReply notFoundPage(const std::string& path);

}  // namespace standin
