#pragma once
// Random version-4 UUIDs, compared by all 128 bits.

#include <array>
#include <cstdint>
#include <string>

namespace quintrel {

struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    // Canonical 36-character form, upper-case hexadecimal, groups 8-4-4-4-12.
    std::string toString() const;
    friend bool operator==(const Uuid&, const Uuid&) = default;
};

class UuidSource {
public:
    virtual ~UuidSource() = default;
    virtual Uuid make() = 0;
};

// Draws from the operating system's random source.
class RandomUuidSource final : public UuidSource {
public:
    Uuid make() override;
};

}  // namespace quintrel
