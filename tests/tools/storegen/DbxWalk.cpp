#include "DbxWalk.h"

#include <QFile>

#include <algorithm>

namespace kv::test {

bool DbxWalk::Record::has(std::uint8_t id) const
{
    return std::any_of(attrs.begin(), attrs.end(), [&](const Attr& a) { return a.id == id; });
}

const DbxWalk::Attr* DbxWalk::Record::find(std::uint8_t idLow) const
{
    for (const Attr& a : attrs)
        if ((a.id & 0x7F) == idLow)
            return &a;
    return nullptr;
}

std::uint32_t DbxWalk::Record::intValue(std::uint8_t idLow) const
{
    const Attr* a = find(idLow);
    if (!a)
        return 0;
    if (a->id & 0x80)
        return a->value;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(data.at(a->value + std::uint32_t(i)));
    return v;
}

QByteArray DbxWalk::Record::text(std::uint8_t idLow) const
{
    const Attr* a = find(idLow);
    if (!a || (a->id & 0x80))
        return {};
    const qsizetype end = data.indexOf('\0', a->value);
    return data.mid(a->value, end - qsizetype(a->value));
}

DbxWalk::DbxWalk(const QByteArray& file)
    : m_file(file)
{
}

DbxWalk DbxWalk::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return DbxWalk(QByteArray());
    return DbxWalk(f.readAll());
}

std::uint32_t DbxWalk::u32(std::uint32_t at) const
{
    if (qsizetype(at) + 4 > m_file.size())
        return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(m_file[qsizetype(at) + i]);
    return v;
}

bool DbxWalk::fail(const QString& message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

std::vector<std::uint32_t> DbxWalk::walk(int tree, int* depth)
{
    std::vector<std::uint32_t> out;
    m_leafLevel = -1;
    if (depth)
        *depth = 0;
    if (root(tree) == 0)
        return out;
    const std::uint32_t n = walkNode(root(tree), 0, 1, depth, out);
    if (n != count(tree))
        fail(QStringLiteral("tree %1 holds %2 values, header says %3").arg(tree).arg(n).arg(count(tree)));
    if (!m_error.isEmpty())
        out.clear();
    return out;
}

std::uint32_t DbxWalk::walkNode(std::uint32_t node, std::uint32_t parent, int level, int* depth,
                                std::vector<std::uint32_t>& out)
{
    if (level > 10 || qsizetype(node) + 0x27C > m_file.size())
        return fail(QStringLiteral("node %1 out of the file or too deep").arg(node)), 0;
    if (depth)
        *depth = std::max(*depth, level);
    if (u32(node) != node)
        fail(QStringLiteral("node %1: own offset %2").arg(node).arg(u32(node)));
    if (u32(node + 0x0C) != parent)
        fail(QStringLiteral("node %1: parent %2, expected %3").arg(node).arg(u32(node + 0x0C)).arg(parent));
    const int entries = std::uint8_t(m_file[node + 0x11]);
    if (entries > 51)
        fail(QStringLiteral("node %1: %2 entries").arg(node).arg(entries));
    std::uint32_t total = 0;
    const std::uint32_t lead = u32(node + 8);
    if (lead) {
        const std::uint32_t below = walkNode(lead, node, level + 1, depth, out);
        if (below != u32(node + 0x14))
            fail(QStringLiteral("node %1: leading count %2, subtree %3").arg(node).arg(u32(node + 0x14)).arg(below));
        total += below;
    } else if (u32(node + 0x14) != 0) {
        fail(QStringLiteral("node %1: count without leading child").arg(node));
    }
    for (int e = 0; e < entries; ++e) {
        const std::uint32_t at = node + 0x18 + 12 * std::uint32_t(e);
        out.push_back(u32(at));
        ++total;
        const std::uint32_t child = u32(at + 4);
        if (child) {
            const std::uint32_t below = walkNode(child, node, level + 1, depth, out);
            if (below != u32(at + 8))
                fail(QStringLiteral("node %1 entry %2: count %3, subtree %4").arg(node).arg(e).arg(u32(at + 8)).arg(below));
            total += below;
        } else if (u32(at + 8) != 0) {
            fail(QStringLiteral("node %1 entry %2: count without child").arg(node).arg(e));
        }
    }
    // A B-tree keeps every leaf at the same depth.
    if (lead == 0) {
        if (m_leafLevel < 0)
            m_leafLevel = level;
        else if (level != m_leafLevel)
            fail(QStringLiteral("leaf %1 at level %2, another at %3").arg(node).arg(level).arg(m_leafLevel));
    }
    return total;
}

DbxWalk::Record DbxWalk::record(std::uint32_t offset) const
{
    Record r;
    r.offset = offset;
    if (qsizetype(offset) + 12 > m_file.size())
        return r;
    const std::uint32_t len = u32(offset + 4);
    const int n = std::uint8_t(m_file[offset + 10]);
    for (int i = 0; i < n; ++i) {
        const std::uint32_t w = u32(offset + 12 + 4 * std::uint32_t(i));
        r.attrs.push_back({std::uint8_t(w & 0xFF), w >> 8});
    }
    r.data = m_file.mid(offset + 12 + 4 * std::uint32_t(n), qsizetype(len) - 4 * n);
    return r;
}

QByteArray DbxWalk::message(const Record& r)
{
    const Attr* a = r.find(0x04);
    if (!a)
        return fail(QStringLiteral("record %1 has no data offset").arg(r.offset)), QByteArray();
    std::uint32_t block = r.intValue(0x04);
    QByteArray text;
    int guard = 0;
    while (block) {
        if (u32(block) != block || u32(block + 4) != 0x200 || u32(block + 8) > 0x200 || ++guard > 1000000)
            return fail(QStringLiteral("bad block %1").arg(block)), QByteArray();
        const std::uint32_t used = u32(block + 8);
        const std::uint32_t next = u32(block + 12);
        if (next && used != 0x200)
            fail(QStringLiteral("block %1 not full before the end of its chain").arg(block));
        text += m_file.mid(block + 16, used);
        block = next;
    }
    return text;
}

} // namespace kv::test
