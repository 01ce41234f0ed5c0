#pragma once

#include <bit>
#include <cstdint>

// A 64-bit FNV-1a digest of 32-bit words, each taken lowest byte first: one
// literal in place of a whole layer or a whole run of points.
class Fnv1a {
public:
    void add(std::uint32_t word)
    {
        for (int shift = 0; shift < 32; shift += 8)
            m_hash = (m_hash ^ ((word >> shift) & 0xff)) * 0x100000001b3u;
    }
    void add(float value) { add(std::bit_cast<std::uint32_t>(value)); }

    std::uint64_t value() const { return m_hash; }

private:
    std::uint64_t m_hash = 0xcbf29ce484222325u;
};
