#include "DbxRecord.h"

#include "Le.h"

#include <algorithm>

namespace kv::storegen {

void DbxRecord::insert(Attr a)
{
    const auto pos = std::find_if(m_attrs.begin(), m_attrs.end(),
                                  [&](const Attr& x) { return x.id > a.id; });
    m_attrs.insert(pos, std::move(a));
}

void DbxRecord::addInt(std::uint8_t id, std::uint32_t value)
{
    if (value == 0)
        return;
    if (value < 0x800000u) {
        insert({id, true, value, {}});
        return;
    }
    addIndirectInt(id, value);
}

void DbxRecord::addDirectInt(std::uint8_t id, std::uint32_t value)
{
    insert({id, true, value & 0xFFFFFFu, {}});
}

void DbxRecord::addIndirectInt(std::uint8_t id, std::uint32_t value)
{
    QByteArray d(4, '\0');
    putU32(d, 0, value);
    insert({id, false, 0, d});
}

void DbxRecord::addTime(std::uint8_t id, std::uint64_t fileTime)
{
    QByteArray d(8, '\0');
    putU64(d, 0, fileTime);
    insert({id, false, 0, d});
}

void DbxRecord::addText(std::uint8_t id, const QByteArray& text)
{
    if (text.isEmpty())
        return;
    insert({id, false, 0, text + '\0'});
}

int DbxRecord::dataOffsetOf(std::uint8_t id) const
{
    int offset = 0;
    for (const Attr& a : m_attrs) {
        if (a.direct)
            continue;
        if (a.id == id)
            return offset;
        offset += int(a.data.size());
    }
    return -1;
}

QByteArray DbxRecord::body() const
{
    QByteArray words;
    QByteArray data;
    for (const Attr& a : m_attrs) {
        const std::uint32_t value = a.direct ? a.value : std::uint32_t(data.size());
        appendU32(words, (a.direct ? 0x80u : 0u) | a.id | (value << 8));
        if (!a.direct)
            data += a.data;
    }
    data.resize(align4(std::uint32_t(data.size())), '\0');
    return words + data;
}

} // namespace kv::storegen
