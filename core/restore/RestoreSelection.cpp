#include "restore/RestoreSelection.h"

#include "backup/Inventory.h"
#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"
#include "restore/ItemListReader.h"
#include "restore/RestoreContext.h"
#include "restore/RestoreLog.h"
#include "shell/Ui.h"
#include "util/SystemUtils.h"

namespace kv {

namespace {

using Picture = TreeListModel::Picture;

constexpr int kFullRestore = 2;

void setMark(TreeListModel& grid, int row, int state)
{
    grid.setCheckState(row, state);
    grid.setPicture(row, Picture(state));
}

} // namespace

RestoreSelection::RestoreSelection(const RestoreContext& context, platform::IFileSystem& files,
                                   Ui& ui, TreeListModel& grid, TreeListModel& current,
                                   bool currentLoaded)
    : m_context(context), m_files(files), m_ui(ui), m_grid(grid), m_current(current),
      m_currentLoaded(currentLoaded)
{
    for (int row = 1; row < m_grid.totalRowCount(); ++row)
        m_marked += m_grid.checkState(row) == kSelected ? 1 : 0;
}

QString RestoreSelection::redirectedText(const QString& name, const QString& target)
{
    return name + QStringLiteral("\t>>> ") + target;
}

QString RestoreSelection::ownName(const QString& rowText)
{
    return rowText.section(u'\t', 0, 0);
}

int RestoreSelection::markAllFolders()
{
    const int marked = ItemListReader::markAllFolders(m_grid);
    m_marked += marked;
    return marked;
}

void RestoreSelection::markClicked(int row)
{
    if (row < 1 || !m_grid.isValidRow(row))
        return;
    const int state = m_grid.checkState(row);
    if (state == kNotAvailable)
        return;
    const int kind = itemKind(m_grid, row);
    if (m_context.restoreType == kFullRestore && kind < int(ItemKind::AddressBook)) {
        m_ui.beep();
        return;
    }
    const QString name = ownName(m_grid.text(row));
    if (state == kSelected) {
        setMark(m_grid, row, kNotSelected);
        m_grid.setText(row, name);
        m_grid.setCell(row, cell::RestoreToName, QString());
        m_grid.setCell(row, cell::RestoreToIndex, QString());
        --m_marked;
        return;
    }

    const QString fileName = m_grid.cell(row, cell::MbxName);
    const auto tell = [&](const QString& text) {
        qCInfo(lcRestore).noquote() << "not marked:" << name << "-" << text;
        m_ui.messageBox(text, MsgButtons::Ok, MsgIcon::Information, m_context.programTitle);
    };
    switch (ItemKind(kind)) {
    case ItemKind::MailFolder:
        if (!SystemUtils::fileExists(m_files, m_context.storeFolder + fileName)) {
            tell(QStringLiteral("The selected Folder no longer exists. You must select an "
                                "alternate folder for the restore."));
            return;
        }
        m_grid.setText(row, redirectedText(name, name));
        break;
    case ItemKind::NewsGroup:
    case ItemKind::Oe4NewsAccount: {
        const bool present =
            kind == int(ItemKind::NewsGroup)
                ? SystemUtils::fileExists(m_files, m_context.storeFolder + fileName)
                : !m_context.oe4NewsFolder.isEmpty() &&
                      SystemUtils::folderExists(m_files, m_context.oe4NewsFolder + fileName);
        if (!present) {
            tell(QStringLiteral("The selected News Group is not currently subscribed. \nYou "
                                "must subscribe to the news group before it may be restored."));
            return;
        }
        break;
    }
    default:
        break;
    }
    setMark(m_grid, row, kSelected);
    ++m_marked;
}

void RestoreSelection::redirectClicked(int row)
{
    if (row < 1 || !m_grid.isValidRow(row) || !mayRedirect(row))
        return;
    const int chosen = m_ui.chooseRestoreFolder(m_current);
    if (chosen < 0)
        return;
    if (!validTarget(chosen)) {
        m_ui.beep();
        return;
    }
    redirect(row, chosen);
}

bool RestoreSelection::redirectTo(int row, int currentRow)
{
    if (row < 1 || !m_grid.isValidRow(row) || !mayRedirect(row))
        return false;
    if (!validTarget(currentRow)) {
        qCWarning(lcRestore) << "row" << currentRow << "of the current folders cannot receive"
                             << ownName(m_grid.text(row));
        m_ui.beep();
        return false;
    }
    redirect(row, currentRow);
    return true;
}

bool RestoreSelection::mayRedirect(int row)
{
    QString refusal;
    bool beep = false;
    if (m_context.restoreType == kFullRestore) {
        beep = true;
        refusal =
            QStringLiteral("When doing a Full Restore, you may not restore to alternate folders");
    } else if (!m_currentLoaded) {
        refusal = QStringLiteral("The mail index file  is not available. You may only restore "
                                 "to a folder of the same name.");
    } else if (m_grid.checkState(row) == kNotAvailable) {
        refusal = QStringLiteral("This Folder is NOT in the Archive. It merely shows the folder "
                                 "layout when the archive was created.");
    } else if (itemKind(m_grid, row) != int(ItemKind::MailFolder)) {
        refusal = QStringLiteral("This item may not be restored to a different folder");
    }
    if (refusal.isEmpty())
        return true;
    qCInfo(lcRestore).noquote() << "no redirect for" << ownName(m_grid.text(row)) << "-" << refusal;
    if (beep)
        m_ui.beep();
    m_ui.messageBox(refusal, MsgButtons::Ok, MsgIcon::Information, m_context.programTitle);
    return false;
}

bool RestoreSelection::validTarget(int currentRow) const
{
    // The root and the rows without a message file (headers, news servers) hold no messages.
    return currentRow >= 1 && m_current.isValidRow(currentRow) &&
           m_current.cell(currentRow, cell::HasData) == QLatin1String("Y");
}

void RestoreSelection::redirect(int row, int currentRow)
{
    const bool wasMarked = m_grid.checkState(row) == kSelected;
    const QString target = ownName(m_current.text(currentRow));
    m_grid.setText(row, redirectedText(ownName(m_grid.text(row)), target));
    setMark(m_grid, row, kSelected);
    m_grid.setCell(row, cell::RestoreToName, m_current.cell(currentRow, cell::MbxName));
    m_grid.setCell(row, cell::RestoreToIndex, QString::number(currentRow));
    if (!wasMarked)
        ++m_marked;
    qCInfo(lcRestore).noquote() << "redirected:" << m_grid.text(row);
}

void RestoreSelection::selectAll()
{
    m_grid.redrawOff();
    for (int row = 1; row < m_grid.totalRowCount(); ++row)
        if (m_grid.checkState(row) == kNotSelected)
            markClicked(row);
    m_grid.redrawOn();
}

void RestoreSelection::clearAll()
{
    m_grid.redrawOff();
    for (int row = 1; row < m_grid.totalRowCount(); ++row)
        if (m_grid.checkState(row) == kSelected)
            markClicked(row);
    m_grid.redrawOn();
}

void RestoreSelection::showDetails(int row)
{
    if (!m_grid.isValidRow(row))
        return;
    // The archive's rows carry their name only as their text, which a redirect extends.
    m_grid.setCell(row, cell::Display, ownName(m_grid.text(row)));
    const QString text = ItemSelection::detailsText(m_grid, row, false);
    if (!text.isEmpty())
        m_ui.messageBox(text, MsgButtons::Ok, MsgIcon::Information, m_context.programTitle);
}

bool RestoreSelection::settingsGroupsMarked() const
{
    for (int row = 1; row < m_grid.totalRowCount(); ++row)
        if (isSettingsGroup(itemKind(m_grid, row)) && m_grid.checkState(row) == kSelected)
            return true;
    return false;
}

} // namespace kv
