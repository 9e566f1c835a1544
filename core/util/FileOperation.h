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
//   (only the files when includeDirectories() is false); one that matches nothing is no error;
// - folders are copied, moved and deleted with everything below them;
// - with one destination, several sources (or a wild-card source) go into that folder, which is
//   created when missing; a single source goes into it when it is an existing folder and
//   otherwise is copied or moved to that name. With several destinations (the 0x0001 flag),
//   source n goes to destination n in the same way; there must be as many;
// - a name that exists at the destination is replaced (a folder is merged into), unless
//   renameOnCollision() is true: then the new copy is named "Copy of x", "Copy (2) of x", ...;
// - allowUndo() sends deleted files and folders to the Recycle Bin;
// - there are no dialogs here: the confirmation, silent, custom-text and parent-window options
//   are kept for the flag word (flags()) and behave as if every question had been
//   answered Yes and no progress window were shown.
// An item that fails does not stop the others; the result is false and lastError() holds the
// first failure. A root folder ("C:\") is never moved or deleted as a whole.
class FileOperation
{
public:
    // The shell's published operation flags.
    enum Flag : quint16
    {
        MultiDestFiles = 0x0001,
        Silent = 0x0004,
        RenameOnCollision = 0x0008,
        NoConfirmation = 0x0010,
        AllowUndo = 0x0040,
        FilesOnly = 0x0080,
        SimpleProgress = 0x0100,
        NoConfirmMkDir = 0x0200,
    };
    // The shell's operation codes.
    enum class Function
    {
        Move = 1,
        Copy = 2,
        Delete = 3,
        Rename = 4
    };

    // Error 1000 above the object-error base: the source list was empty.
    static constexpr quint32 kErrorNoSourceFiles = 0x800403E8;

    explicit FileOperation(platform::IFileSystem& files);

    void setAllowUndo(bool value) { m_allowUndo = value; }
    bool allowUndo() const { return m_allowUndo; }
    void setConfirmMakeDir(bool value) { m_confirmMakeDir = value; }
    bool confirmMakeDir() const { return m_confirmMakeDir; }
    void setConfirmOperation(bool value) { m_confirmOperation = value; }
    bool confirmOperation() const { return m_confirmOperation; }
    void setCustomText(const QString& value) { m_customText = value; }
    QString customText() const { return m_customText; }
    void setIncludeDirectories(bool value) { m_includeDirectories = value; }
    bool includeDirectories() const { return m_includeDirectories; }
    void setParentWindow(quint32 value) { m_parentWindow = value; }
    quint32 parentWindow() const { return m_parentWindow; }
    void setRenameOnCollision(bool value) { m_renameOnCollision = value; }
    bool renameOnCollision() const { return m_renameOnCollision; }
    void setSilentMode(bool value) { m_silentMode = value; }
    bool silentMode() const { return m_silentMode; }

    bool moveFiles() { return run(Function::Move); }
    bool copyFiles() { return run(Function::Copy); }
    bool deleteFiles() { return run(Function::Delete); }
    bool renameFiles() { return run(Function::Rename); }

    void clearSourceFiles() { m_sources.clear(); }
    void addSourceFile(const QString& path) { m_sources.append(path); }
    void clearDestFiles() { m_dests.clear(); }
    void addDestFile(const QString& path) { m_dests.append(path); }
    const QStringList& sourceFiles() const { return m_sources; }
    const QStringList& destFiles() const { return m_dests; }

    // The flag word the options give, as the shell receives it.
    quint16 flags() const;

    // The first failure of the last operation: 0 after a success, kErrorNoSourceFiles, or the
    // Win32 error of the file call that failed; with a message for the log.
    quint32 lastError() const { return m_lastError; }
    QString lastErrorText() const { return m_lastErrorText; }

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
    quint32 m_parentWindow = 0;
    bool m_renameOnCollision = false;
    bool m_silentMode = false;
    QStringList m_sources;
    QStringList m_dests;
    quint32 m_lastError = 0;
    QString m_lastErrorText;
};

} // namespace kv
