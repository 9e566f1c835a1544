#pragma once

#include "oeenv/MailClient.h"
#include "shell/AppSettings.h"
#include "support/FakeProcesses.h"
#include "support/FakeRegistry.h"
#include "support/FakeSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include "platform/Platform.h"

namespace kv::test {

// A Windows environment in memory (registry) and in a scratch folder (drive C:), with the
// mail client's keys arranged by the helpers below.
struct OeTestEnv
{
    OeTestEnv()
    {
        system.setUserName(QStringLiteral("tester"));
        system.setVariable(QStringLiteral("USERPROFILE"), QStringLiteral("C:\\users\\tester"));
        system.setVariable(QStringLiteral("SYSTEMROOT"), QStringLiteral("C:\\windows"));
        settings.setAppName(QStringLiteral("Korvane"));
    }

    void registerDll(const QString& path)
    {
        registry.setString(platform::Hive::ClassesRoot, QLatin1String(MailClient::kMailDllClsidKey),
                           QString(), path);
    }
    void installOe5() { registerDll(QStringLiteral("C:\\windows\\system32\\msoe.dll")); }

    // An identity whose store root is stored as given and created (expanded) on drive C:.
    void addIdentity(const QString& id, const QString& name, const QString& storeRoot,
                     bool createFolder = true)
    {
        const QString key = QStringLiteral("Identities\\") + id;
        registry.setString(platform::Hive::CurrentUser, key, QStringLiteral("Username"), name);
        if (!storeRoot.isEmpty())
            registry.setString(platform::Hive::CurrentUser,
                               key + QLatin1Char('\\') +
                                   QLatin1String(MailClient::kIdentityStoreKey),
                               QStringLiteral("Store Root"), storeRoot);
        if (createFolder && !storeRoot.isEmpty())
            files.makeSurePath(system.expandEnvironmentStrings(storeRoot) + u'\\');
    }
    void setIdentityDefaults(const QString& defaultId, const QString& lastId)
    {
        if (!defaultId.isEmpty())
            registry.setString(platform::Hive::CurrentUser, QStringLiteral("Identities"),
                               QStringLiteral("Default User ID"), defaultId);
        if (!lastId.isEmpty())
            registry.setString(platform::Hive::CurrentUser, QStringLiteral("Identities"),
                               QStringLiteral("Last User ID"), lastId);
    }
    void setOe4Store(const QString& root, bool mail, bool news)
    {
        registry.setString(platform::Hive::CurrentUser, QLatin1String(MailClient::kOe4Key),
                           QStringLiteral("Store Root"), root);
        QString host = system.expandEnvironmentStrings(root);
        if (!host.endsWith(u'\\'))
            host += u'\\';
        if (mail)
            files.makeSurePath(host + QStringLiteral("Mail\\"));
        if (news)
            files.makeSurePath(host + QStringLiteral("News\\"));
    }

    TempDir dir;
    FakeRegistry registry;
    FaultInjectingFileSystem files{dir.path(), &registry};
    FakeSystem system;
    FakeProcesses processes;
    ScriptedUi ui;
    platform::Platform platform{registry, files, system, processes};
    AppSettings settings{registry};
};

} // namespace kv::test
