#pragma once

#include "MailMessage.h"

#include <QString>

#include <vector>

namespace kv::storegen {

// Writes an OE4 message folder: the ".mbx" file (an 84-byte header "JMF6", then one record
// per message: 00 7F 00 7F, message number, record length, text length, text, zero fill to
// a multiple of 16) and, unless told not to, its ".idx" companion (an 80-byte header "JMF9",
// then one item per message: flags with bit 0 = deleted, entry number, own offset, item
// size, record offset and length in the .mbx, and the subject at item offset 212).
class MbxWriter
{
public:
    struct Entry
    {
        MailMessage message;
        bool deleted = false;
    };

    // `idxPath` empty: no index file is written.
    static bool write(const QString& mbxPath, const QString& idxPath,
                      const std::vector<Entry>& entries, QString* error = nullptr);
    static constexpr int kHeaderSize = 0x54;
    static constexpr int kIdxHeaderSize = 80;
    static constexpr int kRecordAlign = 16;
};

} // namespace kv::storegen
