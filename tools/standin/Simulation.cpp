// Simulated visitors: a slow wave with a little noise, arrivals every few seconds.

#include "Simulation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace standin {
namespace {

struct Place {
    const char* city;
    const char* country;
    double latitude;
    double longitude;
};

constexpr std::array kPlaces{
    Place{"Berlin", "Germany", 52.52, 13.40},     Place{"Lisbon", "Portugal", 38.72, -9.14},
    Place{"Toronto", "Canada", 43.65, -79.38},    Place{"Austin", "United States", 30.27, -97.74},
    Place{"Osaka", "Japan", 34.69, 135.50},       Place{"Nairobi", "Kenya", -1.29, 36.82},
    Place{"Sao Paulo", "Brazil", -23.55, -46.63}, Place{"Melbourne", "Australia", -37.81, 144.96},
    Place{"Helsinki", "Finland", 60.17, 24.94},   Place{"Pune", "India", 18.52, 73.86},
    Place{"Dublin", "Ireland", 53.35, -6.26},     Place{"Santiago", "Chile", -33.45, -70.67},
};
constexpr std::array kPages{"/",           "/pricing",          "/blog/tray-apps",
                            "/docs/start", "/blog/linux-notes", "/contact",
                            "/features",   "/docs/api"};
constexpr std::array kReferrers{"search", "direct", "newsletter", "social", "partner site"};

constexpr double kArrivalSeconds = 7.0;
constexpr double kNoiseSeconds = 15.0;
constexpr double kWaveSeconds = 600.0;

}  // namespace

Simulation::Simulation(uint64_t seed, double startTime) : seed_(seed), startTime_(startTime) {}

uint64_t Simulation::mix(uint64_t value) const {
    // splitmix64: cheap, well spread, and the same on every run with the same seed.
    uint64_t z = value + seed_ * 0x9E3779B97F4A7C15ULL + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int64_t Simulation::online(double now) const {
    const double wave = 25.0 * std::sin(2.0 * std::numbers::pi * now / kWaveSeconds);
    const auto slot = static_cast<uint64_t>(std::floor(now / kNoiseSeconds));
    const auto noise = static_cast<int64_t>(mix(slot) % 9) - 4;
    return std::max<int64_t>(1, 42 + static_cast<int64_t>(std::lround(wave)) + noise);
}

int64_t Simulation::pageViews(double now) const {
    const double elapsed = std::max(0.0, now - startTime_);
    return 15000 + static_cast<int64_t>(seed_ % 1000) + static_cast<int64_t>(elapsed * 0.9);
}

std::vector<int64_t> Simulation::onlineHistory(double now, int points, double stepSeconds) const {
    std::vector<int64_t> values;
    for (int i = points - 1; i >= 0; --i) {
        values.push_back(online(now - i * stepSeconds));
    }
    return values;
}

std::vector<Visitor> Simulation::recentVisitors(double now, int count) const {
    std::vector<Visitor> visitors;
    const auto newest = static_cast<int64_t>(std::floor(now / kArrivalSeconds));
    for (int i = 0; i < count; ++i) {
        const auto slot = newest - i;
        const auto h = mix(static_cast<uint64_t>(slot));
        const auto& place = kPlaces[h % kPlaces.size()];
        visitors.push_back(
            Visitor{place.city, place.country, place.latitude, place.longitude,
                    kPages[(h >> 16) % kPages.size()], kReferrers[(h >> 32) % kReferrers.size()],
                    std::max<int64_t>(0, static_cast<int64_t>(now - slot * kArrivalSeconds))});
    }
    return visitors;
}

}  // namespace standin
