#include "platform/posix/WineDriveConfig.h"

namespace kv::platform::posix {

namespace {

const QString kWineDrivesKey = QStringLiteral("Software\\Wine\\Drives");
const QString kEmulationKey = QStringLiteral("Software\\Korvane\\Emulation\\Drives");

QString driveValueName(QChar letter)
{
    return QString(letter.toLower()) + QLatin1Char(':');
}

} // namespace

DriveType WineDriveConfig::type(QChar letter)
{
    RegValue value;
    if (m_registry.queryValue(Hive::LocalMachine, kWineDrivesKey, driveValueName(letter), &value) !=
            kErrorSuccess ||
        !value.isString())
        return DriveType::Fixed;
    const QString kind = value.toString().trimmed().toLower();
    if (kind == QLatin1String("floppy"))
        return DriveType::Removable;
    if (kind == QLatin1String("cdrom"))
        return DriveType::CdRom;
    if (kind == QLatin1String("network"))
        return DriveType::Remote;
    if (kind == QLatin1String("ramdisk"))
        return DriveType::RamDisk;
    return DriveType::Fixed;
}

quint64 WineDriveConfig::capacity(QChar letter)
{
    if (type(letter) != DriveType::Removable)
        return 0;
    RegValue value;
    if (m_registry.queryValue(Hive::LocalMachine, kEmulationKey, driveValueName(letter), &value) ==
        kErrorSuccess) {
        if (value.type == kRegDword && value.toDword() > 0)
            return value.toDword();
        if (value.type == kRegQword && value.data.size() >= 8) {
            quint64 bytes = 0;
            for (int i = 7; i >= 0; --i)
                bytes = (bytes << 8) | quint8(value.data[i]);
            if (bytes > 0)
                return bytes;
        }
    }
    return kDefaultDisketteCapacity;
}

} // namespace kv::platform::posix
