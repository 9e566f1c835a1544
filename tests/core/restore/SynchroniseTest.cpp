// The synchronise through the main window's controller: a generated store is backed up by the
// wizard, its Inbox then loses a message and has another one's Date edited, and the synchronise
// must list exactly those two, tick them and write them back with the backup's bytes.
#include "core/shell/ShellTestEnv.h"
#include "support/PressingRunner.h"

#include "DbxMessageWriter.h"
#include "MbxWriter.h"
#include "EnvBuilder.h"
#include "backup/BackupFunctions.h"
#include "backup/ItemGrid.h"
#include "msgstore/DbxFile.h"
#include "msgstore/MbxFile.h"
#include "msgstore/EncodedWords.h"
#include "msgstore/MessageExport.h"
#include "oeenv/MailClient.h"
#include "restore/RestoreFunctions.h"
#include "restore/SynchroniseFunctions.h"
#include "util/SystemUtils.h"
#include "util/TaskRunner.h"
#include "zip/ZipComponent.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;
using msgstore::MessageExport;

const QString kBackups = "C:\\Backups";

// A user with a generated store (version 5 unless told) and one backup of it in C:\Backups.
struct Synch : ShellTestEnv
{
    explicit Synch(demo::EnvBuilder::Client client = demo::EnvBuilder::Client::OE5) : oe5(client == demo::EnvBuilder::Client::OE5)
    {
        demo::EnvBuilder::Options options;
        options.client = client;
        options.identities = 1;
        options.userName = "tester";
        options.messagesPerFolder = 4;
        demo::EnvBuilder builder(registry, dir.path(), options);
        QString error;
        EXPECT_TRUE(builder.build(&error)) << error.toStdString();
        const auto identity = builder.identities().value(0);
        storeFolder = oe5 ? identity.storeFolder + '\\' : builder.oe4StoreRoot() + "\\Mail\\";
        files.makeSurePath(kBackups + '\\');
        files.makeSurePath(system.tempPath());
        for (const char* key : {"TidingsTip", "WarnVirus", "WarnAboutWAB"})
            settings.saveSetting(QString(), key, key == QString("TidingsTip") ? "Y" : "N");
        ControlFile::writeLines(files, ControlFile::path(kProgramFolder, oe5, identity.id),
                                {ControlFile::firstLine(oe5, identity.name, identity.id)});
        makeBackup();
    }
    ~Synch() { controller.reset(); }

    void makeBackup()
    {
        ASSERT_EQ(open(), LoadResult::Interactive);
        wizardBackup(kBackups);
        const QStringList made = QDir(host(kBackups)).entryList({"*.eaz"});
        ASSERT_EQ(made.size(), 1);
        archive = kBackups + '\\' + made[0];
    }

    LoadResult open()
    {
        controller.reset();
        view = std::make_unique<FakeMainView>();
        restore = std::make_unique<RestoreFunctions>(
            RestoreFunctions::Services{platform, ui, *view, settings, runner, {}}, functions);
        backup = std::make_unique<BackupFunctions>(
            BackupFunctions::Services{platform, ui, *view, settings, runner, {}}, *restore);
        synch = std::make_unique<SynchroniseFunctions>(
            SynchroniseFunctions::Services{platform, ui, *view, settings, runner, {}}, *backup,
            *restore);
        controller = std::make_unique<MainController>(platform, ui, *view, synch.get(), &runner);
        return controller->load({});
    }
    QString host(const QString& windowsPath) const { return files.toHostPath(windowsPath); }

    // The store's Inbox rewritten from its own messages: `removed` left out, the Date of
    // `edited` changed. Returns the original messages' bytes by number.
    QList<QByteArray> changeInbox(int removed, int edited)
    {
        msgstore::DbxFile inbox;
        EXPECT_TRUE(inbox.open(host(storeFolder + "Inbox.dbx")));
        QList<QByteArray> original{QByteArray()};
        std::vector<storegen::MailMessage> kept;
        for (qint32 n = 1; n <= inbox.messageCount(); ++n) {
            original << inbox.message(n);
            if (n == removed)
                continue;
            storegen::MailMessage m;
            m.raw = original.last();
            if (n == edited)
                m.raw.replace("\nDate: ", "\nDate: Sun, 31 Dec 2000 23:59:59 +0000 (was) ");
            kept.push_back(m);
        }
        inbox.close();
        storegen::DbxMessageWriter::Options o;
        o.specialFolder = storegen::SpecialFolder::Inbox;
        EXPECT_TRUE(
            storegen::DbxMessageWriter::write(host(storeFolder + "Inbox.dbx"), "Inbox", kept, o));
        return original;
    }

