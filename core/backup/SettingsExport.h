#pragma once

#include "backup/ItemGrid.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::platform {
struct Platform;
}

namespace kv {

// One of the six groups of the mail client's registry settings that a backup can carry.
struct SettingsGroup
{
    ItemKind kind;
    QString rowText;  // "Rules Wizard", ..., "Remote Acccess" (three c, as it always was)
    QString fileName; // "\Rules Wizard.reg", ... (one leading "\", joined to the program folder)
    QString heading;  // "[[ Outlook Express Signatures ]]", shown by the details box and restore
};
// The six groups in kind order (41 .. 46).
const QList<SettingsGroup>& settingsGroups();
const SettingsGroup* settingsGroup(ItemKind kind);
// The keys below HKEY_CURRENT_USER that the group's script may write, its own key first; in
// version-5 mode the accounts group also owns the identity's account key, which the export
// writes in its place or beside it. Empty for a kind that is no settings group.
QStringList settingsGroupKeys(ItemKind kind, bool oe5, const QString& identityId);

// What the export needs to know of the run.
struct SettingsExportRequest
{
    QString programFolder; // where the .reg files go; no trailing "\"
    bool oe5 = true;
    QString identityId; // braces included; unused in version-4 mode
};

// An exported group: the path is "" when its key does not exist (or, on the NT family, for the
// dial-up group), and the group then gets no inventory row.
struct ExportedGroup
{
    ItemKind kind;
    QString rowText;
    QString regPath; // full Windows path of the written file, or ""
};

struct SettingsExportResult
{
    // In the order the inventory adds its rows: Accounts, Block Senders, Preferences,
    // Remote Acccess, Rules Wizard, Signatures.
    QList<ExportedGroup> groups;
    // Files that could not be written (full disk, ...): one sentence each for the user; the
    // group is then offered without a file.
    QStringList errors;
};

// Exports the six groups from the current user's registry into registry scripts in the program
// folder, in the registry editor's version-4 format. Old files of a previous run are removed
// first. The export is built in, so it cannot be "missing"; it fails only file by file.
class SettingsExport
{
public:
    explicit SettingsExport(platform::Platform& platform);

    SettingsExportResult run(const SettingsExportRequest& request);

private:
    platform::Platform& m_platform;
};

} // namespace kv
