#pragma once

#include "platform/posix/WinePrefix.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::platform::posix {

// Maps Windows paths onto the host through the prefix's drive links
// (<prefix>/dosdevices/<letter>: -> folder) and back.
class WinePathMapper
{
public:
    explicit WinePathMapper(WinePrefix prefix);

    const WinePrefix& prefix() const { return m_prefix; }

    // The drive letters with a link in dosdevices/, lower-case, in alphabetical order. A link
    // whose folder is missing still counts: it is a drive without a disk.
    QList<QChar> driveLetters() const;
    // The folder a drive stands for, or "" when the letter has no link.
    QString driveRoot(QChar letter) const;
    // The drive letter of "X:", "X:\" or "X:\anything" (lower-case), or a null QChar.
    static QChar driveOf(const QString& windowsPath);
    // The drive letter of a bare root ("X:" or "X:\"), or a null QChar for anything else.
    static QChar rootDrive(const QString& root);

    // See IFileSystem::toHostPath / toWindowsPath.
    QString toHostPath(const QString& windowsPath) const;
    QString toWindowsPath(const QString& hostPath) const;

    // The components of a Windows path after its drive ("." dropped, ".." applied).
    static QStringList components(const QString& windowsPath);
    // The entry of a host folder whose name equals `name` without regard to case: the exact
    // spelling when it exists, else the first match in name order, else "".
    static QString matchEntry(const QString& hostFolder, const QString& name);

private:
    WinePrefix m_prefix;
};

} // namespace kv::platform::posix
