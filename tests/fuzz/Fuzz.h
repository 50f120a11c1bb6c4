#pragma once
// What every harness shares: QUINTREL_FUZZ(name) { ... } is libFuzzer's entry point with the
// input as a std::string_view `name`; check() stops the run on a broken rule.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

#define QUINTREL_FUZZ(name)                                                              \
    static void fuzzOne(std::string_view name);                                          \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        fuzzOne(std::string_view(reinterpret_cast<const char*>(data), size));            \
        return 0;                                                                        \
    }                                                                                    \
    static void fuzzOne(std::string_view name)
