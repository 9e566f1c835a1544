#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace kv::storegen {

// One folder of the OE4 folder index.
struct NchFolder
{
    std::uint16_t number = 0;      // 0: a free slot left by a deleted folder
    std::uint16_t parent = 0;      // 0: top level
    QByteArray name;
    QByteArray fileName;           // without ".mbx"
    std::uint16_t order = 0xFFFF;  // 0..4 for the standard folders, 65535 for the user's
};

// Writes "folders.nch": a 24-byte header (a text, the last record's offset at 16, the first
// record's at 20) and a chain of 558-byte records: own offset, size, previous, next (0 on the
// last), folder number at 16, name (259 bytes) at 20, file name (260 bytes) at 279, then nine
// 16-bit words from 540: parent, first child, next sibling, 0, 0, 0, order, 0, 0.
class NchWriter
{
public:
    static constexpr int kHeaderSize = 24;
    static constexpr int kRecordSize = 558;
    static bool write(const QString& path, const std::vector<NchFolder>& folders,
                      QString* error = nullptr);
};

} // namespace kv::storegen
