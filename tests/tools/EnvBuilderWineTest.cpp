// A generated prefix as Wine itself sees it; runs only where Wine is installed.
#include "EnvBuilder.h"

#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using kv::tools::EnvBuilder;

namespace {

class EnvBuilderWine : public testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
            GTEST_SKIP() << "Wine is not installed";
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("WINEPREFIX"), dir.path());
        m_env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        m_env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    }

    void TearDown() override
    {
        if (m_env.isEmpty())
            return;
        run({QStringLiteral("wineserver"), QStringLiteral("-k")});
        run({QStringLiteral("wineserver"), QStringLiteral("-w")});
        // Debian's Wine leaves its server folder in /tmp, named in the prefix.
        const QByteArray named =
            kv::test::readFile(dir.file(QStringLiteral("wineserver"))).trimmed();
        if (!named.isEmpty() && !named.contains('/'))
            QDir(QStringLiteral("/tmp/") + QString::fromLocal8Bit(named)).removeRecursively();
    }

    QString run(const QStringList& command)
    {
        QProcess p;
        p.setProcessEnvironment(m_env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(command.first(), command.mid(1));
        if (!p.waitForFinished(300000)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << command.join(u' ').toStdString() << " did not finish";
        }
        return QString::fromUtf8(p.readAll());
    }

    kv::test::TempDir dir;
    QProcessEnvironment m_env;
};

TEST_F(EnvBuilderWine, WineAcceptsThePrefixAndReadsItsValues)
{
    QString error;
    ASSERT_TRUE(EnvBuilder::prepareRegistryFiles(dir.path(), QStringLiteral("win64"), &error));
    std::unique_ptr<EnvBuilder> builder;
    {
        kv::platform::posix::WineRegistry registry{kv::platform::posix::WinePrefix(dir.path())};
        registry.setWriteThrough(false);
        builder = std::make_unique<EnvBuilder>(registry, dir.path(), EnvBuilder::Options());
        ASSERT_TRUE(builder->build(&error)) << error.toStdString();
    }

    const QString identities = run({QStringLiteral("wine"), QStringLiteral("reg"),
                                    QStringLiteral("query"), QStringLiteral("HKCU\\Identities")});
    EXPECT_TRUE(identities.contains(builder->identities().front().id)) << identities.toStdString();
    EXPECT_FALSE(identities.contains(QLatin1String("32-bit installation")));

    const QString dll = run({QStringLiteral("wine"), QStringLiteral("reg"), QStringLiteral("query"),
                             QStringLiteral("HKCR\\CLSID\\{06BE7323-EF34-11d1-ACD8-00C04FA31009}"
                                            "\\InprocServer32")});
    EXPECT_TRUE(dll.contains(QLatin1String("MSOE.DLL"))) << dll.toStdString();

    // The store root is stored with %USERPROFILE%; Wine must expand it to the folder we made.
    const QString profile = run({QStringLiteral("wine"), QStringLiteral("cmd"),
                                 QStringLiteral("/c"), QStringLiteral("echo %USERPROFILE%")});
    EXPECT_TRUE(profile.contains(builder->profileFolder())) << profile.toStdString();
}

} // namespace
