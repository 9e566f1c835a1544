#include "shell/Strings.h"

#include "shell/ShellLog.h"

#include <algorithm>
#include <iterator>

namespace kv::Strings {

namespace {

struct Entry
{
    StringId id;
    const char* text;
};

// Sorted by id. Later parts of the program add their texts here.
constexpr Entry kTable[] = {
    {StringId::ItemsToSave, "Items to Save:"},
    {StringId::TotalDataToSave, "Total Data to Save:"},
    {StringId::EstimatedBackupSize, "Estimated Backup Size:"},
    {StringId::SelectItemsToCopy, "Click on the Check box to select items to copy to the backup."},
    {StringId::SelectAll, "&Select All"},
    {StringId::ClearAll, "&Clear All"},
    {StringId::ConfirmExit, "Are you sure you wish to exit?"},
    {StringId::NoNchIndex, "Unable to find Index File (\"folders.nch\")"},
    {StringId::SelectSaveLocation, "Select Location to save backup"},
    {StringId::NotValidBackupDrive, "- is not a valid drive for a backup"},
    {StringId::DiskettesRequired, "Estimated diskettes required = "},
    {StringId::Saving, "Saving: "},
    {StringId::FreeSpaceRequired, "You require estimated free space of:"},
    {StringId::BackupComplete, "Backup is complete"},
    {StringId::BackupDiskFull, "Backup failed - Disk is full"},
    {StringId::BackupInternalError, "Backup Failed - internal error "},
    {StringId::Of, " of "},
    {StringId::Items, " Items"},
    {StringId::InsertBackupDisk, "Please insert a Disk for backup disk # "},
    {StringId::SelectMakeBackup,
     "Select \"Make Backup\" to compress and backup your email folders"},
    {StringId::CannotCreateBackup, "Unable to create output file - device not ready or disk error"},
    {StringId::InsertFirstDiskette, "Insert first diskette for the Backup"},
    {StringId::ProgramTitle, "Korvane 2000"},
    {StringId::SavingLogAndFinalizing, "Saving Backup Log & Finalizing Backup"},
    {StringId::MakeBackup, "Make &Backup"},
    {StringId::MustExitClient, "You MUST exit Outlook Express and the Address Book"},
    {StringId::RestoreOrCopy, "&Restore or Copy Folders"},
    {StringId::SelectRestoreNow, "Select \"Restore Now\" to begin the Restore"},
    {StringId::RestoreNow, "&Restore Now"},
    {StringId::ViewHelpFirstTime,
     "Do you wish to view the Help File before using Korvane the first time"},
    {StringId::DataAvailableToBackup, "Data Available to Backup"},
    {StringId::MakeBackupRun, "Make &Backup"},
    {StringId::DriveNotReady, "The drive is not ready or the folder does not exist"},
    {StringId::ClientRequired, "This program requires Outlook Express "},
    {StringId::InstallClient, "Please install Outlook Express before running."},
    {StringId::QuickBackupNotPossible, "Fast Backup Not possible at this time"},
    {StringId::NoDbxIndex, "Unable to find Index File (\"folders.dbx\")"},
    {StringId::AddressBookLeftOut, "WARNING! - You have not included the Windows Address Book."},
    {StringId::LoadingFolders, "Loading Outlook Express Folders"},
    {StringId::FilesSkipped, "WARNING - One or more files were skipped and are NOT in the backup."},
    {StringId::FilesSkippedCause,
     "Files are skipped if they are in use - please close files before making an backup."},
    {StringId::NoOe4MailFolders, "Unable to locate Outlook Express 4 Mail Folders"},
    {StringId::NoOe5Identities, "Unable to locate Outlook Express 5 Identity Information"},
    {StringId::NoOe5MailFolders,
     "Unable to locate Outlook Express 5 Mail Folders for default identity"},
    {StringId::SelectIdentity, "Select Identity to use for this Backup or Restore "},
    {StringId::FileInUse, "ERROR - the file below is in use by another application:"},
    {StringId::FileInUseNotCopied, "Files in use can not be copied to the backup file."},
    {StringId::DoNotShowAgain, "&Do not show this again"},
    {StringId::WabNotInUse,
     "CAUTION - your WAB file is NOT currently the Address Book in use by Outlook Express."},
    {StringId::WabChooseHelp, "Choose \"Help\" for more information."},
    {StringId::PriorToBackupOrRestore, "prior to doing a Backup or Restore"},
    {StringId::RunAntiVirus, "It is a good idea to run your Anti Virus Software"},
    {StringId::PriorToBackup, "prior to making a backup of your email folders."},
    {StringId::ScanningFavorites, "Scanning IE Favorites"},
    {StringId::CheckingAddressBook, "Checking Address Book"},
    {StringId::ScanningRegistry, "Scanning Registry Data"},
    {StringId::StartInOe5Mode, "To start Korvane in OE5 mode -"},
    {StringId::RemoveOe4Switch,
     "Remove the \"\\4\" from the shortcut or use the standard shortcut"},
    {StringId::NoDocumentsFolder, "Unable to find the \"My Documents\" or \"Personal\" folder:"},
    {StringId::DocumentsFolderRequired, "This folder is required for a restore of this type"},
    {StringId::SelectSynchNow, "Select \"Synch Now\" to check the messages"},
    {StringId::SynchNow, "&Synch Now"},
    {StringId::CheckingBackup, "Checking Backup File"},
    {StringId::BackupFailedValidation,
     "Backup failed validation - One or more files will not extract properly"},
    {StringId::CompactFoldersHint,
     "Compacting all OE folders prior to the backup may cure the problem"},
    {StringId::RemovingOldBackups, "Removing old backup files"},
    {StringId::MultipleDisks, "You may require multiple disks"},
    {StringId::ClearDiskettes, "&Clear the diskettes before the backup is written"},
    {StringId::RegistryCaution, "Caution - Data will be updated in your system registry"},
    {StringId::RegistryMoreInfo, "Would you like additional Information on this update?"},
    {StringId::DamagedNchIndex, "The Index File (\"folders.nch\") is damaged and cannot be read"},
    {StringId::DamagedDbxIndex, "The Index File (\"folders.dbx\") is damaged and cannot be read"},
};

const Entry* find(StringId id)
{
    const Entry* end = std::end(kTable);
    const Entry* it = std::lower_bound(std::begin(kTable), end, id,
                                       [](const Entry& e, StringId n) { return e.id < n; });
    return (it != end && it->id == id) ? it : nullptr;
}

} // namespace

QString get(StringId id)
{
    if (const Entry* e = find(id))
        return QString::fromLatin1(e->text);
    qCWarning(lcShell) << "no resource string" << int(id);
    return QString();
}

} // namespace kv::Strings
