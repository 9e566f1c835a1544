#include "EnvBuilder.h"

#include "msgstore/DbxFile.h"
#include "msgstore/FoldersDbxReader.h"
#include "msgstore/FoldersNchReader.h"
#include "msgstore/MbxFile.h"
#include "oeenv/MailClient.h"
#include "oeenv/OeEnvironment.h"
#include "oeenv/RegistryAccess.h"
#include "shell/AppSettings.h"
#include "support/FakeProcesses.h"
#include "support/FakeRegistry.h"
#include "support/FakeSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include "platform/Platform.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kv;
using kv::platform::Hive;
using kv::tools::EnvBuilder;
using Outcome = OeEnvironmentResult::Outcome;

namespace {

EnvBuilder::Options withUser(EnvBuilder::Options options)
{
    options.userName = QStringLiteral("alice");
    return options;
}

// A generated environment seen through the program's own detection.
struct Generated
{
    explicit Generated(EnvBuilder::Options options)
        : builder(registry, dir.path(), withUser(std::move(options)))
    {
        ok = builder.build(&error);
        files.mapDrive(u'C', dir.file(QStringLiteral("drive_c")));
        system.setUserName(builder.userName());
        system.setVariable(QStringLiteral("USERPROFILE"), builder.profileFolder());
        settings.setAppName(QStringLiteral("Korvane"));
    }
    OeEnvironmentResult detect()
    {
        return OeEnvironment::detect(platform, settings, ui, false, QStringLiteral("Korvane 2000"));
    }
    QString hkcu(const QString& key, const QString& name)
    {
        return registry.string(Hive::CurrentUser, key, name);
    }

