#include "BackupFixture.h"

#include "StoreBuilder.h"
#include "backup/ItemGrid.h"
#include "platform/WinPath.h"
#include "shell/ControlFile.h"
#include "util/TaskRunner.h"
#include "zip/ZipComponent.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace kv::test {

namespace {
const QString kProgramFolder = QStringLiteral("C:\\Program Files\\Korvane");
const QString kWab = QStringLiteral("C:\\users\\tester\\Application Data\\Microsoft\\Address "
                                    "Book\\tester.wab");
const QString kFavorites = QStringLiteral("C:\\users\\tester\\Favorites");
} // namespace

BackupFixture::BackupFixture()
{
    m_settings.setAppName(QStringLiteral("Korvane"));
    m_fs.writeFile(QStringLiteral("C:\\windows\\temp\\keep.txt"), "temp folder");
}

bool BackupFixture::exists(const QString& windowsPath)
{
    platform::FileEntry e;
    return m_fs.stat(windowsPath, &e);
}

void BackupFixture::makeEnvironment(const Store& s, const QList<ItemKind>& leftOut)
{
    m_state.programTitle = QStringLiteral("Korvane 2000");
    m_state.programFolder = kProgramFolder;
    m_state.versionText = QStringLiteral("1.0 rev 0.0");
    m_state.oe5Mode = s.oe5;
    m_state.env.mode = s.oe5 ? MailClient::ClientVersion::OE5 : MailClient::ClientVersion::OE4;
    m_state.env.outcome = OeEnvironmentResult::Outcome::Ready;
    m_state.env.chosenId = s.oe5 ? s.identityId : QString();
    m_state.env.chosenName = s.oe5 ? s.identityName : QString();
    m_state.env.settingsSection = s.oe5 ? s.identityId : QStringLiteral("Parms");
    m_state.env.backupBaseName =
        s.oe5 ? QStringLiteral("Korvane5Backup") : QStringLiteral("KorvaneBackup");
    m_state.env.nameInfix = s.oe5 ? u'.' + s.identityName + u'.' : QStringLiteral(".");
    m_state.backupLogPath = kProgramFolder + u'\\' +
                            (s.oe5 ? s.identityName + QStringLiteral(".LastBackup.log")
                                   : QStringLiteral("LastBackup.log"));
    m_state.controlFilePath = ControlFile::path(kProgramFolder, s.oe5, s.identityId);
    m_state.saveFolder = QStringLiteral("C:\\Backups");
    m_state.backupFile = archivePath();
    m_state.renameExisting = true;
    m_state.useSysTemp = true;
    m_state.autoShowLog = true;
    m_fs.writeFile(m_state.saveFolder + QStringLiteral("\\placeholder.txt"), "");

    storegen::StoreShape shape;
    shape.messagesPerFolder = 2;
    shape.userFolders = 1;
    shape.news = s.news;
    storegen::StoreBuilder builder(s.seed, shape);
    storegen::StoreSummary summary;
    QString storeRoot = s.storeFolder;
    if (s.oe5) {
        ASSERT_TRUE(builder.writeOe5(host(storeRoot + QStringLiteral("\\x")).chopped(2), &summary))
            << builder.error().toStdString();
        m_state.env.storeFolder = storeRoot + u'\\';
    } else {
        ASSERT_TRUE(m_fs.writeFile(storeRoot + QStringLiteral("\\x"), ""));
        ASSERT_TRUE(builder.writeOe4(host(storeRoot), &summary)) << builder.error().toStdString();
        m_fs.removeFile(storeRoot + QStringLiteral("\\x"));
        m_state.env.storeFolder = storeRoot + QStringLiteral("\\Mail\\");
        m_state.env.oe4.mailFolder = m_state.env.storeFolder;
        m_state.env.oe4.newsFolder = storeRoot + QStringLiteral("\\News\\");
    }

    // The grid as the inventory leaves it.
    m_grid.clear();
    const int root = m_grid.addRow(QStringLiteral("Outlook Express"));
    int mailTop = root;
    if (!s.oe5) {
        mailTop = m_grid.addChild(root, QStringLiteral("Mail Folders"));
        m_grid.setCell(mailTop, cell::Type, QStringLiteral("0"));
        m_grid.setCheckState(mailTop, kNotAvailable);
    }
    QHash<int, int> rowOfNumber;
    auto setRow = [&](int r, const QString& name, int kind, const QString& file, qint64 size,
                      qint64 count, int state) {
        m_grid.setCell(r, cell::Display, name);
        m_grid.setCell(r, cell::Type, QString::number(kind));
        m_grid.setCell(r, cell::MbxName, file);
        m_grid.setCell(r, cell::FileSize, QString::number(size));
        m_grid.setCell(r, cell::Counts, QString::number(count));
        m_grid.setCell(r, cell::HasData, size > 0 || !file.isEmpty() ? "Y" : "N");
        m_grid.setCell(r, cell::FlgSave, QString::number(state));
        m_grid.setCheckState(r, state);
    };
    auto sizeOf = [&](const QString& path) {
        platform::FileEntry e;
        return m_fs.stat(path, &e) ? qint64(e.size) : 0;
    };
    QString newsAccount;
    qint64 newsSize = 0;
    for (const storegen::StoreFolder& f : summary.folders) {
        if (!s.oe5 && f.news) {
            newsSize += sizeOf(storeRoot + u'\\' + QString(f.fileName).replace(u'/', u'\\'));
            continue;
        }
        const int parent = rowOfNumber.value(f.parentNumber, mailTop);
        const int r = m_grid.addChild(parent, f.name);
        rowOfNumber.insert(f.number, r);
        const bool file = !f.fileName.isEmpty();
        qint64 size = file ? sizeOf(m_state.env.storeFolder + f.fileName) : 0;
        int kind = file ? int(ItemKind::MailFolder) : int(ItemKind::MailFolderNoFile);
        if (f.news)
            kind = f.parentNumber == 0 ? int(ItemKind::NewsServer)
                   : file              ? int(ItemKind::NewsGroup)
                                       : int(ItemKind::NewsGroupNoFile);
        if (!s.oe5) {
            const QString idx = m_state.env.storeFolder + f.fileName.chopped(3) + "idx";
            m_grid.setCell(r, cell::HasIdx, f.hasIndex ? "Y" : "N");
            size += f.hasIndex ? sizeOf(idx) : 0;
        }
        const int state = file                                ? kSelected
                          : kind == int(ItemKind::NewsServer) ? kNotSelected
                                                              : kNotAvailable;
        setRow(r, f.name, kind, f.fileName, size, f.messages, state);
    }
    if (!s.oe5 && s.news) {
        const int r = m_grid.addRow(summary.newsServer);
        setRow(r, summary.newsServer, int(ItemKind::Oe4NewsAccount), summary.newsDirectory,
               newsSize, 0, kSelected);
    }

    ASSERT_TRUE(m_fs.writeFile(kWab, "address book of the tester"));
    setRow(m_grid.addRow(QStringLiteral("Windows Address Book (WAB)")),
           QStringLiteral("Windows Address Book (WAB)"), int(ItemKind::AddressBook), kWab,
           sizeOf(kWab), 0, kSelected);
    ASSERT_TRUE(m_fs.writeFile(kFavorites + QStringLiteral("\\Links\\Home.url"), "[url]home"));
    ASSERT_TRUE(m_fs.writeFile(kFavorites + QStringLiteral("\\News.url"), "[url]news"));
    setRow(m_grid.addRow(QStringLiteral("IE Favorites")), QStringLiteral("IE Favorites"),
           int(ItemKind::Favorites), kFavorites, 18, 2, kSelected);
    const std::pair<ItemKind, const char*> groups[] = {{ItemKind::Accounts, "Accounts"},
                                                       {ItemKind::Rules, "Rules Wizard"},
                                                       {ItemKind::Signatures, "Signatures"}};
    for (const auto& [kind, name] : groups) {
        const QString path = kProgramFolder + u'\\' + QLatin1String(name) + ".reg";
        ASSERT_TRUE(m_fs.writeFile(path, QByteArray("REGEDIT4\r\n\r\n[") + name + "]\r\n"));
        setRow(m_grid.addRow(QLatin1String(name)), QLatin1String(name), int(kind), path,
               sizeOf(path), 0, leftOut.contains(kind) ? kNotSelected : kSelected);
    }
}

