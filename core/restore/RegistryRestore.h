#pragma once

#include "backup/ItemGrid.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kv::platform {
struct Platform;
}

namespace kv {

class RunLog;
class Ui;

// One settings group of the restore page, as the run hands it over.
struct RegistryRestoreRequest
{
    ItemKind kind = ItemKind::Rules;
    QString archivePath; // the backup file
    QString entryName;   // the row's stored name of the group's ".reg" file
    QString displayName; // the row's text, as the log and the messages name the group
    bool deleteFirst = true;
    bool oe5 = true;
    QString backupIdentityId;  // the identity the archive was made for
    QString currentIdentityId; // the identity the settings go to
    QString programFolder;     // no trailing "\"
    QString programTitle;      // the title of the program's own messages
};

enum class RegistryRestoreOutcome
{
    Restored,
    Skipped,      // the dial-up group on the NT family
    NotExtracted, // the archive did not give the file
    RegistryHeld, // other programs of the environment hold the registry
    Declined,     // the user said No to the import
    Failed,       // the import failed; the group's previous keys were put back
};

// Brings one settings group back from the archive into the current user's registry. Unlike the
// registry editor it always ran, it writes only the group's own keys, keeps a dated copy of
// what it replaces in the program folder, and puts that copy back when the import fails.
class RegistryRestore
{
public:
    RegistryRestore(platform::Platform& platform, RunLog& log, Ui& ui);

    RegistryRestoreOutcome run(const RegistryRestoreRequest& request);

    // The confirmation asked before the import, as the registry editor words it.
    static QString confirmationText(const QString& scriptPath);
    static QString extractionFailedText(const QString& displayName, int result);
    static QString failedText(const QString& displayName);

private:
    int extract(const RegistryRestoreRequest& request, const QString& path);
    bool rewriteIdentity(const RegistryRestoreRequest& request, const QString& path);
    QString saveCurrent(const RegistryRestoreRequest& request, const QStringList& keys, bool* ok);
    bool import(const QByteArray& script, const QStringList& keys, const QString& name);
    void putBack(const QString& safetyCopy, const QStringList& keys, const QString& name);
    RegistryRestoreOutcome fail(const RegistryRestoreRequest& request, const QString& why);
    bool writeFile(const QString& path, const QByteArray& bytes);
    QByteArray readFile(const QString& path, bool* ok);

    platform::Platform& m_platform;
    RunLog& m_log;
    Ui& m_ui;
};

} // namespace kv
