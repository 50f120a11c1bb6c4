#include "util/Mp3Probe.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <vector>

namespace quintrel {

namespace {

struct FrameHeader {
    int version;  // 3 = MPEG 1, 2 = MPEG 2, 0 = MPEG 2.5
    int layer;    // 1, 2 or 3
    int sampleRate;
    std::size_t length;
};

constexpr std::array<std::array<int, 15>, 5> kBitrates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG 1, layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG 1, layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG 1, layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG 2/2.5, layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG 2/2.5, II, III
}};

std::optional<FrameHeader> parseHeader(const std::uint8_t* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) {
        return std::nullopt;
    }
    const int version = (b[1] >> 3) & 3;
    const int layer = 4 - ((b[1] >> 1) & 3);
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    const int padding = (b[2] >> 1) & 1;
    // Free-format streams (index 0) cannot be measured without decoding; none ship here.
    if (version == 1 || layer == 4 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
        return std::nullopt;
    }
    static constexpr int kRates[3] = {44100, 48000, 32000};
    const int sampleRate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const int table = version == 3 ? layer - 1 : (layer == 1 ? 3 : 4);
    const long bitrate = kBitrates[table][bitrateIndex] * 1000L;
    long length = 0;
    if (layer == 1) {
        length = (12 * bitrate / sampleRate + padding) * 4;
    } else if (layer == 3 && version != 3) {
        length = 72 * bitrate / sampleRate + padding;
    } else {
        length = 144 * bitrate / sampleRate + padding;
    }
    return FrameHeader{version, layer, sampleRate, static_cast<std::size_t>(length)};
}

std::vector<std::uint8_t> readAt(std::ifstream& in, std::uint64_t offset, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(in ? count : static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

}  // namespace

bool looksLikeMp3(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(in.tellg(), 0));

    std::uint64_t offset = 0;
    const auto tag = readAt(in, 0, 10);
    if (tag.size() == 10 && tag[0] == 'I' && tag[1] == 'D' && tag[2] == '3') {
        const std::uint64_t tagSize = (std::uint64_t{tag[6]} & 0x7F) << 21 |
                                      (std::uint64_t{tag[7]} & 0x7F) << 14 |
                                      (std::uint64_t{tag[8]} & 0x7F) << 7 | (tag[9] & 0x7F);
        offset = 10 + tagSize + ((tag[5] & 0x10) ? 10 : 0);
    }
    // Encoders may pad between the tag and the first frame.
    const auto window = readAt(in, offset, 4096);
    std::size_t skip = 0;
    while (skip < window.size() && window[skip] == 0) {
        ++skip;
    }
    offset += skip;

    const auto first = readAt(in, offset, 4);
    if (first.size() < 4) {
        return false;
    }
    const auto header = parseHeader(first.data());
    if (!header || offset + header->length > size) {
        return false;
    }
    const std::uint64_t next = offset + header->length;
    if (next == size) {
        return true;
    }
    const auto second = readAt(in, next, 4);
    if (second.size() < 4) {
        return false;
    }
    if (second[0] == 'T' && second[1] == 'A' && second[2] == 'G') {
        return true;  // an ID3v1 tag closes the stream
    }
    const auto following = parseHeader(second.data());
    return following && following->version == header->version &&
           following->layer == header->layer && following->sampleRate == header->sampleRate;
}

}  // namespace quintrel
