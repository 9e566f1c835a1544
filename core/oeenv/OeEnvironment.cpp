#include "oeenv/OeEnvironment.h"

#include "oeenv/OeEnvLog.h"
#include "oeenv/RegistryAccess.h"
#include "shell/AppSettings.h"
#include "shell/Strings.h"
#include "shell/Ui.h"

#include "platform/Platform.h"
#include "platform/WinPath.h"

namespace kv {

using namespace kv::platform;
using MailClient::ClientVersion;
using Outcome = OeEnvironmentResult::Outcome;

namespace {

void fail(OeEnvironmentResult& r, const QString& message)
{
    r.outcome = Outcome::Fatal;
    r.message = message;
    qCWarning(lcOeEnv) << "start-up check failed:" << message;
}

} // namespace

OeEnvironmentResult OeEnvironment::detect(Platform& platform, AppSettings& settings, Ui& ui,
                                          bool forceOe4, const QString& caption)
{
    OeEnvironmentResult r;
    RegistryAccess reg(platform.registry, platform.files);

    if (forceOe4) {
        r.mode = ClientVersion::OE4;
        r.oe4 = MailClient::oe4StoreRoot(reg, platform.files, platform.system);
        setUpOe4(r);
        if (!r.oe4.exists())
            r.outcome = Outcome::Oe4StoreMissing;
        return r;
    }

    const QString dll = MailClient::mailDllPath(reg);
    r.mode = MailClient::versionOfDll(dll);
    qCInfo(lcOeEnv) << "mail client DLL:" << dll;
    switch (r.mode) {
    case ClientVersion::Missing:
        r.oe4 = MailClient::oe4StoreRoot(reg, platform.files, platform.system);
        if (!r.oe4.exists()) {
            fail(r, Strings::get(StringId::ClientRequired) + Strings::kLineBreak +
                        Strings::get(StringId::InstallClient));
            return r;
        }
        r.mode = ClientVersion::OE4;
        setUpOe4(r);
        return r;
    case ClientVersion::OE4:
        r.oe4 = MailClient::oe4StoreRoot(reg, platform.files, platform.system);
        if (!r.oe4.exists()) {
            fail(r, Strings::get(StringId::NoOe4MailFolders));
            return r;
        }
        setUpOe4(r);
        return r;
    case ClientVersion::OE5:
        chooseOe5Identity(platform, settings, ui, caption, reg, r);
        return r;
    }
    return r;
}

void OeEnvironment::setUpOe4(OeEnvironmentResult& r)
{
    r.outcome = Outcome::Ready;
    r.storeFolder = r.oe4.mailFolder;
    r.settingsSection = QString::fromLatin1(kParmsSection);
    r.backupBaseName = QStringLiteral("KorvaneBackup");
    r.nameInfix = QStringLiteral(".");
}

void OeEnvironment::chooseOe5Identity(Platform& platform, AppSettings& settings, Ui& ui,
                                      const QString& caption, RegistryAccess& reg,
                                      OeEnvironmentResult& r)
{
    r.identities = MailClient::enumerateIdentities(reg);
    const int count = r.identities.count();
    if (count == 0) {
        fail(r, Strings::get(StringId::NoOe5Identities));
        return;
    }
    r.identityMenuEnabled = count > 1;
    if (count > 1)
        r.identityOption = MailClient::identityOption(settings);

    // A pending switch is consumed whether or not its identity still exists.
    const QString startAs = settings.get(Setting::StartAs, QString());
    settings.remove(Setting::StartAs, QString());

    if (!startAs.isEmpty()) {
        const int found = MailClient::indexOfId(r.identities.ids, startAs);
        r.chosenIndex = found > 0 ? found : 1;
    } else if (count == 1) {
        r.chosenIndex = 1;
    } else if (r.identityOption == MailClient::IdentityOption::Last) {
        r.chosenIndex = r.identities.lastIndex;
    } else if (r.identityOption == MailClient::IdentityOption::Prompt) {
        r.chosenIndex =
            chooseIdentity(ui, r.identities.names, r.identities.defaultIndex, false, caption);
    } else {
        r.chosenIndex = r.identities.defaultIndex;
    }

    r.chosenId = r.identities.ids.at(r.chosenIndex - 1);
    r.chosenName = MailClient::safeName(r.identities.names.at(r.chosenIndex - 1));
    if (count > 1)
        r.captionSuffix = QStringLiteral(" -- Identity: ") + r.chosenName;
    r.settingsSection = r.chosenId;
    r.backupBaseName = QStringLiteral("Korvane5Backup");
    r.nameInfix = QLatin1Char('.') + r.chosenName + QLatin1Char('.');

    const QString root = MailClient::expandStoredPath(
        platform.system, MailClient::identityStoreRoot(reg, r.chosenId));
    if (root.isEmpty()) {
        fail(r, Strings::get(StringId::NoOe5MailFolders));
        return;
    }
    r.storeFolder = winpath::withTrailingBackslash(root);
    r.outcome = Outcome::Ready;
    qCInfo(lcOeEnv) << "identity" << r.chosenIndex << "of" << count << r.chosenId << "store"
                    << r.storeFolder;
}

int OeEnvironment::chooseIdentity(Ui& ui, const QStringList& names, int currentIndex,
                                  bool offerCancel, const QString& caption)
{
    const int count = int(names.size());
    const int current = (currentIndex >= 1 && currentIndex <= count) ? currentIndex : 1;
    const int answer = ui.chooseIdentity(names, current, offerCancel, caption);
    if (answer >= 1 && answer <= count)
        return answer;
    if (offerCancel && answer < 0)
        return -current;
    qCWarning(lcOeEnv) << "identity chooser answered" << answer << "of" << count;
    return current;
}

bool OeEnvironment::switchIdentity(AppSettings& settings, Ui& ui, const MailClient::Identities& ids,
                                   int currentIndex, const QString& caption)
{
    const int chosen = chooseIdentity(ui, ids.names, currentIndex, true, caption);
    if (chosen < 0)
        return false;
    settings.save(Setting::StartAs, QString(), ids.ids.at(chosen - 1));
    return true;
}

} // namespace kv
