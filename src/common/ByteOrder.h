#pragma once
// Explicit byte order for every binary layout: frames and the configuration
// file carry 16-bit values high byte first; floats travel most significant
// byte first on the wire and least significant byte first in files.
#include <bit>
#include <cstdint>

namespace k71t {

inline std::uint16_t get16be(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

inline void put16be(std::uint8_t *p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

inline std::uint32_t get32be(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
}

inline void put32be(std::uint8_t *p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

inline std::uint32_t get32le(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

inline void put32le(std::uint8_t *p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline float getFloatLe(const std::uint8_t *p) { return std::bit_cast<float>(get32le(p)); }
inline void putFloatLe(std::uint8_t *p, float v) { put32le(p, std::bit_cast<std::uint32_t>(v)); }

// The same on the bytes of a QByteArray or a char buffer.
inline const std::uint8_t *bytes(const char *p) { return reinterpret_cast<const std::uint8_t *>(p); }
inline std::uint8_t *bytes(char *p) { return reinterpret_cast<std::uint8_t *>(p); }

} // namespace k71t
