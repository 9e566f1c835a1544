#include "restore/RestoreSkipLines.h"

#include "backup/RunLog.h"
#include "restore/RestoreLog.h"
#include "shell/Strings.h"
#include "shell/Ui.h"

namespace kv {

QString skippedFileLine(int reason, const QString& entryName)
{
    // Each line is the text before the name, the name, and the text after it, as users have
    // always seen them in their logs.
    static constexpr std::pair<const char16_t*, const char16_t*> kLines[] = {
        {u"Skipping - File not found: '", u"'"},
        {u"Skipping File: '", u"', it is compressed with an unknown compression method."},
        {u"Skipping File: '", u"' has a bad CRC. Skipping this file."},
        {u"Not updating file '", u"', it is already up to date."},
        {u"Unable to open file '", u"'. Skipping this file."},
        {u"Invalid or no password for encrypted file '", u"'. Skipping this file."},
        {u"File '", u"' is corrupted. Skipping this file."},
    };
    if (reason < 0 || reason >= int(std::size(kLines))) {
        qCWarning(lcRestore) << "skipped entry" << entryName << "with unknown reason" << reason;
        return {};
    }
    return QString::fromUtf16(kLines[reason].first) + entryName +
           QString::fromUtf16(kLines[reason].second);
}

void reportSkippedFile(int reason, const QString& entryName, RunLog* log, bool synchronise, Ui& ui)
{
    const QString line = skippedFileLine(reason, entryName);
    if (line.isEmpty())
        return;
    if (log && log->isOpen())
        log->write(QStringList{line, QString()});
    else if (synchronise)
        ui.messageBox(line, MsgButtons::Ok, MsgIcon::Information, Strings::programTitle());
}

} // namespace kv