QString BackupFixture::archivePath() const
{
    return QStringLiteral("C:\\Backups\\") + m_state.env.backupBaseName + m_state.env.nameInfix +
           QStringLiteral("2026-12-06-10-30.eaz");
}

void BackupFixture::runBackup()
{
    m_run = std::make_unique<BackupRun>(m_platform, m_ui, m_settings, m_state, m_grid, m_totals,
                                        m_progress);
    InlineTaskRunner runner;
    m_run->start(runner, {});
}

int BackupFixture::row(const QString& display) const
{
    return m_grid.findCell(cell::Display, display);
}

QStringList BackupFixture::fileLines(const QString& windowsPath)
{
    QString text = QString::fromLatin1(readFile(windowsPath));
    text.replace(QChar(3), u'|');
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList BackupFixture::entryNames(const QString& archive)
{
    zip::ZipComponent zip(m_fs);
    zip.setArchiveName(archive);
    QList<zip::CentralEntry> entries;
    EXPECT_EQ(zip.list(&entries), 0);
    QStringList names;
    for (const zip::CentralEntry& e : entries)
        names.append(e.name);
    return names;
}

QString BackupFixture::entriesMatchSources(const QString& archive)
{
    zip::ZipComponent zip(m_fs);
    zip.setArchiveName(archive);
    zip.setDestination(QStringLiteral("C:\\check"));
    zip.setPathMode(zip::PathMode::FullPath);
    if (const int rc = zip.unzip(); rc != 0)
        return QStringLiteral("unzip gave %1").arg(rc);
    for (const QString& name : entryNames(archive)) {
        const QString stored = QString(name).replace(u'/', u'\\');
        if (readFile(QStringLiteral("C:\\check\\") + stored) !=
            readFile(QStringLiteral("C:\\") + stored))
            return stored + QStringLiteral(" differs from its source");
    }
    return {};
}

QString BackupFixture::setting(SectionKind kind, const char* key)
{
    return m_settings.getSetting(sectionFor(kind, m_state.settingsSection()), QLatin1String(key),
                                 QStringLiteral("<unset>"));
}

} // namespace kv::test
