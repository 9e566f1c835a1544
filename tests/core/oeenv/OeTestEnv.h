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

// A registry in memory and a drive C: in a scratch folder, with the mail client's keys.
struct OeTestEnv
{
    OeTestEnv()
    {
        system.setUserName("tester");
        system.setVariable("USERPROFILE", "C:\\users\\tester");
        system.setVariable("SYSTEMROOT", "C:\\windows");
        settings.setAppName("Korvane");
    }
    void setUser(const QString& key, const QString& name, const QString& value)
    {
        registry.setString(platform::Hive::CurrentUser, key, name, value);
    }
    void registerDll(const QString& path)
    {
        registry.setString(platform::Hive::ClassesRoot, MailClient::kMailDllClsidKey, {}, path);
    }
    void installOe5() { registerDll("C:\\windows\\system32\\msoe.dll"); }
    // An identity whose store root is stored as given and created (expanded) on drive C:.
    void addIdentity(const QString& id, const QString& name, const QString& storeRoot)
    {
        setUser("Identities\\" + id, "Username", name);
        if (storeRoot.isEmpty())
            return;
        setUser("Identities\\" + id + '\\' + MailClient::kIdentityStoreKey, "Store Root",
                storeRoot);
        files.makeSurePath(system.expandEnvironmentStrings(storeRoot) + u'\\');
    }
    void setIdentityDefaults(const QString& defaultId, const QString& lastId)
    {
        setUser("Identities", "Default User ID", defaultId);
        setUser("Identities", "Last User ID", lastId);
    }
    void setOe4Store(const QString& root, bool mail, bool news)
    {
        setUser(MailClient::kOe4Key, "Store Root", root);
        const QString host = system.expandEnvironmentStrings(root) + u'\\';
        if (mail)
            files.makeSurePath(host + "Mail\\");
        if (news)
            files.makeSurePath(host + "News\\");
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
