#include "backup/SaveLocation.h"

#include "shell/Strings.h"

#include "platform/IFileSystem.h"

#include <QLocale>

namespace kv::SaveLocation {

using platform::DiskSpace;
using platform::DriveType;

QString driveOf(const QString& location)
{
    return location.left(3);
}

bool isDiskette(const QString& location)
{
    const QString drive = driveOf(location).toLower();
    return drive == QLatin1String("a:\\") || drive == QLatin1String("b:\\");
}

QString backupFilePath(const QString& folder, const QString& baseName, const QString& infix,
                       const QDate& today, const QString& timeSuffix)
{
    QString path = folder;
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path + QLatin1Char('\\') + baseName + infix +
           today.toString(QStringLiteral("yyyy-MM-dd")) + timeSuffix + QStringLiteral(".eaz");
}

QString kiloBytesText(qint64 bytes)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::DefaultNumberOptions); // C omits the separators by default
    return c.toString(qRound64(double(bytes) / 1024.0)) + QStringLiteral(" KBytes");
}

SpaceEstimate estimate(platform::IFileSystem& files, const QString& location, bool clearDisks,
                       qint64 estimatedBytes)
{
    SpaceEstimate out;
    const QString drive = driveOf(location);
    const bool diskette = isDiskette(location);
    out.clearDisksVisible = diskette;
    out.clearDisksRed = diskette && clearDisks;
    out.disketteCountVisible = diskette;
    if (diskette) {
        DiskSpace space;
        quint64 capacity = kDisketteCapacity;
        if (files.diskSpace(drive, &space) && space.totalBytes > 0)
            capacity = space.totalBytes;
        const qint64 disks = estimatedBytes / qint64(capacity) + 1;
        out.disketteCount = Strings::get(StringId::DiskettesRequired) + QString::number(disks);
        // Diskettes that are emptied first always have room.
        if (clearDisks)
            return out;
    }
    if (location.startsWith(QLatin1Char('\\')))
        return out; // a network path: its free space is nobody's guess
    DiskSpace space;
    if (!files.diskSpace(drive, &space) || space.freeBytes == 0 ||
        estimatedBytes <= qint64(space.freeBytes))
        return out;
    out.spaceWarning = true;
    out.requirement = files.driveType(drive) == DriveType::Removable
                          ? Strings::get(StringId::MultipleDisks)
                          : Strings::get(StringId::FreeSpaceRequired) + Strings::kLineBreak +
                                kiloBytesText(estimatedBytes);
    return out;
}

} // namespace kv::SaveLocation
