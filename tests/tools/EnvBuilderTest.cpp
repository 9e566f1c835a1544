// The environment generator beyond what the env command's end-to-end detection tests read.
#include "EnvBuilder.h"

#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"
#include "support/FakeRegistry.h"
#include "support/RequiredPrograms.h"
#include "support/TempDir.h"
#include "support/WineRunner.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace kv;
using kv::demo::EnvBuilder;
using Client = kv::demo::EnvBuilder::Client;
using kv::platform::Hive;

namespace {

struct Generated
{
    explicit Generated(Client client = Client::OE5, quint32 seed = 7)
        : builder(registry, dir.path(), {.client = client, .seed = seed, .userName = u"alice"_s}),
          ok(builder.build(&error))
    {
    }

    test::TempDir dir;
    test::FakeRegistry registry;
    QString error;
    EnvBuilder builder;
    bool ok;
};

TEST(EnvBuilder, StoresLieWhereTheRegistryNamesThem)
{
    Generated oe5, oe4(Client::OE4);
    ASSERT_TRUE(oe5.ok && oe4.ok) << oe5.error.toStdString() << oe4.error.toStdString();
    const auto& ids = oe5.builder.identities();
    ASSERT_EQ(ids.size(), 2);
    const QString accounts = u"\\Software\\Microsoft\\Internet Account Manager"_s;
    for (const QString& index :
         {oe5.builder.hostPath(ids[1].storeFolder + u"\\Folders.dbx"_s),
          oe4.builder.hostPath(oe4.builder.oe4StoreRoot() + u"\\Mail\\folders.nch"_s)})
        EXPECT_GT(QFileInfo(index).size(), 0) << index.toStdString();
    // The news account's data directory is the folder the store's newsgroups are in.
    const QString newsDir = oe4.registry.string(
        Hive::CurrentUser, accounts.mid(1) + u"\\Accounts\\00000002"_s, u"NNTP Data Directory"_s);
    EXPECT_FALSE(QDir(oe4.builder.hostPath(newsDir)).isEmpty()) << newsDir.toStdString();
}

// A generated prefix as Wine itself sees it.
TEST(EnvBuilderWine, WineAcceptsThePrefixAndReadsItsValues)
{
    KV_REQUIRE_PROGRAMS("wine", "wineserver");
    kv::test::TempDir dir;
    QString error;
    ASSERT_TRUE(EnvBuilder::prepareRegistryFiles(dir.path(), u"win64"_s, &error));
    kv::platform::posix::WineRegistry registry{kv::platform::posix::WinePrefix(dir.path())};
    registry.setWriteThrough(false);
    EnvBuilder builder(registry, dir.path(), EnvBuilder::Options());
    ASSERT_TRUE(builder.build(&error)) << error.toStdString();
    ASSERT_EQ(registry.flush(), 0);

    const kv::test::WineRunner wine(dir.path());
    const std::pair<QStringList, QString> cases[] = {
        {{"reg", "query", "HKCU\\Identities"}, builder.identities().front().id},
        {{"reg", "query", "HKCR\\CLSID\\{06BE7323-EF34-11d1-ACD8-00C04FA31009}\\InprocServer32"},
         u"MSOE.DLL"_s},
        // The store root is stored with %USERPROFILE%; Wine expands it to the folder we made.
        {{"cmd", "/c", "echo %USERPROFILE%"}, builder.profileFolder()},
    };
    for (const auto& [command, expected] : cases) {
        QByteArray output;
        wine.run(QStringList{u"wine"_s} + command, 300, &output);
        const QString out = QString::fromUtf8(output);
        EXPECT_TRUE(out.contains(expected)) << out.toStdString();
        EXPECT_FALSE(out.contains(QLatin1String("32-bit installation"))) << out.toStdString();
    }
}

} // namespace
