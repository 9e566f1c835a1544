#include "RestoreSetup.h"

#include "oeenv/MailClient.h"
#include "oeenv/RegistryAccess.h"
#include "platform/Platform.h"
#include "shell/MainState.h"

namespace kv::cli {

namespace {

const QString kHive = QStringLiteral("HKCU");

// Kept as registered: the run expands it when it restores the address book there.
QString registeredAddressBook(const platform::Platform& platform)
{
    RegistryAccess reg(platform.registry, platform.files);
    QString path;
    reg.readString(kHive, QStringLiteral("Software\\Microsoft\\WAB\\WAB4\\WAB File Name"),
                   QString(), &path);
    return path;
}

QString registeredFavorites(platform::Platform& platform)
{
    RegistryAccess reg(platform.registry, platform.files);
    QString folder;
    reg.readString(kHive, QLatin1String(MailClient::kShellFoldersKey), QStringLiteral("Favorites"),
                   &folder);
    return folder;
}

} // namespace

RestoreContext restoreContextFor(platform::Platform& platform, const MainState& state,
                                 const QString& archivePath, int restoreType)
{
    RestoreContext c;
    c.restoreType = restoreType;
    c.oe5 = state.oe5Mode;
    c.oe4ImportMode = state.oe4ImportMode;
    c.ntFamily = platform.system.windowsVersion().isNt();
    c.archivePath = archivePath;
    c.storeFolder = state.env.storeFolder;
    if (!c.oe5) {
        c.oe4MailFolder = state.env.oe4.mailFolder;
        c.oe4NewsFolder = state.env.oe4.newsFolder;
    }
    c.currentWabPath = registeredAddressBook(platform);
    c.favoritesFolder = registeredFavorites(platform);
    RegistryAccess reg(platform.registry, platform.files);
    c.documentsFolder = MailClient::myDocumentsFolder(reg, platform.files);
    c.tempFolder = platform.system.tempPath();
    c.currentIdentityId = state.oe5Mode ? state.env.chosenId : QString();
    c.programFolder = state.programFolder;
    c.programTitle = state.programTitle;
    c.versionText = state.versionText;
    c.restoreLogPath = state.programFolder + u'\\' +
                       (state.oe5Mode ? state.env.chosenName + QStringLiteral(".LastRestore.log")
                                      : QStringLiteral("LastRestore.log"));
    return c;
}

ItemListReader::Options itemListOptionsFor(const platform::Platform& platform, bool oe5)
{
    ItemListReader::Options o;
    o.oe5 = oe5;
    o.addressBookRegistered = !registeredAddressBook(platform).isEmpty();
    o.ntFamily = platform.system.windowsVersion().isNt();
    return o;
}

} // namespace kv::cli
