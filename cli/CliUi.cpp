#include "CliUi.h"

namespace kv::cli {

MsgResult CliUi::messageBox(const QString& text, MsgButtons buttons, MsgIcon, const QString&)
{
    m_err << text << "\n";
    m_err.flush();
    return backOutResult(buttons);
}

int CliUi::chooseIdentity(const QStringList& names, int currentIndex, bool, const QString&)
{
    if (currentIndex >= 1 && currentIndex <= names.size())
        m_err << "identity chooser: keeping " << names.at(currentIndex - 1) << "\n";
    m_err.flush();
    return currentIndex;
}

GenMessageAnswer CliUi::genMessage(const GenMessage& message)
{
    m_err << message.text << "\n";
    m_err.flush();
    return {};
}

std::optional<OptionsAnswer> CliUi::getOptions(const OptionsRequest&)
{
    return std::nullopt;
}

void CliUi::showAbout(const QString& programName, const QString& version)
{
    m_err << programName << " " << version << "\n";
    m_err.flush();
}

void CliUi::showHelpTopic(const QString& helpFile, int topic)
{
    m_err << "help: " << helpFile << " topic " << topic << "\n";
    m_err.flush();
}

void CliUi::showHelpContents(const QString& helpFile)
{
    m_err << "help: " << helpFile << "\n";
    m_err.flush();
}

Oe4ImportChoice CliUi::chooseOe4Import()
{
    m_err << "the version-4 import is not offered on the command line\n";
    m_err.flush();
    return Oe4ImportChoice::Cancel;
}

QuickBackupAnswer CliUi::confirmQuickBackup(bool)
{
    return QuickBackupAnswer::Cancel;
}

// Nobody can browse on the command line: the folder comes from the options.
QString CliUi::chooseFolder(const QString& title, const QString&)
{
    m_err << title << ": no folder browser on the command line\n";
    m_err.flush();
    return QString();
}

// The command line names the archive, the rows and the address book's place in its options;
// these dialogs are never reached through it, and refuse when they are.
BackupFileAnswer CliUi::chooseBackupFile(const BackupFileRequest&)
{
    m_err << "no backup-file dialog on the command line\n";
    m_err.flush();
    return {};
}

int CliUi::chooseRestoreFolder(TreeListModel&)
{
    return -1;
}

WabRestoreTarget CliUi::chooseWabRestore(const QString&)
{
    return WabRestoreTarget::NormalLocation;
}

RunProgress* CliUi::openQuickBackupWindow(std::function<void()>)
{
    return nullptr;
}

// Nobody can browse on the command line: the file comes from the options.
QString CliUi::chooseSaveFile(const QString& title, const QString&, const QString&)
{
    m_err << title << ": no file dialog on the command line\n";
    m_err.flush();
    return QString();
}

} // namespace kv::cli