    test::TempDir dir;
    test::FakeRegistry registry;
    EnvBuilder builder;
    bool ok = false;
    QString error;
    test::FaultInjectingFileSystem files;
    test::FakeSystem system;
    test::FakeProcesses processes;
    test::ScriptedUi ui;
    platform::Platform platform{registry, files, system, processes};
    AppSettings settings{registry};
};

EnvBuilder::Options oe5(int identities, quint32 seed = 7)
{
    EnvBuilder::Options o;
    o.identities = identities;
    o.seed = seed;
    return o;
}

TEST(EnvBuilder, VersionFiveIdentitiesAreFoundByDetection)
{
    Generated env(oe5(3));
    ASSERT_TRUE(env.ok) << env.error.toStdString();
    ASSERT_EQ(env.builder.identities().size(), 3);
    const OeEnvironmentResult r = env.detect();
    ASSERT_EQ(r.outcome, Outcome::Ready) << r.message.toStdString();
    EXPECT_TRUE(r.isOe5());
    EXPECT_EQ(r.identityCount(), 3);
    // In the order of their keys, which the registry sorts by identity id.
    EXPECT_EQ(r.identities.names, (QStringList{"Work", "Family", "Main Identity"}));
    EXPECT_EQ(r.chosenId, env.builder.identities().front().id); // the default identity
    EXPECT_EQ(r.identities.names.value(r.identities.lastIndex - 1), QStringLiteral("Family"));
    EXPECT_EQ(r.storeFolder, env.builder.identities().front().storeFolder + QLatin1Char('\\'));
    EXPECT_TRUE(QFileInfo(env.files.toHostPath(r.storeFolder)).isDir());
    EXPECT_EQ(env.hkcu(QStringLiteral("Identities\\") + r.chosenId +
                           QStringLiteral("\\Software\\Microsoft\\Outlook Express\\5.0"),
                       QStringLiteral("Store Root")),
              env.builder.identities().front().storeRoot);
    EXPECT_TRUE(
        env.builder.identities().front().storeRoot.startsWith(QLatin1String("%USERPROFILE%\\")));
}

TEST(EnvBuilder, SettingsGroupsAddressBookAndFavoritesArePresent)
{
    Generated env(oe5(2));
    ASSERT_TRUE(env.ok) << env.error.toStdString();
    for (const auto& identity : env.builder.identities()) {
        const QString oe = QStringLiteral("Identities\\") + identity.id +
                           QStringLiteral("\\Software\\Microsoft\\Outlook Express\\5.0\\");
        for (const char* group : {"Rules", "Mail", "Signatures", "Block Senders"})
            EXPECT_EQ(env.registry.openKey(Hive::CurrentUser, oe + QLatin1String(group)), 0)
                << group;
        EXPECT_EQ(env.registry.openKey(
                      Hive::CurrentUser,
                      QStringLiteral("Identities\\") + identity.id +
                          QStringLiteral("\\Software\\Microsoft\\Internet Account Manager")),
                  0);
    }
    // One identity keeps its own default account, the other relies on the shared accounts.
    const QString accounts = QStringLiteral("\\Software\\Microsoft\\Internet Account Manager");
    EXPECT_EQ(env.hkcu(QStringLiteral("Identities\\") + env.builder.identities()[0].id + accounts,
                       QStringLiteral("Default Mail Account")),
              QStringLiteral("00000001"));
    EXPECT_EQ(env.hkcu(QStringLiteral("Identities\\") + env.builder.identities()[1].id + accounts,
                       QStringLiteral("Default Mail Account")),
              QString());
    EXPECT_FALSE(env.hkcu(QStringLiteral(
                              "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000002"),
                          QStringLiteral("NNTP Data Directory"))
                     .isEmpty());
    EXPECT_EQ(env.registry.openKey(Hive::CurrentUser, QStringLiteral("RemoteAccess")), 0);
    EXPECT_TRUE(env.hkcu(QStringLiteral("Software\\Microsoft\\WAB\\WAB4\\Wab File Name"), QString())
                    .endsWith(QLatin1String("\\alice.wab")));
    EXPECT_EQ(env.hkcu(QStringLiteral("Software\\Wine"), QStringLiteral("Version")),
              QStringLiteral("win98"));
    EXPECT_EQ(env.registry.string(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                                  QStringLiteral("a:")),
              QStringLiteral("floppy"));

    RegistryAccess reg(env.registry, env.files);
    EXPECT_EQ(MailClient::myDocumentsFolder(reg, env.files),
              QStringLiteral("C:\\users\\alice\\Documents"));
    const auto favorites = env.files.find(QStringLiteral("C:\\users\\alice\\Favorites\\*.url"));
    ASSERT_FALSE(favorites.isEmpty());
    EXPECT_TRUE(
        env.files.readFile(QStringLiteral("C:\\users\\alice\\Favorites\\") + favorites.front().name)
            .startsWith("[InternetShortcut]\r\nURL=http://"));
    EXPECT_EQ(QFileInfo(env.dir.file(QStringLiteral("dosdevices/c:"))).symLinkTarget(),
              QFileInfo(env.dir.file(QStringLiteral("drive_c"))).absoluteFilePath());
    EXPECT_TRUE(QFileInfo(env.dir.file(QStringLiteral("dosdevices/a:"))).isDir());
}

TEST(EnvBuilder, VersionFourAndNoClient)
{
    EnvBuilder::Options o4;
    o4.client = EnvBuilder::Client::OE4;
    Generated old(o4);
    ASSERT_TRUE(old.ok) << old.error.toStdString();
    OeEnvironmentResult r = old.detect();
    ASSERT_EQ(r.outcome, Outcome::Ready) << r.message.toStdString();
    EXPECT_EQ(r.mode, MailClient::ClientVersion::OE4);
    EXPECT_EQ(r.storeFolder, old.builder.oe4StoreRoot() + QStringLiteral("\\Mail\\"));
    EXPECT_GT(r.oe4.newsFlag, 0);
    EXPECT_EQ(r.settingsSection, QStringLiteral("Parms"));
    EXPECT_EQ(old.registry.openKey(
                  Hive::CurrentUser,
                  QStringLiteral("Software\\Microsoft\\Outlook Express\\Mail\\Inbox Rules")),
              0);

    EnvBuilder::Options none;
    none.client = EnvBuilder::Client::None;
    Generated bare(none);
    ASSERT_TRUE(bare.ok);
    r = bare.detect();
    EXPECT_EQ(r.outcome, Outcome::Fatal);
    EXPECT_TRUE(r.message.startsWith(QLatin1String("This program requires Outlook Express ")));
}

TEST(EnvBuilder, TheSeedDecidesIdsAndValues)
{
    Generated a(oe5(2, 11));
    Generated b(oe5(2, 11));
    Generated c(oe5(2, 12));
    ASSERT_TRUE(a.ok && b.ok && c.ok);
    EXPECT_EQ(a.builder.identities()[1].id, b.builder.identities()[1].id);
    EXPECT_NE(a.builder.identities()[1].id, c.builder.identities()[1].id);
    EXPECT_NE(a.builder.identities()[0].id, a.builder.identities()[1].id);
}

TEST(EnvBuilder, RegistryFailureIsReported)
{
    test::TempDir dir;
    test::FakeRegistry registry;
    registry.setReadOnly(true);
    EnvBuilder builder(registry, dir.path(), oe5(1));
    QString error;
    EXPECT_FALSE(builder.build(&error));
    EXPECT_TRUE(error.contains(QLatin1String("error 5"))) << error.toStdString();
}

} // namespace

