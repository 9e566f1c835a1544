#include "shell/ControlFile.h"

#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"
#include "platform/Ansi.h"
#include "shell/MainState.h"
#include "shell/ShellLog.h"

#include "platform/IFileSystem.h"

namespace kv::ControlFile {

using platform::IFileSystem;

QString path(const QString& programFolder, bool oe5, const QString& identityId)
{
    return oe5 ? programFolder + QStringLiteral("\\tnsys5.") + identityId + QStringLiteral(".ctl")
               : programFolder + QStringLiteral("\\tnsys4.ctl");
}

QString firstLine(bool oe5, const QString& identityName, const QString& identityId)
{
    return oe5 ? QStringLiteral("Korvane - OE5 - {") + identityName + QStringLiteral("} ") +
                     identityId
               : QStringLiteral("Korvane OE4");
}

QString backupFirstLine(bool oe5, const QString& identityName, const QString& identityId)
{
    return oe5 ? firstLine(true, identityName, identityId) : QStringLiteral("Korvane - OE4");
}

QString itemRecord(int kind, const QString& rowText, const QString& fileName, int row,
                   int parentRow, int state)
{
    const QChar sep = MainState::kFieldSeparator;
    return QString::number(kind) + sep + rowText + sep + fileName + sep + QString::number(row) +
           sep + QString::number(parentRow) + sep + QString::number(state);
}

QStringList itemRecords(const TreeListModel& grid)
{
    QStringList records;
    for (int row = 1; row < grid.totalRowCount(); ++row)
        records.append(itemRecord(itemKind(grid, row), grid.text(row),
                                  grid.cell(row, cell::MbxName), row, qMax(0, grid.parentRow(row)),
                                  grid.checkState(row)));
    return records;
}

bool writeWithItems(IFileSystem& files, const QString& path, const QString& firstLine,
                    const TreeListModel& grid)
{
    return writeLines(files, path, QStringList{firstLine} + itemRecords(grid));
}

bool writeLines(IFileSystem& files, const QString& path, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += ansi::fromUnicode(line) + "\r\n";
    auto out = files.open(path, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!out || out->write(bytes) != bytes.size()) {
        qCWarning(lcShell) << "cannot write" << path << "error" << files.lastError();
        return false;
    }
    return true;
}

bool readLines(IFileSystem& files, const QString& path, QStringList* lines)
{
    auto in = files.open(path, QIODevice::ReadOnly);
    if (!in) {
        qCWarning(lcShell) << "cannot read" << path << "error" << files.lastError();
        return false;
    }
    const QByteArray bytes = in->readAll();
    lines->clear();
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArray line = bytes.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines->append(ansi::toUnicode(line));
        start = end + 1;
    }
    return true;
}

bool convertTnsys3(IFileSystem& files, const QString& programFolder)
{
    const QString oldPath = programFolder + QStringLiteral("\\tnsys3.ctl");
    const QString newPath = programFolder + QStringLiteral("\\tnsys4.ctl");
    platform::FileEntry entry;
    if (!files.stat(oldPath, &entry) || entry.isDirectory() || files.stat(newPath, &entry))
        return false;
    QStringList old;
    if (!readLines(files, oldPath, &old))
        return false;

    const QChar sep = MainState::kFieldSeparator;
    QStringList out{QStringLiteral("Korvane - OE4")};
    bool news = false;
    int row = 0;
    for (qsizetype i = 2; i < old.size(); ++i) {
        const QString& line = old.at(i);
        if (line.startsWith(QLatin1String("News Folders="))) {
            news = true;
            continue;
        }
        if (line.isEmpty())
            continue;
        ++row;
        // The old file named each folder of the last backup; every one of them was saved.
        const QString type = news ? QStringLiteral("20") : QStringLiteral("2");
        const QString file = news ? line : line + QStringLiteral(".mbx");
        out.append(type + sep + line + sep + file + sep + QString::number(row) + sep +
                   QStringLiteral("0") + sep + QStringLiteral("1"));
    }
    if (!writeLines(files, newPath, out))
        return false;
    qCInfo(lcShell) << "converted" << oldPath << "into" << newPath << "with" << row << "records";
    return true;
}

Remembered readRemembered(IFileSystem& files, const QString& path)
{
    Remembered r;
    QStringList lines;
    if (!readLines(files, path, &lines) || lines.isEmpty())
        return r;
    r.header = lines.takeFirst();
    for (const QString& line : std::as_const(lines)) {
        const QStringList fields = line.split(MainState::kFieldSeparator);
        const int type = fields.value(0).trimmed().toInt();
        if (type == 10 || type == 30 || (type >= 40 && type <= 49))
            continue;
        const QString name = fields.value(2);
        if (name.isEmpty())
            continue;
        const int flag = fields.value(5).trimmed().toInt();
        r.names.append(name);
        r.flags.append(flag == -1 ? 1 : flag);
    }
    return r;
}

} // namespace kv::ControlFile
