#include "DbxBuilder.h"
#include "msgstore/DbxFile.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>

#include <string>
#include <vector>

#include <gtest/gtest.h>

using kv::msgstore::DbxFile;
using kv::test::DbxBuilder;
using kv::test::sampleMessage;
using kv::test::TempDir;

namespace {

std::string md5(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toStdString();
}

// The digests of the messages the independent extractor writes (its "deleted" folder aside).
std::vector<std::string> undbxDigests(const QString& dbx, const QString& outDir)
{
    QProcess p;
    p.start(QStringLiteral("undbx"),
            {QStringLiteral("-s"), QStringLiteral("-v"), QStringLiteral("0"), dbx, outDir});
    EXPECT_TRUE(p.waitForFinished(60000));
    std::vector<std::string> out;
    QDirIterator it(outDir, {QStringLiteral("*.eml")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        if (!f.contains(QLatin1String("/deleted/")))
            out.push_back(md5(kv::test::readFile(f)));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> ourDigests(const QString& dbx)
{
    DbxFile reader;
    EXPECT_TRUE(reader.FileOpen(dbx));
    std::vector<std::string> out;
    for (qint32 n = 1; n <= reader.MessageCount(); ++n)
        out.push_back(md5(reader.FullMessage(n)));
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(UndbxCrossCheck, SameMessageBytesAsTheIndependentExtractor)
{
    if (QStandardPaths::findExecutable(QStringLiteral("undbx")).isEmpty())
        GTEST_SKIP() << "undbx is not installed";
    TempDir dir;
    QStringList files;
    for (const char* s : {"iped_test_OutlookDBX.dbx", "mtdbx_t_test.dbx", "mtdbx_t_test1.dbx",
                          "dzw_Inbox.dbx", "dzw_Outbox.dbx"})
        files << kv::test::copySample(dir, QStringLiteral("dbx/") + QLatin1String(s));

    // A generated folder with a two-level tree, several-block messages and both ways of storing
    // the first block's offset, entry counts kept right for the extractor.
    DbxBuilder b;
    QList<quint32> obj;
    for (int i = 1; i <= 7; ++i)
        obj.append(b.addMessage(sampleMessage(i, 300 * i), i % 2 == 0));
    const quint32 c0 = b.addNode({{obj[2], 0, 0}, {obj[3], 0, 0}});
    const quint32 c1 = b.addNode({{obj[4], 0, 0}, {obj[5], 0, 0}, {obj[6], 0, 0}});
    b.setRoot(b.addNode({{obj[0], c0, 2}, {obj[1], c1, 3}}));
    b.setCount(7);
    files << dir.write(QStringLiteral("generated.dbx"), b.bytes());

    int total = 0;
    for (const QString& f : files) {
        SCOPED_TRACE(f.toStdString());
        const std::vector<std::string> ours = ourDigests(f);
        EXPECT_EQ(ours,
                  undbxDigests(f, dir.file(QStringLiteral("undbx-") + QFileInfo(f).baseName())));
        total += int(ours.size());
    }
    EXPECT_EQ(total, 28 + 1 + 1 + 1 + 0 + 7);
}
