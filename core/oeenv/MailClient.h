#pragma once

#include <QString>
#include <QStringList>

namespace kv::platform {
class IFileSystem;
class ISystem;
} // namespace kv::platform

namespace kv {
class AppSettings;
class RegistryAccess;
} // namespace kv

// Where the mail client keeps its data: which version is installed, its identities, the store
// folders and the user's documents folder.
namespace kv::MailClient {

// The mail DLL's class registration (under HKCR) and the clients entry (under HKLM).
inline constexpr char kMailDllClsidKey[] =
    "CLSID\\{06BE7323-EF34-11d1-ACD8-00C04FA31009}\\InprocServer32";
inline constexpr char kClientsMailKey[] = "SOFTWARE\\Clients\\Mail\\Outlook Express";
inline constexpr char kOe4Key[] = "Software\\Microsoft\\Outlook Express";
inline constexpr char kIdentitiesKey[] = "Identities";
inline constexpr char kIdentityStoreKey[] = "Software\\Microsoft\\Outlook Express\\5.0";
inline constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Which identity a start uses when there are several; stored as the "IdentOption" setting.
enum class IdentityOption
{
    Default = 2,
    Last = 3,
    Prompt = 4
};

enum class ClientVersion
{
    Missing,
    OE4,
    OE5
};

// The DLL path from the class registration, else from the clients entry; "" when neither.
QString mailDllPath(RegistryAccess& reg);
// OE5 when the path's file name is the version-5 DLL, OE4 for any other non-empty path.
ClientVersion versionOfDll(const QString& dllPath);

struct Oe4Store
{
    QString mailFolder; // with a trailing "\", or "" when absent
    QString newsFolder; // likewise
    int newsFlag = 0;   // the news folder's length; 0 means no news folder
    bool exists() const { return !mailFolder.isEmpty(); }
};
Oe4Store oe4StoreRoot(RegistryAccess& reg, platform::IFileSystem& files, platform::ISystem& system);

struct Identities
{
    QStringList ids;      // subkey names of "Identities", braces included, in store order
    QStringList names;    // "Username" of each, same positions
    int defaultIndex = 1; // 1-based
    int lastIndex = 1;
    int count() const { return int(ids.size()); }
    // The id list as the program has always held it: each id followed by the character 0.
    QString idList() const;
};
// Fills ids and names, then the default and last index.
Identities enumerateIdentities(RegistryAccess& reg);
// 1-based position of an id in the list (compared without regard to case), 0 when absent.
int indexOfId(const QStringList& ids, const QString& id);
// The "IdentOption" setting; anything that is not one of the options reads as Default.
IdentityOption identityOption(AppSettings& settings);
// The identity's "Store Root" as stored (not expanded); "" when missing.
QString identityStoreRoot(RegistryAccess& reg, const QString& identityId);

// Expands a first path component enclosed in "%" ("%USERPROFILE%\..."); later components are
// left as they are.
QString expandStoredPath(platform::ISystem& system, const QString& path);
// The text without any of \ / : * ? " < > | and full stop, so it can be part of a file name.
QString safeName(const QString& text);
// The "Personal" shell folder when that folder exists, else "".
QString myDocumentsFolder(RegistryAccess& reg, platform::IFileSystem& files);
QString windowsUserName(platform::ISystem& system);

} // namespace kv::MailClient