    // A new window, Synchronize with the archive, the named folders marked, Synch Now.
    void synchronise(const QStringList& folders)
    {
        ui.answerBackupFile(archive, 3);
        ASSERT_EQ(open(), LoadResult::Interactive);
        controller->synchClicked();
        for (const QString& name : folders) {
            const int row = view->grid.findCell(cell::MbxName, name, 1);
            ASSERT_GT(row, 0) << name.toStdString();
            controller->itemPictureClicked(row);
        }
        controller->nextClicked();
    }
    // The synchronise grid as lines: folder rows by their text, message rows "  N: text".
    QStringList gridLines() const
    {
        QStringList lines;
        const TreeListModel& g = view->synch;
        for (int row = 0; row < g.totalRowCount(); ++row)
            lines << (g.level(row) == 0 ? g.text(row)
                                        : "  " + g.cell(row, "MsgNo") + ":" + g.text(row));
        return lines;
    }
    QString target() const { return documents + "\\Korvane-Synchronize\\"; }
    MainState& st() { return controller->state(); }

    // The scratch folder the backup's copies were extracted into.
    QString priorHostFolder()
    {
        const QDir temp(host(system.tempPath()));
        return temp.filePath(temp.entryList({"Korvane-Synch-*"}, QDir::Dirs).value(0));
    }

    const bool oe5;
    QString storeFolder, archive;
    QString documents = "C:\\users\\tester\\Documents";
    PressingRunner runner;
    std::unique_ptr<RestoreFunctions> restore;
    std::unique_ptr<BackupFunctions> backup;
    std::unique_ptr<SynchroniseFunctions> synch;
};

// From, Subject and Date as written in the message; `shown` decodes the first two as the grid
// does.
QString recordOf(const QByteArray& message, bool shown = false)
{
    const auto header = [&](const QByteArray& name, bool decode) {
        const qsizetype at = message.indexOf("\n" + name + ": ");
        const QByteArray raw = message.mid(at + name.size() + 3,
                                           message.indexOf("\r\n", at + 1) - at - name.size() - 3);
        return decode ? msgstore::decodeHeaderText(raw) : QString::fromLatin1(raw);
    };
    return "\t" + header("From", shown) + "\t" + header("Subject", shown) + "\t" +
           header("Date", false);
}

