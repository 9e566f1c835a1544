#pragma once

#include "platform/posix/WineServerLock.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace kv::test {

// Holds a prefix's wineserver lock as a running server holds it. The server's classic fcntl
// lock belongs to its own process; here an open-file-description lock stands in for it, since a
// classic lock of this process would be dropped by any close() of the file in the process.
class FakeWineServer
{
public:
    // `debianStyle`: the server folder lives in a temporary folder named by <prefix>/wineserver,
    // as Debian's Wine keeps it; otherwise in the classic /tmp/.wine-<uid>.
    explicit FakeWineServer(const QString& prefix, bool debianStyle = true)
    {
        if (debianStyle) {
            QByteArray temp = "/tmp/kv-wine-XXXXXX";
            EXPECT_NE(::mkdtemp(temp.data()), nullptr);
            m_root = QString::fromLocal8Bit(temp);
            QFile named(prefix + QStringLiteral("/wineserver"));
            EXPECT_TRUE(named.open(QIODevice::WriteOnly));
            named.write(temp.mid(5));
        } else {
            m_root = QStringLiteral("/tmp/.wine-%1").arg(::getuid());
        }
        m_dir = m_root + QLatin1Char('/') + platform::posix::WineServerLock::serverDirName(prefix);
        QDir().mkpath(m_dir);
        m_fd = ::open(QFile::encodeName(m_dir + QStringLiteral("/lock")).constData(),
                      O_CREAT | O_TRUNC | O_WRONLY, 0600);
        EXPECT_GE(m_fd, 0);
        struct flock fl
        {
        };
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_len = 1;
        EXPECT_EQ(::fcntl(m_fd, F_OFD_SETLK, &fl), 0);
        m_debian = debianStyle;
    }
    ~FakeWineServer() { stop(); }
    void stop()
    {
        if (m_fd < 0)
            return;
        ::close(m_fd);
        m_fd = -1;
        QDir(m_dir).removeRecursively();
        if (m_debian)
            QDir(m_root).removeRecursively();
        else
            QDir().rmdir(m_root);
    }

private:
    QString m_root;
    QString m_dir;
    int m_fd = -1;
    bool m_debian = false;
};

} // namespace kv::test
