#pragma once

#include "restore/RestoreContext.h"
#include "zip/ZipListener.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

namespace kv {

namespace platform {
class IFileSystem;
}
namespace zip {
class ZipComponent;
}
class RunLog;
class RunProgress;
class Ui;

// The zip component's events while a restore extracts: the names the entries are written
// under, the progress text, the "Restored Folder: " lines, the skipped-entry lines and the
// insert-disk prompts. What an entry replaces is kept only once its new copy has been extracted
// and checked (replacingFile): the address book under its ".wax" (or ".bak") name, every other
// replaced file in the Recycle Bin. Runs on the thread that extracts.
class RestoreZipListener : public zip::ZipListener
{
public:
    // What the current extraction brings back; each step names and keeps files its own way.
    enum class Step
    {
        AddressBook,
        MailFolders,
        News,
        Favorites,
        Synchronise, // into the temporary folder: names as stored, nothing kept, no log
    };

    RestoreZipListener(platform::IFileSystem& files, Ui& ui, RunProgress& progress, RunLog& log,
                       const RestoreContext& context, const QList<RestoreItem>& items,
                       std::atomic<bool>& cancel);

    // Starts a step; zip is the component the step's extraction runs on (for cancel).
    void beginStep(Step step, zip::ZipComponent& zip);
    // The address book's name in its destination, and where its previous file is kept.
    void setAddressBookTarget(const QString& targetName, const QString& keptPath);
    // The stored folder part that Favorites entries lose (without drive, ending in "\").
    void setFavoritesPrefix(const QString& prefix) { m_favoritesPrefix = prefix; }
    // For the percentage: how many files the run expects to extract in all.
    void setExpectedFiles(int count) { m_expected = qMax(1, count); }

    void skippingFile(const QString& name, zip::SkipReason reason) override;
    void extractingFile(const QString& entryName, QString& destName) override;
    bool replacingFile(const QString& target) override;
    bool insertDisk(int diskNumber) override;

    int skippedFiles() const { return m_skipped; }
    bool diskRefused() const { return m_diskRefused; }
    // Display names of the mail folders restored so far, in order.
    const QStringList& restoredFolders() const { return m_restoredFolders; }
    int filesDone() const { return m_done; }

private:
    struct Pending
    {
        QString logLine;         // "Restored Folder: ..." once the file is in place
        QString folderName;      // a mail row's display name ("" for other files)
        bool recycle = false;    // an existing file at the target goes to the Recycle Bin
        bool recycleIdx = false; // version 4: the folder's index file goes with it
    };

    void mailEntry(const QString& entryName, QString& destName);
    void otherEntry(const QString& entryName, QString& destName);
    void refuse(const QString& entryName, const QString& why, QString& destName);
    bool keepAddressBook(const QString& target);
    bool recycle(const QString& path);
    bool exists(const QString& path);
    void log(const QStringList& lines);
    void fileDone();

    platform::IFileSystem& m_files;
    Ui& m_ui;
    RunProgress& m_progress;
    RunLog& m_log;
    const RestoreContext& m_context;
    const QList<RestoreItem>& m_items;
    std::atomic<bool>& m_cancel;
    zip::ZipComponent* m_zip = nullptr;

    Step m_step = Step::MailFolders;
    QString m_wabTarget;
    QString m_wabKept;
    bool m_wabSaved = false;
    QString m_favoritesPrefix;
    Pending m_pending;
    QStringList m_restoredFolders;
    int m_skipped = 0;
    int m_done = 0;
    int m_expected = 1;
    bool m_diskRefused = false;
};

} // namespace kv
