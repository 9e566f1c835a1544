#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstring>

namespace kv::storegen {

// Little-endian stores into a byte buffer that is already large enough.
inline void putU16(QByteArray& b, qsizetype at, std::uint16_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

inline void putU32(QByteArray& b, qsizetype at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

inline void putU64(QByteArray& b, qsizetype at, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

inline void putBytes(QByteArray& b, qsizetype at, const QByteArray& src)
{
    std::memcpy(b.data() + at, src.constData(), size_t(src.size()));
}

inline void appendU32(QByteArray& b, std::uint32_t v)
{
    const qsizetype at = b.size();
    b.resize(at + 4);
    putU32(b, at, v);
}

inline std::uint32_t align4(std::uint32_t n) { return (n + 3u) & ~3u; }

} // namespace kv::storegen
