#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace kv::storegen {

// The attribute list of one index record (a message or folder object) as the mail client
// lays it out: attributes sorted by id, each a 4-byte word "id | value << 8". Integers that
// fit in 24 bits are stored in the word itself (id | 0x80); larger integers, times and texts
// go to the data area after the list, in attribute order, and the word holds their offset.
// Zero integers are left out, as the client does (a top-level folder has no parent word).
class DbxRecord
{
public:
    void addInt(std::uint8_t id, std::uint32_t value);
    // Stored directly whatever its size below 2^24.
    void addDirectInt(std::uint8_t id, std::uint32_t value);
    // Stored indirectly whatever its size (a first-block offset beyond 16 MiB, a -1 parent).
    void addIndirectInt(std::uint8_t id, std::uint32_t value);
    void addTime(std::uint8_t id, std::uint64_t fileTime);
    // Text in the ANSI code page, written with its terminating NUL; empty texts are left out.
    void addText(std::uint8_t id, const QByteArray& text);

    // Attribute words followed by the data area, padded to a multiple of 4.
    QByteArray body() const;
    int attributeCount() const { return int(m_attrs.size()); }
    // Offset in the data area of the indirect value of an attribute (-1 when direct or absent).
    int dataOffsetOf(std::uint8_t id) const;

private:
    struct Attr
    {
        std::uint8_t id;
        bool direct;
        std::uint32_t value;
        QByteArray data;
    };
    void insert(Attr a);
    std::vector<Attr> m_attrs;
};

} // namespace kv::storegen