TEST(Synchronise, ListsTicksAndRestoresTheChangedMessages)
{
    Synch env;
    const QList<QByteArray> original = env.changeInbox(2, 3);
    ASSERT_GE(original.size(), 4);
    // A folder the store no longer has is shown in red and cannot be marked.
    ASSERT_TRUE(SystemUtils::deleteFile(env.files, env.storeFolder + "Drafts.dbx"));
    // An earlier restore's leftovers, to be erased.
    ASSERT_TRUE(env.files.makeSurePath(env.target() + "Old\\"));
    QFile(env.host(env.target() + "Old\\stale.eml")).open(QIODevice::WriteOnly);

    env.synchronise({"Inbox.dbx", "Sent Items.dbx"});
    const FakeMainView& v = *env.view;
    EXPECT_EQ(env.shown("backupFile").value(0).currentIndex, 3);
    EXPECT_TRUE(v.caption().startsWith("Synchronizing from: ")) << v.caption().toStdString();
    EXPECT_EQ(v.texts[MainText::RestoreHint],
              "Folders shown in RED are in the backup but are NOT in the current mail store");
    for (int row = 1; row < v.grid.totalRowCount(); ++row)
        EXPECT_TRUE(isFolderKind(itemKind(v.grid, row))) << row; // no settings, no address book
    const int drafts = v.grid.findCell(cell::MbxName, "Drafts.dbx", 1);
    EXPECT_EQ(v.grid.foreColor(drafts), color::rgb(255, 0, 0));
    EXPECT_NE(v.grid.foreColor(v.grid.findCell(cell::MbxName, "Inbox.dbx", 1)),
              color::rgb(255, 0, 0));

    // The grid: exactly the removed and the edited message, from the backup's copy.
    ASSERT_EQ(v.page, MainPage::SynchResult);
    EXPECT_EQ(env.gridLines(), QStringList({"Inbox\t** Items below are missing or changed **",
                                            "  2:" + recordOf(original[2], true),
                                            "  3:" + recordOf(original[3], true),
                                            "Sent Items\t** No MisMatches **"}));
    const TreeListModel& g = v.synch;
    EXPECT_EQ(g.columnHeading(3), "Date");
    EXPECT_EQ(g.columnWidth(1), 2370);
    EXPECT_EQ(g.cell(0, cell::MbxName), "Inbox.dbx");
    for (const char* text :
         {"Retrieving current messages from: Inbox", "Retrieving Prior messages from: Inbox",
          "Synchronizing Messages in:Sent Items"})
        EXPECT_TRUE(v.progress.texts.contains(text)) << text;

    // Ticking and the count label, step by step.
    struct
    {
        std::function<void()> act;
        const char* label;
    } steps[] = {
        {[] {}, "0 Messages Selected"},
        {[&] { env.controller->synchTickClicked(1); }, "1 Message Selected"},
        {[&] { env.controller->synchTickClicked(0); }, "1 Message Selected"}, // a folder row
        {[&] { env.controller->synchSelectAllClicked(); }, "2 Messages Selected"},
        {[&] { env.controller->synchMenuChosen(0, SynchFolderMenu::ClearAllInFolder); },
         "0 Messages Selected"},
        {[&] { env.controller->synchMenuChosen(0, SynchFolderMenu::SelectAllInFolder); },
         "2 Messages Selected"},
        {[&] { env.controller->synchTickClicked(2); }, "1 Message Selected"},
        {[&] { env.controller->synchMenuChosen(3, SynchFolderMenu::SelectAllInList); },
         "2 Messages Selected"},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(v.texts[MainText::SelectedCount], s.label);
        EXPECT_EQ(v.button(MainButton::SynchNext), QString(s.label).startsWith('0') ? 0 : 1)
            << s.label;
    }

    // The restore-messages page, Previous and Next again.
    env.controller->synchNextClicked();
    ASSERT_EQ(v.page, MainPage::RestoreMessages);
    EXPECT_EQ(v.texts[MainText::MessagesTarget],
              "The selected messages will be restored to:\n\n" + env.target());
    EXPECT_TRUE(v.items[MainItem::MessagesCaution]);
    EXPECT_EQ(v.button(MainButton::SynchNext), 0);
    env.controller->synchBackClicked();
    EXPECT_EQ(v.page, MainPage::SynchResult);
    EXPECT_TRUE(v.items[MainItem::SynchSelectControls]);
    EXPECT_EQ(v.button(MainButton::SynchNext), 1);
    env.controller->synchNextClicked();

    env.ui.answerGenMessage(false, true);
    env.controller->restoreMessagesClicked();
    EXPECT_FALSE(SystemUtils::folderExists(env.files, env.target() + "Old"));
    QStringList written;
    for (int n : {2, 3}) {
        const QString subject = recordOf(original[n]).section('\t', 2, 2);
        const QString name = MessageExport::messageFileName(subject, n - 1);
        const QString path = env.target() + "Inbox\\" + name;
        written << path;
        QFile f(env.host(path));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_EQ(f.readAll(), original[n]) << n;
    }
    const auto told = env.shown("genMessage");
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].title, "OE5 Folder Synchronization");
    EXPECT_EQ(env.setting(QString(), "TellDrag"), "N");
    const auto drag = env.shown("dragWindow");
    ASSERT_EQ(drag.size(), 1);
    EXPECT_EQ(drag[0].items, QStringList({"Inbox|" + written.join('|')}));
    EXPECT_EQ(v.closes, 1);
    EXPECT_EQ(env.st().restoreMessagesFolder, env.target());
    EXPECT_FALSE(env.st().oe4HandOff);
    EXPECT_EQ(env.ui.pendingAnswers(), 0);

    // With "TellDrag" off the drag window comes at once.
    env.synchronise({"Inbox.dbx"});
    env.controller->synchSelectAllClicked();
    env.controller->synchNextClicked();
    env.controller->restoreMessagesClicked();
    EXPECT_EQ(env.shown("genMessage").size(), 1);
    EXPECT_EQ(env.shown("dragWindow").size(), 2);
}

