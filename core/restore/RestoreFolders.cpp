#include "restore/RestoreFolders.h"

#include "backup/RunLog.h"
#include "platform/IFileSystem.h"
#include "platform/WinPath.h"
#include "restore/RestoreLog.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "util/FileOperation.h"

namespace kv {

namespace {

// Counters run "_001" to "_999"; past that something is wrong with the folder, not the count.
constexpr int kMaxCounter = 999;

QString counted(const QString& name, int counter)
{
    return QStringLiteral("%1_%2").arg(name).arg(counter, 3, 10, QLatin1Char('0'));
}

} // namespace

RestoreFolders::RestoreFolders(platform::IFileSystem& files, Ui& ui, RunLog* log)
    : m_files(files), m_ui(ui), m_log(log)
{
}

bool RestoreFolders::moveAsideFolder(const QString& folder)
{
    const QString name = winpath::removeTrailingBackslash(folder);
    platform::FileEntry entry;
    if (!m_files.stat(name, &entry)) {
        // Nothing to keep; the restore still needs the folder to write into.
        if (m_files.makeSurePath(name + u'\\'))
            return true;
        report(QStringLiteral("Unable to create the folder %1").arg(name));
        return false;
    }
    int counter = 1;
    while (counter <= kMaxCounter && taken(counted(name, counter)))
        ++counter;
    if (counter > kMaxCounter) {
        report(
            QStringLiteral("Unable to save the prior data in %1: no free name for it").arg(name));
        return false;
    }
    const QString candidate = counted(name, counter);
    if (!m_files.moveFile(name, candidate)) {
        report(QStringLiteral("Unable to save the prior data in %1 as %2 (error %3)")
                   .arg(name, candidate)
                   .arg(m_files.lastError()));
        return false;
    }
    if (!m_files.createDirectory(name)) {
        const platform::WinError error = m_files.lastError();
        // Without the empty folder the restore has nowhere to write, and the user's data must
        // not be left under a name they do not know: put it back.
        const bool back = m_files.moveFile(candidate, name);
        report(QStringLiteral("Unable to recreate the folder %1 (error %2); %3")
                   .arg(name)
                   .arg(error)
                   .arg(back ? QStringLiteral("its prior data was left in place")
                             : QStringLiteral("its prior data remains in %1").arg(candidate)));
        return false;
    }
    logSavedIn(name, candidate);
    logLines({QString()});
    return true;
}

QString RestoreFolders::makeSafetyCopyFolder(const QString& base, const QDate& today)
{
    const QString name = winpath::removeTrailingBackslash(base) + QStringLiteral("\\backup") +
                         today.toString(QStringLiteral("yyyy-MM-dd"));
    QString folder = name;
    for (int counter = 1; taken(folder); ++counter) {
        if (counter > kMaxCounter) {
            report(QStringLiteral("Unable to create a backup folder in %1: no free name for it")
                       .arg(base));
            return {};
        }
        folder = counted(name, counter);
    }
    if (!m_files.createDirectory(folder)) {
        report(QStringLiteral("Unable to create the backup folder %1 (error %2)")
                   .arg(folder)
                   .arg(m_files.lastError()));
        return {};
    }
    return folder + u'\\';
}

SafetyCopyResult RestoreFolders::offerSafetyCopy(const QString& storeFolder, const QDate& today)
{
    const QString question = QStringLiteral("Do you wish to make a backup copy of your ") +
                             Strings::kLineBreak +
                             QStringLiteral("existing message folders prior to restoring?");
    const MsgResult answer =
        m_ui.messageBox(question, MsgButtons::YesNoCancel, MsgIcon::None, Strings::programTitle());
    if (answer == MsgResult::Cancel)
        return SafetyCopyResult::Cancelled;
    if (answer != MsgResult::Yes) {
        logLines({QStringLiteral("A backup copy of mail folders was NOT made"), QString()});
        return SafetyCopyResult::Declined;
    }
    const QString folder = makeSafetyCopyFolder(storeFolder, today);
    if (folder.isEmpty()) {
        logLines({QString()});
        return SafetyCopyResult::Failed;
    }
    FileOperation copy(m_files);
    copy.setSilentMode(true);
    copy.setConfirmOperation(false);
    copy.setConfirmMakeDir(false);
    copy.setIncludeDirectories(false);
    copy.addSourceFile(winpath::join(storeFolder, QStringLiteral("*.dbx")));
    copy.addDestFile(folder);
    if (!copy.copyFiles()) {
        // A partial copy is no copy: the restore stops before it replaces anything.
        report(QStringLiteral("The backup copy of your message folders could not be made in "
                              "%1: %2. Nothing more will be restored.")
                   .arg(folder, copy.lastErrorText()));
        logLines({QString()});
        return SafetyCopyResult::Failed;
    }
    logSavedIn(storeFolder, folder);
    logLines({QString()});
    return SafetyCopyResult::Made;
}

bool RestoreFolders::taken(const QString& path)
{
    // A file of the name blocks the rename as surely as a folder does.
    platform::FileEntry entry;
    return m_files.stat(path, &entry);
}

void RestoreFolders::logLines(const QStringList& lines)
{
    if (m_log && m_log->isOpen())
        m_log->write(lines);
}

void RestoreFolders::logSavedIn(const QString& prior, const QString& savedIn)
{
    const QString sixBlanks(6, u' ');
    logLines({QStringLiteral("Prior data in:"), prior + sixBlanks, QStringLiteral(" was saved in:"),
              savedIn + sixBlanks});
}

void RestoreFolders::report(const QString& message)
{
    qCWarning(lcRestore) << message;
    logLines({message});
    m_ui.messageBox(message, MsgButtons::Ok, MsgIcon::Information, Strings::programTitle());
}

} // namespace kv
