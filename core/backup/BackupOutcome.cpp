#include "backup/BackupOutcome.h"

#include "shell/Strings.h"

namespace kv {

BackupOutcome BackupOutcome::forResult(int code, bool quickBackup)
{
    BackupOutcome o;
    const QString crlf = QStringLiteral("\r\n");
    switch (code) {
    case 0:
    case 10:
    case 30:
        o.kind = Kind::Success;
        if (!quickBackup)
            o.message = Strings::get(StringId::BackupComplete);
        break;
    case kVerifyFailed:
        o.kind = Kind::VerifyFailed; // its message came with the test
        o.logLines = {QStringLiteral("***** Backup verify failed *********"), QString()};
        break;
    case 40:
    case 140:
        o.kind = Kind::FilesSkipped;
        o.message =
            Strings::get(StringId::FilesSkipped) + crlf + Strings::get(StringId::FilesSkippedCause);
        o.icon = MsgIcon::Critical;
        break;
    case 150:
    case 300:
        o.kind = Kind::DiskFull;
        o.message = Strings::get(StringId::BackupDiskFull);
        o.logLines = {QStringLiteral("Disk error during save - ") + QString::number(code),
                      QString()};
        break;
    case 190:
        o.kind = Kind::Cancelled;
        o.logLines = {QStringLiteral("Backup Cancelled - "), QString()};
        break;
    case 310:
        o.kind = Kind::CannotCreate;
        o.message = Strings::get(StringId::CannotCreateBackup);
        o.icon = MsgIcon::Critical;
        o.logLines = {QStringLiteral("Unable to create the Backup File"), QString()};
        break;
    default:
        o.kind = Kind::InternalError;
        o.message = Strings::get(StringId::BackupInternalError) + QString::number(code);
        o.logLines = {QStringLiteral("Unexpected error -") + QString::number(code), QString()};
        break;
    }
    return o;
}

} // namespace kv