TEST(EnvBuilder, StoresHoldMessageFilesTheReadersOpen)
{
    Generated env(oe5(2));
    ASSERT_TRUE(env.ok) << env.error.toStdString();
    for (const EnvBuilder::Identity& identity : env.builder.identities()) {
        const QString store = env.files.toHostPath(identity.storeFolder);
        msgstore::FoldersDbxReader index;
        ASSERT_TRUE(index.read(store + QStringLiteral("/Folders.dbx")))
            << index.lastError().toStdString();
        int files = 0, messages = 0;
        for (const msgstore::DbxFolderRecord& folder : index.folders()) {
            if (folder.fileName.isEmpty())
                continue;
            msgstore::DbxFile dbx;
            ASSERT_TRUE(dbx.FileOpen(store + QLatin1Char('/') + folder.fileName))
                << folder.fileName.toStdString();
            messages += dbx.MessageCount();
            ++files;
        }
        EXPECT_GE(files, 5) << identity.name.toStdString();
        EXPECT_GT(messages, 0) << identity.name.toStdString();
    }

    Generated oe4([] {
        EnvBuilder::Options o;
        o.client = EnvBuilder::Client::OE4;
        return o;
    }());
    ASSERT_TRUE(oe4.ok) << oe4.error.toStdString();
    const QString mail =
        oe4.files.toHostPath(oe4.builder.oe4StoreRoot() + QStringLiteral("\\Mail"));
    msgstore::FoldersNchReader nch;
    ASSERT_TRUE(nch.read(mail + QStringLiteral("/folders.nch"))) << nch.lastError().toStdString();
    const QStringList mbx = QDir(mail).entryList({QStringLiteral("*.mbx")});
    ASSERT_FALSE(mbx.isEmpty());
    for (const QString& name : mbx) {
        msgstore::MbxFile file;
        EXPECT_TRUE(file.FileOpen(mail + QLatin1Char('/') + name)) << name.toStdString();
    }
    // The news account's data directory is the folder the store's newsgroups are in.
    const QString newsDir = oe4.hkcu(
        QStringLiteral("Software\\Microsoft\\Internet Account Manager\\Accounts\\00000002"),
        QStringLiteral("NNTP Data Directory"));
    EXPECT_TRUE(QFileInfo(oe4.files.toHostPath(newsDir)).isDir()) << newsDir.toStdString();
    EXPECT_FALSE(QDir(oe4.files.toHostPath(newsDir)).isEmpty());
}
