// Data files made by the tests themselves: little-endian records built from
// a double's bit pattern, so that the host's byte order plays no part.
#pragma once

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

namespace hyt::test {

using Bytes = std::vector<unsigned char>;

inline void AppendRecord(Bytes& bytes, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int b = 0; b < 8; ++b)
        bytes.push_back(static_cast<unsigned char>(bits >> (8 * b)));
}

// Records 0..count-1, record n holding the double n.
inline Bytes CountingRecords(int count)
{
    Bytes bytes;
    for (int n = 0; n < count; ++n)
        AppendRecord(bytes, double(n));
    return bytes;
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

} // namespace hyt::test
