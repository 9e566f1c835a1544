#include "util/ScratchFolder.h"

#include "util/FileOperation.h"
#include "util/UtilLog.h"

#include "platform/IFileSystem.h"
#include "platform/WinPath.h"

#include <QCoreApplication>

namespace kv {

ScratchFolder::ScratchFolder(platform::IFileSystem& files, QString stem)
    : m_files(files), m_stem(std::move(stem))
{
}

ScratchFolder::~ScratchFolder()
{
    if (m_path.isEmpty())
        return;
    FileOperation op(m_files);
    op.setSilentMode(true);
    op.setConfirmOperation(false);
    op.setIncludeDirectories(true);
    op.addSourceFile(winpath::removeTrailingBackslash(m_path));
    if (!op.deleteFiles())
        qCWarning(lcUtil).noquote() << "cannot remove the temporary folder" << m_path;
}

bool ScratchFolder::make(const QString& parent)
{
    if (parent.isEmpty())
        return false;
    const QString stem = m_stem + QStringLiteral("-%1-").arg(QCoreApplication::applicationPid());
    for (int n = 1; n < 1000; ++n) {
        const QString path = winpath::join(parent, stem + QString::number(n));
        platform::FileEntry entry;
        if (m_files.stat(path, &entry))
            continue;
        if (!m_files.createDirectory(path)) {
            qCWarning(lcUtil).noquote() << "cannot make the folder" << path;
            return false;
        }
        m_path = winpath::withTrailingBackslash(path);
        return true;
    }
    return false;
}

} // namespace kv
