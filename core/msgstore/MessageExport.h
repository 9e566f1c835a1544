#pragma once

#include "msgstore/SyncMessageList.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace kv::platform {
class IFileSystem;
}

namespace kv::msgstore {

class DbxFile;
class MbxFile;

// Brings single messages back from the message files a synchronise run extracted (the "prior"
// folder) as ".eml" files: one sub-folder per mail folder, named after the folder, and a file
// name made of the subject and the message's row, so that two messages with one subject never
// share a name. Also decides which folder is the program's own target, the only one it empties.
class MessageExport
{
public:
    // The folder below the documents folder that receives restored messages.
    static constexpr char kTargetFolderName[] = "Korvane-Synchronize";
    static constexpr int kSubjectChars = 25;

    // The text without \ / : * ? " < > | and full stops, the other characters kept in order.
    static QString cleanName(const QString& text);
    // The first 25 characters of the cleaned subject, ".", the row, ".eml".
    static QString messageFileName(const QString& subject, qint64 row);

    // "<documents>\Korvane-Synchronize\" (a Windows path), or "" when the documents folder
    // cannot hold it: empty, relative ("Docs", "C:Docs", "\Docs"), a drive or share root, or
    // with "." or ".." components. Then there is no target, and nothing may be emptied.
    static QString targetFolderFor(const QString& documentsFolder);
    // True only when path is exactly the target folder of that documents folder: letter case
    // and trailing backslashes aside, never its parent, a root or anything below it.
    static bool isOwnTargetFolder(const QString& path, const QString& documentsFolder);

    enum class EmptyResult
    {
        Emptied,
        Absent,  // no such folder: nothing to do
        Refused, // not the program's own target folder: left untouched (logged)
        Failed   // some entries could not be deleted (logged)
    };
    // Deletes everything inside folder (files and sub-folders, not to the Recycle Bin), but
    // only when it is the program's own target folder below documentsFolder.
    static EmptyResult emptyTargetFolder(platform::IFileSystem& files, const QString& folder,
                                         const QString& documentsFolder);

    // priorFolder: host path of the folder holding the backup's message files.
    MessageExport(StoreFormat format, QString priorFolder);
    ~MessageExport();
    MessageExport(const MessageExport&) = delete;
    MessageExport& operator=(const MessageExport&) = delete;

    // One message to bring back: its folder (display name and message file name), its number
    // in the prior message file, and the row that makes its file name unique.
    struct Request
    {
        QString folderName;
        QString fileName;
        qint32 number = 0;
        qint64 row = 0;
    };

    enum class Status
    {
        Written,
        FolderMissing,  // the folder's message file is not in the prior folder (or unreadable)
        MessageMissing, // no such message in it, or the message cannot be read
        WriteFailed
    };
    struct Result
    {
        Status status = Status::FolderMissing;
        QString filePath; // host path of the written file
        QString error;
    };

    // Writes the message as targetFolder\<clean folder name>\<subject, 25>.<row>.eml
    // (targetFolder a host path): ".dbx" messages byte for byte, ".mbx" ones as the record's
    // text followed by CR LF. Creates the folders as needed and replaces a file of that name.
    Result write(const Request& request, const QString& targetFolder);

    // The message's bytes as the message file holds them (an ".mbx" record without its NUL
    // fill), for an mbox export. Empty with *status set when the folder or message is missing.
    QByteArray messageBytes(const Request& request, Status* status, QString* error);

    // The sub-folder write() uses for a folder (host path).
    static QString folderPath(const QString& targetFolder, const QString& folderName);

private:
    bool openFolder(const QString& fileName, QString* error);
    QByteArray read(const Request& request, bool trimFill, QString* subject, Status* status,
                    QString* error);

    StoreFormat m_format;
    QString m_priorFolder;
    // The folder file open now; a new folder always gets a fresh reader, and a file that does
    // not open is remembered as missing so that no message is read from anything else.
    QString m_openName;
    bool m_openOk = false;
    std::unique_ptr<DbxFile> m_dbx;
    std::unique_ptr<MbxFile> m_mbx;
};

} // namespace kv::msgstore
