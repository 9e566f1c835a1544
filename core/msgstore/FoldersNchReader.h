#pragma once

#include <QList>
#include <QString>

namespace kv::msgstore {

// One folder record of the version-4 folder list ("folders.nch").
struct NchFolderRecord
{
    quint32 offset = 0;
    quint32 next = 0;
    quint16 folderNumber = 0; // 0: the record holds no folder
    QString name;
    QString fileName; // without ".mbx"
    quint16 parentNumber = 0;
    quint16 order = 0; // the stored 65535 already read as 4
};

// Reads the folder records of "folders.nch" along their chain: from the header's first-record
// offset, each record naming the next, until the record at the header's last-record offset (or
// one whose next offset is 0). Texts are cut at their first NUL and trailing blanks removed. A
// damaged file (a record outside the file, a chain that loops) gives false and lastError().
class FoldersNchReader
{
public:
    static constexpr quint32 kHeaderSize = 24;
    static constexpr quint32 kRecordSize = 558;

    bool read(const QString& hostPath);

    const QList<NchFolderRecord>& folders() const { return m_folders; }
    const QString& lastError() const { return m_error; }

private:
    bool fail(const QString& why);

    QString m_path;
    QList<NchFolderRecord> m_folders;
    QString m_error;
};

} // namespace kv::msgstore
