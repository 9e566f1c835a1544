#pragma once

#include <QIODevice>

#include <optional>

namespace kv {

// The fixed part of a Windows executable's version resource (VS_FIXEDFILEINFO).
struct FixedFileInfo
{
    quint32 fileVersionMS = 0;
    quint32 fileVersionLS = 0;
    quint32 productVersionMS = 0;
    quint32 productVersionLS = 0;
    quint32 fileFlags = 0;
    quint32 fileOS = 0;
    quint32 fileType = 0;
};

// Reads the fixed version information of a PE file (32 or 64 bit): DOS header, PE header,
// resource directory, RT_VERSION (first name, first language), "VS_VERSION_INFO" block.
// Every offset is checked against the file; anything missing or inconsistent gives nullopt.
std::optional<FixedFileInfo> readFixedFileInfo(QIODevice& file);

} // namespace kv
