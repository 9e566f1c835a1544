#pragma once

#include <QDate>
#include <QString>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

// Where a backup goes and what the location step says about it: the drive, whether it is a
// diskette, the archive's name, and the estimate of diskettes and free space.
namespace SaveLocation {

// What a diskette holds when its drive cannot tell.
inline constexpr quint64 kDisketteCapacity = 1457664;

// The first three characters ("c:\"), which is how drives are asked about.
QString driveOf(const QString& location);
// "a:\" or "b:\", in any case.
bool isDiskette(const QString& location);

// folder\<base><infix><yyyy-MM-dd><timeSuffix>.eaz, with one "\" between folder and name.
QString backupFilePath(const QString& folder, const QString& baseName, const QString& infix,
                       const QDate& today, const QString& timeSuffix);

// Bytes as whole kilobytes with thousands separators: "1,234 KBytes".
QString kiloBytesText(qint64 bytes);

// What the location step shows for a location and an estimated archive size.
struct SpaceEstimate
{
    bool clearDisksVisible = false;
    bool clearDisksRed = false;
    bool disketteCountVisible = false;
    QString disketteCount;     // "Estimated diskettes required = 2"
    bool spaceWarning = false; // the warning and the requirement are shown
    QString requirement;       // free space needed, or "You may require multiple disks"
};

SpaceEstimate estimate(platform::IFileSystem& files, const QString& location, bool clearDisks,
                       qint64 estimatedBytes);

} // namespace SaveLocation
} // namespace kv
