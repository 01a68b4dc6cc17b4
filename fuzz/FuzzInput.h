// What both fuzzers share: a reader over the input bytes that reads missing
// bytes as zero, and a check that aborts so that libFuzzer keeps the input.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define HYT_CHECK(cond)                                                                            \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace hyt::fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    std::uint8_t Byte() { return pos < size ? data[pos++] : 0; }

    template <typename T> T Take()
    {
        unsigned char raw[sizeof(T)] = {};
        const std::size_t count = std::min(sizeof(T), size - pos);
        std::memcpy(raw, data + pos, count);
        pos += count;
        T value;
        std::memcpy(&value, raw, sizeof(T));
        return value;
    }

    std::size_t Left() const { return size - pos; }
    const std::uint8_t* Here() const { return data + pos; }
    void Skip(std::size_t n) { pos += std::min(n, Left()); }

  private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

} // namespace hyt::fuzz
