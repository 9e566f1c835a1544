// Whole backups of generated environments against reference files (KV_UPDATE_GOLDEN=1 rewrites).
#include "BackupFixture.h"

#include "backup/RunLog.h"
#include "support/RequiredPrograms.h"

#include "../zip/ZipFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kv::test {
namespace {

void expectGolden(const QString& scenario, const QString& name, const QStringList& lines)
{
    const QString path = QStringLiteral(KV_BACKUP_GOLDEN_DIR "/") + scenario + u'/' + name;
    if (qEnvironmentVariableIsSet("KV_UPDATE_GOLDEN")) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((lines.join(u'\n') + u'\n').toUtf8());
        return;
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QStringList expected = QString::fromUtf8(f.readAll()).split(u'\n');
    expected.removeLast();
    EXPECT_EQ(lines, expected) << (scenario + u'/' + name).toStdString();
}

struct Scenario
{
    const char* name;
    bool oe5;
    bool news;
    quint32 seed;
    const char* identityName;
};

class BackupGolden : public BackupFixture, public ::testing::WithParamInterface<Scenario>
{
};

TEST_P(BackupGolden, ArchiveItemListControlFileLogAndSettings)
{
    const Scenario& sc = GetParam();
    Store store;
    store.oe5 = sc.oe5;
    store.news = sc.news;
    store.seed = sc.seed;
    store.identityName = QString::fromUtf8(sc.identityName);
    makeEnvironment(store, {ItemKind::Signatures});
    // A folder left out whose subfolder is saved: the item list keeps it as a parent.
    int parent = 0;
    for (int r = 1; r < m_grid.totalRowCount() && !parent; ++r)
        if (m_grid.hasChildren(r) && itemKind(m_grid, r) == int(ItemKind::MailFolder))
            parent = r;
    ASSERT_GT(parent, 0);
    m_grid.setCheckState(parent, kNotSelected);

    runBackup();

    EXPECT_EQ(m_ui.messages(), QStringList{"Backup is complete"});
    EXPECT_EQ(m_run->end(), BackupEnd::Close);
    EXPECT_TRUE(m_run->showLogNow());
    EXPECT_EQ(m_grid.checkState(parent), kNotAvailable);
    const QString archive = archivePath();
    EXPECT_EQ(m_run->summary().archivePath, archive);
    EXPECT_EQ(m_run->summary().resultCode, 0);

    const QString name = QLatin1String(sc.name);
    expectGolden(name, "entries.txt", entryNames(archive));
    expectGolden(name, "itemlist.txt",
                 fileLines(m_state.programFolder + QStringLiteral("\\KorvaneBackup.log")));
    expectGolden(name, "control.txt", fileLines(m_state.controlFilePath));
    expectGolden(name, "runlog.txt", fileLines(m_state.backupLogPath));
    QStringList settings;
    for (const char* key :
         {"AllowQuick", "LastBackup", "LastSavePath", "LastSaveName", "InclWab", "InclFAV",
          "InclRules", "InclAccts", "InclPrefs", "InclSigs", "InclBlocks", "InclDUN", "DoRename"})
        settings << QLatin1String(key) + u'=' + setting(SectionKind::Identity, key);
    settings << QStringLiteral("Parms LastBackup=") + setting(SectionKind::Parms, "LastBackup");
    expectGolden(name, "settings.txt", settings);

    EXPECT_EQ(entriesMatchSources(archive), QString());
    EXPECT_FALSE(exists(RunLog::tempPath(m_state.programFolder)));
    expectToolPasses(QStringLiteral("unzip"), {QStringLiteral("-t"), host(archive)});
    expectToolPasses(QStringLiteral("7z"), {QStringLiteral("t"), host(archive)});
}

INSTANTIATE_TEST_SUITE_P(
    Environments, BackupGolden,
    ::testing::Values(Scenario{"oe5-news-nested", true, true, 7, "Main Identity"},
                      Scenario{"oe5-second-identity", true, false, 11, "Sécond"},
                      Scenario{"oe4-news-idx", false, true, 5, ""}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

} // namespace
} // namespace kv::test