// The close box while the comparison works stops it: "Cancelled!", then the window closes.
TEST(Synchronise, CloseBoxCancels)
{
    Synch env;
    env.runner.press = [&] {
        if (env.st().function == MainFunction::Synchronise) {
            EXPECT_FALSE(env.controller->queryClose());
        }
    };
    env.synchronise({"Inbox.dbx"});
    EXPECT_EQ(env.ui.messages().last(), "Cancelled!");
    EXPECT_EQ(env.view->closes, 1);
    EXPECT_EQ(env.view->synch.totalRowCount(), 0);
}

// No documents folder: the restore-messages page cannot open; the program ends.
TEST(Synchronise, MissingDocumentsFolderEnds)
{
    Synch env;
    env.changeInbox(1, 0);
    env.synchronise({"Inbox.dbx"});
    env.controller->synchSelectAllClicked();
    env.registry.setString(platform::Hive::CurrentUser, QLatin1String(MailClient::kShellFoldersKey),
                           "Personal", "C:\\Nowhere");
    env.controller->synchNextClicked();
    EXPECT_EQ(env.ui.messages().last(), "Unable to find the \"My Documents\" or \"Personal\" "
                                        "folder:\n\nThis folder is required for a restore of "
                                        "this type");
    EXPECT_EQ(env.shown("message").last().icon, MsgIcon::Critical);
    EXPECT_EQ(env.view->closes, 1);
    EXPECT_NE(env.view->page, MainPage::RestoreMessages);
}

// A chosen folder whose file the archive does not hold is skipped, never read through another
// file; the other folder is compared as usual.
TEST(Synchronise, FolderMissingFromTheBackupIsSkipped)
{
    Synch env;
    env.changeInbox(4, 0);
    // An archive of the same item list with only the Inbox's file.
    const QString part = "C:\\Part";
    ASSERT_TRUE(env.files.makeSurePath(part + '\\'));
    zip::ZipComponent unzipper(env.files);
    unzipper.setArchiveName(env.archive);
    unzipper.setFilesToProcess("KorvaneBackup.log");
    unzipper.setDestination(part);
    ASSERT_EQ(unzipper.unzip(), zip::kZipSuccess);
    ASSERT_TRUE(env.files.copyFile(env.storeFolder + "Inbox.dbx", part + "\\Inbox.dbx", false));
    QFile::remove(env.host(env.archive));
    zip::ZipComponent zipper(env.files);
    zipper.setArchiveName(env.archive);
    zipper.setFilesToProcess(part + "\\*");
    ASSERT_EQ(zipper.zip(), zip::kZipSuccess);

    env.synchronise({"Inbox.dbx", "Sent Items.dbx"});
    ASSERT_EQ(env.view->page, MainPage::SynchResult);
    // Inbox's backup copy is the current file: nothing differs.
    EXPECT_EQ(env.gridLines(), QStringList({"Inbox\t** No MisMatches **"}));
    EXPECT_EQ(env.view->closes, 0);
}

