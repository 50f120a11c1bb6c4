#pragma once
// Simulated visitors of one web site: counts and a visitor list that move with time.

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct Visitor {
    std::string city;
    std::string country;
    double latitude;
    double longitude;
    std::string page;
    std::string referrer;
    int64_t secondsAgo;
};

// Every figure is a pure function of the seed and the time asked about, so the
// pages and the API replies agree with each other at any moment.
class Simulation {
public:
    Simulation(uint64_t seed, double startTime);

    int64_t online(double now) const;
    int64_t pageViews(double now) const;
    // `points` values of `online`, one every `stepSeconds`, the newest last.
    std::vector<int64_t> onlineHistory(double now, int points, double stepSeconds) const;
    // The `count` most recent arrivals, the newest first.
    std::vector<Visitor> recentVisitors(double now, int count) const;

private:
    uint64_t mix(uint64_t value) const;

    uint64_t seed_;
    double startTime_;
};

}  // namespace standin
