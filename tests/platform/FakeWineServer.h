#pragma once

#include "platform/posix/WineServerLock.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace kv::test {

// Holds a prefix's wineserver lock as a running server does, with an open-file-description lock
// (a classic fcntl lock of this process would go with any close() of the file in the process).
// `debianStyle`: the server folder is in a temporary folder named by <prefix>/wineserver, as
// Debian's Wine keeps it; otherwise in the classic /tmp/.wine-<uid>.
class FakeWineServer
{
public:
    explicit FakeWineServer(const QString& prefix, bool debianStyle = true) : m_debian(debianStyle)
    {
        QByteArray temp = "/tmp/kv-wine-XXXXXX";
        if (debianStyle) {
            EXPECT_NE(::mkdtemp(temp.data()), nullptr);
            QFile named(prefix + QStringLiteral("/wineserver"));
            EXPECT_TRUE(named.open(QIODevice::WriteOnly) && named.write(temp.mid(5)) > 0);
        }
        m_root = debianStyle ? QString::fromLocal8Bit(temp)
                             : QStringLiteral("/tmp/.wine-%1").arg(::getuid());
        m_dir = m_root + QLatin1Char('/') + platform::posix::WineServerLock::serverDirName(prefix);
        QDir().mkpath(m_dir);
        m_fd = ::open(QFile::encodeName(m_dir + QStringLiteral("/lock")).constData(),
                      O_CREAT | O_TRUNC | O_WRONLY, 0600);
        struct flock fl
        {
        };
        fl.l_type = F_WRLCK;
        fl.l_len = 1;
        EXPECT_EQ(::fcntl(m_fd, F_OFD_SETLK, &fl), 0);
    }
    ~FakeWineServer() { stop(); }
    void stop()
    {
        if (m_fd < 0)
            return;
        ::close(m_fd);
        m_fd = -1;
        QDir(m_dir).removeRecursively();
        m_debian ? void(QDir(m_root).removeRecursively()) : void(QDir().rmdir(m_root));
    }

private:
    bool m_debian;
    QString m_root;
    QString m_dir;
    int m_fd = -1;
};

} // namespace kv::test
