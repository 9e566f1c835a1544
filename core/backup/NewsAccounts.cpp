// The version-4 news accounts: one row per account whose news folder exists.
#include "backup/InventoryLog.h"
#include "backup/InventoryParts.h"
#include "grid/TreeListModel.h"
#include "oeenv/RegistryAccess.h"
#include "platform/Platform.h"
#include "platform/WinPath.h"
#include "shell/MainState.h"
#include "util/FileScan.h"

namespace kv {

namespace {

const QString kHive = QStringLiteral("HKCU");
const QString kAccountManager = QStringLiteral("Software\\Microsoft\\Internet Account Manager");

// Account keys are numbered from 0 in lower-case hexadecimal, eight digits.
QString accountKey(quint32 i)
{
    return kAccountManager + QStringLiteral("\\Accounts\\") +
           QStringLiteral("%1").arg(i, 8, 16, QLatin1Char('0'));
}

bool isAbsolute(const QString& path)
{
    return (path.size() >= 2 && path.at(1) == QLatin1Char(':')) ||
           path.startsWith(QLatin1Char('\\'));
}

} // namespace

bool listNewsAccounts(InventoryContext& ctx, bool withSizes)
{
    RegistryAccess reg(ctx.platform.registry, ctx.platform.files);
    quint32 accounts = 0;
    // The account manager's own count; where it is not kept, the next free account number
    // bounds the numbers in use.
    if (reg.readDword(kHive, kAccountManager, QStringLiteral("Account Name"), &accounts) != 0)
        reg.readDword(kHive, kAccountManager + QStringLiteral("\\Accounts"),
                      QStringLiteral("NextID"), &accounts);
    // Account numbers are small; a damaged count must not send us through four billion keys.
    accounts = qMin<quint32>(accounts, 4096);
    const QString newsPath = ctx.state.env.oe4.newsFolder;
    for (quint32 i = 0; i < accounts; ++i) {
        const QString key = accountKey(i);
        QString directory;
        reg.readString(kHive, key, QStringLiteral("NNTP Data Directory"), &directory);
        if (directory.isEmpty())
            continue;
        QString name;
        reg.readString(kHive, key, QStringLiteral("Account Name"), &name);
        // The directory is kept relative to the news folder; a full path below it is read the
        // same way, so the row names the same folder either way.
        QString folder = newsPath + directory;
        if (isAbsolute(directory)) {
            folder = directory;
            if (!newsPath.isEmpty() && directory.startsWith(newsPath, Qt::CaseInsensitive))
                directory = directory.mid(newsPath.size());
        }
        if (!ctx.folderExists(folder)) {
            qCInfo(lcInventory).noquote() << "news account" << name << "has no folder" << folder;
            continue;
        }
        const int r = ctx.grid.addRow(name);
        ctx.grid.setCell(r, cell::Display, name);
        ctx.grid.setCell(r, cell::MbxName, directory);
        ctx.grid.setCell(r, cell::FolderNo, QStringLiteral("0"));
        ctx.grid.setCell(r, cell::ParentNo, QStringLiteral("0"));
        ctx.grid.setCell(r, cell::Type, QString::number(int(ItemKind::Oe4NewsAccount)));
        if (withSizes)
            ctx.grid.setCell(
                r, cell::FileSize,
                QString::number(FileScan::folderFileTotal(ctx.platform.files, folder)));
        ctx.grid.setBackColor(r, itemcolor::News);
    }
    return true;
}

} // namespace kv
