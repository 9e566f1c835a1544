#pragma once

#include "platform/IFileSystem.h"

#include <QString>
#include <QStringList>

namespace kv {

// Moves, copies, deletes or renames files and folders in one operation, with the options of the
// shell's file operation. A caller sets the options, adds source (and for move, copy and rename,
// destination) paths and runs one operation; the lists can be cleared and the object reused.
//
// The operation is carried out with ordinary file-system calls:
// - a source whose last component holds "*" or "?" stands for every entry that matches it
//   (only the files when IncludeDirectories is False); one that matches nothing is no error;
// - folders are copied, moved and deleted with everything below them;
// - with one destination, several sources (or a wild-card source) go into that folder, which is
//   created when missing; a single source goes into it when it is an existing folder and
//   otherwise is copied or moved to that name. With several destinations (the 0x0001 flag),
//   source n goes to destination n in the same way; there must be as many;
// - a name that exists at the destination is replaced (a folder is merged into), unless
//   RenameOnCollision is True: then the new copy is named "Copy of x", "Copy (2) of x", ...;
// - AllowUndo sends deleted files and folders to the Recycle Bin;
// - there are no dialogs here: ConfirmOperation, ConfirmMakeDir, SilentMode, CustomText and
//   ParentWnd are kept for the flag word (Flags()) and behave as if every question had been
//   answered Yes and no progress window were shown.
// An item that fails does not stop the others; the result is False and LastError() holds the
// first failure. A root folder ("C:\") is never moved or deleted as a whole.
class FileOperation
{
public:
    // The shell's published operation flags.
    enum Flag : quint16
    {
        kMultiDestFiles = 0x0001,
        kSilent = 0x0004,
        kRenameOnCollision = 0x0008,
        kNoConfirmation = 0x0010,
        kAllowUndo = 0x0040,
        kFilesOnly = 0x0080,
        kSimpleProgress = 0x0100,
        kNoConfirmMkDir = 0x0200,
    };
    // The shell's operation codes.
    enum Function
    {
        kMove = 1,
        kCopy = 2,
        kDelete = 3,
        kRename = 4
    };

    // Error 1000 above the object-error base: the source list was empty.
    static constexpr quint32 kErrorNoSourceFiles = 0x800403E8;

    explicit FileOperation(platform::IFileSystem& files);

    void setAllowUndo(bool value) { m_allowUndo = value; }
    bool AllowUndo() const { return m_allowUndo; }
    void setConfirmMakeDir(bool value) { m_confirmMakeDir = value; }
    bool ConfirmMakeDir() const { return m_confirmMakeDir; }
    void setConfirmOperation(bool value) { m_confirmOperation = value; }
    bool ConfirmOperation() const { return m_confirmOperation; }
    void setCustomText(const QString& value) { m_customText = value; }
    QString CustomText() const { return m_customText; }
    void setIncludeDirectories(bool value) { m_includeDirectories = value; }
    bool IncludeDirectories() const { return m_includeDirectories; }
    void setParentWnd(quint32 value) { m_parentWnd = value; }
    quint32 ParentWnd() const { return m_parentWnd; }
    void setRenameOnCollision(bool value) { m_renameOnCollision = value; }
    bool RenameOnCollision() const { return m_renameOnCollision; }
    void setSilentMode(bool value) { m_silentMode = value; }
    bool SilentMode() const { return m_silentMode; }

    bool MoveFiles() { return run(kMove); }
    bool CopyFiles() { return run(kCopy); }
    bool DeleteFiles() { return run(kDelete); }
    bool RenameFiles() { return run(kRename); }

    void ClearSourceFiles() { m_sources.clear(); }
    void AddSourceFile(const QString& path) { m_sources.append(path); }
    void ClearDestFiles() { m_dests.clear(); }
    void AddDestFile(const QString& path) { m_dests.append(path); }
    const QStringList& SourceFiles() const { return m_sources; }
    const QStringList& DestFiles() const { return m_dests; }

    // The flag word the options give, as the shell receives it.
    quint16 Flags() const;

    // The first failure of the last operation: 0 after a success, kErrorNoSourceFiles, or the
    // Win32 error of the file call that failed; with a message for the log.
    quint32 LastError() const { return m_lastError; }
    QString LastErrorText() const { return m_lastErrorText; }

private:
    struct Item
    {
        QString path;
        bool isDirectory = false;
    };

    bool run(Function function);
    bool expand(const QString& source, QList<Item>* items);
    bool deleteItem(const Item& item);
    bool removeTree(const QString& folder, int depth);
    bool transfer(Function function, const Item& item, const QString& target);
    bool copyTree(const QString& from, const QString& to, int depth);
    bool moveInto(const Item& item, const QString& target, int depth);
    bool replaceFile(const QString& from, const QString& to);
    bool renameItem(const QString& source, const QString& dest);
    QString freeCollisionName(const QString& target);
    bool exists(const QString& path, bool* isDirectory = nullptr);
    bool fail(quint32 code, const QString& text);
    bool failCall(const QString& what, const QString& path);

    platform::IFileSystem& m_files;
    bool m_allowUndo = false;
    bool m_confirmMakeDir = true;
    bool m_confirmOperation = true;
    QString m_customText;
    bool m_includeDirectories = true;
    quint32 m_parentWnd = 0;
    bool m_renameOnCollision = false;
    bool m_silentMode = false;
    QStringList m_sources;
    QStringList m_dests;
    quint32 m_lastError = 0;
    QString m_lastErrorText;
};

} // namespace kv
