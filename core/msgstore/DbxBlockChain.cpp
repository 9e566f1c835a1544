#include "msgstore/DbxBlockChain.h"

namespace kv::msgstore {

namespace {
constexpr quint32 kBlockHeader = 16;
}

bool DbxBlockChain::fail(const QString& why)
{
    m_error = why;
    m_next = 0;
    return false;
}

bool DbxBlockChain::next(const uchar** text, quint32* length)
{
    if (m_next == 0)
        return false;
    const quint32 block = m_next;
    if (m_started) {
        if (block == m_tortoise)
            return fail(QStringLiteral("the block chain loops back at offset %1").arg(block));
        if (++m_steps == m_power) {
            m_tortoise = block;
            m_power *= 2;
            m_steps = 0;
        }
    }
    m_started = true;

    const uchar* head = m_file.at(block, kBlockHeader);
    if (!head)
        return fail(QStringLiteral("a data block at offset %1 lies outside the file").arg(block));
    const quint32 len = le32(head + 8);
    const uchar* data = m_file.at(quint64(block) + kBlockHeader, len);
    if (!data)
        return fail(QStringLiteral("the data block at offset %1 reaches past the end of the file")
                        .arg(block));
    m_total += len;
    if (m_total > m_file.size())
        return fail(QStringLiteral("the block chain holds more text than the file"));
    m_next = le32(head + 12);
    *text = data;
    *length = len;
    return true;
}

} // namespace kv::msgstore
