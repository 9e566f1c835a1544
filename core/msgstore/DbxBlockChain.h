#pragma once

#include "msgstore/FileView.h"

#include <QString>

namespace kv::msgstore {

// Walks the chain of data blocks that holds one message of a .dbx file. Every block header and
// its text must lie inside the file; a chain that comes back to a block already passed (found
// with Brent's cycle test, in constant memory) or whose text outgrows the file is damaged, so
// no walk can run on for ever or hand out more bytes than the file holds.
class DbxBlockChain
{
public:
    DbxBlockChain(const FileView& file, quint32 firstBlock)
        : m_file(file), m_next(firstBlock), m_tortoise(firstBlock)
    {
    }

    // The next block's text; false at the end of the chain or when the chain is damaged.
    bool next(const uchar** text, quint32* length);
    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }

private:
    bool fail(const QString& why);

    const FileView& m_file;
    quint32 m_next;
    quint32 m_tortoise;
    quint64 m_power = 1;
    quint64 m_steps = 0;
    quint64 m_total = 0;
    bool m_started = false;
    QString m_error;
};

} // namespace kv::msgstore
