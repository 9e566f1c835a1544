#pragma once

#include <QIODevice>

#include <optional>

namespace kv {

// The fixed part of a Windows executable's version resource (VS_FIXEDFILEINFO).
struct FixedFileInfo
{
    quint32 fileVersionHigh = 0; // the most significant version word ("5.0")
    quint32 fileVersionLow = 0;  // the least significant ("2919.6600")
    quint32 productVersionHigh = 0;
    quint32 productVersionLow = 0;
    quint32 fileFlags = 0;
    quint32 fileOs = 0;
    quint32 fileType = 0;
};

// Reads the fixed version information of a PE file (32 or 64 bit): DOS header, PE header,
// resource directory, RT_VERSION (first name, first language), "VS_VERSION_INFO" block.
// Every offset is checked against the file; anything missing or inconsistent gives nullopt.
std::optional<FixedFileInfo> readFixedFileInfo(QIODevice& file);

} // namespace kv
