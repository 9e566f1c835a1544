#pragma once

#include <QString>

namespace kv {

// The program's string resources, named for what they say. The numbers are the resource ids
// the texts have always had; help pages and logs refer to them.
enum class StringId
{
    ItemsToSave = 111,
    TotalDataToSave = 112,
    EstimatedBackupSize = 113,
    SelectItemsToCopy = 114,
    SelectAll = 115,
    ClearAll = 116,
    ConfirmExit = 117,
    NoNchIndex = 118,
    SelectSaveLocation = 126,
    NotValidBackupDrive = 127,
    DiskettesRequired = 128,
    Saving = 134,
    FreeSpaceRequired = 136,
    BackupComplete = 137,
    BackupDiskFull = 138,
    BackupInternalError = 139,
    Of = 141,
    Items = 142,
    InsertBackupDisk = 143,
    SelectMakeBackup = 144,
    CannotCreateBackup = 145,
    InsertFirstDiskette = 146,
    ProgramTitle = 147,
    SavingLogAndFinalizing = 148,
    MakeBackup = 149,
    MustExitClient = 157,
    RestoreOrCopy = 164,
    SelectRestoreNow = 177,
    RestoreNow = 178,
    ViewHelpFirstTime = 187,
    DataAvailableToBackup = 193,
    MakeBackupRun = 194,
    DriveNotReady = 207,
    ClientRequired = 229,
    InstallClient = 230,
    QuickBackupNotPossible = 234,
    NoDbxIndex = 235,
    AddressBookLeftOut = 236,
    LoadingFolders = 237,
    FilesSkipped = 238,
    FilesSkippedCause = 239,
    NoOe4MailFolders = 243,
    NoOe5Identities = 244,
    NoOe5MailFolders = 245,
    SelectIdentity = 246,
    FileInUse = 254,
    FileInUseNotCopied = 255,
    DoNotShowAgain = 259,
    WabNotInUse = 262,
    WabChooseHelp = 263,
    PriorToBackupOrRestore = 264,
    RunAntiVirus = 265,
    PriorToBackup = 266,
    ScanningFavorites = 267,
    CheckingAddressBook = 268,
    ScanningRegistry = 270,
    StartInOe5Mode = 274,
    RemoveOe4Switch = 275,
    NoDocumentsFolder = 277,
    DocumentsFolderRequired = 278,
    SelectSynchNow = 287,
    SynchNow = 288,
    CheckingBackup = 298,
    BackupFailedValidation = 299,
    CompactFoldersHint = 300,
    RemovingOldBackups = 309,
    MultipleDisks = 314,
    ClearDiskettes = 315,
    RegistryCaution = 317,
    RegistryMoreInfo = 318,
    DamagedNchIndex = 10118,
    DamagedDbxIndex = 10235,
};

// The string table. Texts are kept exactly as the program has always shown them, odd
// spellings and trailing spaces included, because users and help pages quote them.
namespace Strings {

// The line break the program puts between the parts of a composed message.
inline constexpr char16_t kLineBreak = u'\n';

QString get(StringId id);

inline QString programTitle()
{
    return get(StringId::ProgramTitle);
}

} // namespace Strings
} // namespace kv
