#pragma once

#include "shell/Ui.h"

#include <QString>
#include <QStringList>

namespace kv {

// What the end of a run says about its result code: the message box (none when text is ""),
// the run log's lines, and whether old archives may be purged.
struct BackupOutcome
{
    enum class Kind
    {
        Success,
        VerifyFailed,
        FilesSkipped,
        DiskFull,
        Cancelled,
        CannotCreate,
        InternalError,
    };

    Kind kind = Kind::InternalError;
    QString message;
    MsgIcon icon = MsgIcon::Information;
    QStringList logLines;

    bool success() const { return kind == Kind::Success; }

    // The verification's own result code.
    static constexpr int kVerifyFailed = -1000;

    // quickBackup: the success message is not shown, since nobody waits at the screen.
    static BackupOutcome forResult(int resultCode, bool quickBackup);
};

} // namespace kv