// Save as mbox keeps the page: a refused file says so, a written one holds the ticked messages
// byte for byte. A backup copy that has gone is counted, not fatal.
TEST(Synchronise, SaveAsMboxAndUnreadableMessagesKeepTheUserInformed)
{
    Synch env;
    const QList<QByteArray> original = env.changeInbox(2, 3);
    env.synchronise({"Inbox.dbx"});
    env.controller->synchSelectAllClicked();
    env.controller->synchNextClicked();
    ASSERT_EQ(env.view->page, MainPage::RestoreMessages);

    env.ui.answerSaveFile("C:\\No such folder\\out.mbox");
    env.controller->saveMboxClicked();
    EXPECT_TRUE(env.ui.messages().last().startsWith("The messages could not be saved:"));
    EXPECT_EQ(env.view->button(MainButton::RestoreMessages), 1);

    env.ui.answerSaveFile("C:\\out.mbox");
    env.controller->saveMboxClicked();
    EXPECT_TRUE(env.ui.messages().last().startsWith("2 messages were saved in:"));
    QFile mbox(env.host("C:\\out.mbox"));
    ASSERT_TRUE(mbox.open(QIODevice::ReadOnly));
    const QByteArray saved = mbox.readAll();
    EXPECT_TRUE(saved.startsWith("From "));
    for (int n : {2, 3})
        EXPECT_TRUE(saved.contains(original[n])) << n;
    EXPECT_FALSE(saved.contains(original[1]));
    EXPECT_EQ(env.view->page, MainPage::RestoreMessages);
    EXPECT_EQ(env.view->closes, 0);

    ASSERT_TRUE(QFile::remove(env.priorHostFolder() + "/Inbox.dbx"));
    env.ui.answerGenMessage(false, false);
    env.controller->restoreMessagesClicked();
    EXPECT_TRUE(env.ui.messages().contains(
        "2 of the selected messages could not be restored - see the log for details"));
    EXPECT_EQ(env.view->closes, 1);
}

// Version 4: a lengthened record is changed though its headers are not; messages added to the
// store change nothing. The restored file is the record plus CR LF, and the file manager opens
// on the folder, which is kept for the reload.
TEST(Synchronise, Oe4ListsTheLengthenedRecordAndOpensTheFileManager)
{
    Synch env(demo::EnvBuilder::Client::OE4);
    const QString mbx = env.host(env.storeFolder + "Inbox.mbx");
    msgstore::MbxFile inbox;
    ASSERT_TRUE(inbox.open(mbx));
    QList<QByteArray> original{QByteArray()};
    std::vector<storegen::MbxWriter::Entry> entries;
    for (qint32 n = 1; n <= inbox.messageCount(); ++n) {
        original << inbox.message(n);
        storegen::MbxWriter::Entry e;
        e.message.raw = original.last() + (n == 2 ? "\r\nA line added later.\r\n" : "");
        entries.push_back(e);
    }
    inbox.close();
    ASSERT_GE(original.size(), 3);
    entries.push_back(entries.front()); // a duplicate
    ASSERT_TRUE(storegen::MbxWriter::write(mbx, mbx.chopped(3) + "idx", entries));

    env.synchronise({"Inbox.mbx"});
    ASSERT_EQ(env.view->page, MainPage::SynchResult);
    EXPECT_EQ(env.gridLines(), QStringList({"Inbox\t** Items below are missing or changed **",
                                            "  2:" + recordOf(original[2], true)}));
    env.controller->synchSelectAllClicked();
    env.controller->synchNextClicked();
    env.controller->restoreMessagesClicked();

    const QString subject = recordOf(original[2]).section('\t', 2, 2);
    QFile eml(env.host(env.target() + "Inbox\\" + MessageExport::messageFileName(subject, 1)));
    ASSERT_TRUE(eml.open(QIODevice::ReadOnly)) << eml.fileName().toStdString();
    EXPECT_EQ(eml.readAll(), original[2] + "\r\n");
    EXPECT_EQ(env.ui.messages().last(),
              "Messages are ready for reload to OutLook Express\n\nExplorer will be opened at "
              "the main folder: \n" + env.target());
    EXPECT_EQ(env.processes.started().last(),
              env.st().windowsFolder + "explorer.exe /e, " + env.target());
    EXPECT_TRUE(env.shown("dragWindow").isEmpty());
    EXPECT_EQ(env.view->closes, 1);
    EXPECT_TRUE(env.st().oe4HandOff);
}

} // namespace
} // namespace kv::test
