#pragma once

#include "platform/posix/WineServerLock.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace kv::test {

// Holds a prefix's wineserver lock as a running server holds it, in the layout where the server
// folder lives in a temporary folder named by <prefix>/wineserver (the classic /tmp/.wine-<uid>
// layout is exercised by the start-up test on a prefix). The server's fcntl lock belongs to its
// own process; an open-file-description lock stands in for it, since a classic lock of this
// process would be dropped by any close() of the file in the process.
class FakeWineServer
{
public:
    explicit FakeWineServer(const QString& prefix)
    {
        QByteArray temp = "/tmp/kv-wine-XXXXXX";
        EXPECT_NE(::mkdtemp(temp.data()), nullptr);
        m_root = QString::fromLocal8Bit(temp);
        QFile named(prefix + QStringLiteral("/wineserver"));
        EXPECT_TRUE(named.open(QIODevice::WriteOnly) && named.write(temp.mid(5)) > 0);
        const QString dir = m_root + u'/' + platform::posix::WineServerLock::serverDirName(prefix);
        QDir().mkpath(dir);
        m_fd = ::open(QFile::encodeName(dir + QStringLiteral("/lock")).constData(),
                      O_CREAT | O_TRUNC | O_WRONLY, 0600);
        struct flock fl = {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_len = 1;
        EXPECT_EQ(::fcntl(m_fd, F_OFD_SETLK, &fl), 0);
    }
    ~FakeWineServer()
    {
        ::close(m_fd);
        QDir(m_root).removeRecursively();
    }

private:
    QString m_root;
    int m_fd = -1;
};

} // namespace kv::test
