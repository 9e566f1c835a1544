// The restore run's own rules, on the scenarios' backed-up environment: the names the per-file
// hook gives, the kept address book, the stops that change nothing and the rows it refuses.
#include "RestoreScenarioFixture.h"

#include "backup/RunLog.h"
#include "restore/RestoreZipListener.h"
#include "shell/GuardedRegistry.h"

namespace kv::test {
namespace {

class RestoreRunTest : public RestoreScenarioTest
{
};

// The names the hook gives each entry, step by step.
TEST_F(RestoreRunTest, HookNamesEntriesByRowRedirectAndPrefix)
{
    using Step = RestoreZipListener::Step;
    QList<RestoreItem> items = {
        {2, u"Inbox.mbx"_s, u"Inbox"_s, true, true, u"Work.mbx"_s},
        {2, u"Sent.dbx"_s, u"Sent Items"_s, true, false, QString()},
        {2, u"Odd.dbx"_s, u"Odd"_s, true, false, u"..\\Odd.dbx"_s},
    };
    RestoreContext context;
    context.oe5 = false;
    RunLog log(m_fs);
    std::atomic<bool> cancel{false};
    RestoreZipListener listener(m_fs, m_ui, m_progress, log, context, items, cancel);
    listener.setAddressBookTarget(u"RestoredAddressBook.wab"_s, u"C:\\x.bak"_s);
    zip::ZipComponent zip(m_fs);
    const struct
    {
        Step step;
        QString entry;
        QString dest;     // "" refused
        QString progress; // after "Restoring: "
    } cases[] = {
        {Step::MailFolders, u"Inbox.mbx"_s, u"Work.mbx"_s, u"Inbox"_s},
        {Step::MailFolders, u"INBOX.IDX"_s, u"Work.idx"_s, u"Inbox - Index"_s},
        {Step::MailFolders, u"Sent.dbx"_s, u"Sent.dbx"_s, u"Sent Items"_s},
        {Step::MailFolders, u"folders.nch"_s, u"folders.nch"_s, u"folders.nch"_s},
        {Step::MailFolders, u"Odd.dbx"_s, QString(), QString()},
        {Step::AddressBook, u"tester.WAB"_s, u"RestoredAddressBook.wab"_s,
         u"Windows Address Book"_s},
        {Step::News, u"news.example.com\\1.nch"_s, u"news.example.com\\1.nch"_s,
         u"news.example.com"_s},
        {Step::Favorites, u"users\\tester\\Favorites\\Links\\Home.url"_s, u"Links\\Home.url"_s,
         u"Links\\Home.url"_s},
        {Step::Favorites, u"USERS\\Tester\\favorites\\a.url"_s, u"a.url"_s, u"a.url"_s},
        {Step::Favorites, u"users\\tester\\Favorites\\\\evil.url"_s, QString(), QString()},
        {Step::Favorites, u"other\\b.url"_s, u"other\\b.url"_s, u"other"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry.toStdString());
        listener.beginStep(c.step, zip);
        if (c.step == Step::Favorites)
            listener.setFavoritesPrefix(u"users\\tester\\Favorites\\"_s);
        m_progress.texts.clear();
        QString dest = c.entry;
        listener.extractingFile(c.entry, dest);
        EXPECT_EQ(dest, c.dest);
        EXPECT_EQ(m_progress.texts.value(0),
                  c.progress.isEmpty() ? QString() : u"Restoring: "_s + c.progress);
    }
}

TEST_F(RestoreRunTest, AddressBookRestoredTwiceKeepsOnlyTheLatestPreviousFile)
{
    backUp(true);
    for (const QByteArray& current : {QByteArray("version one"), QByteArray("version two")}) {
        ASSERT_TRUE(m_fs.writeFile(kWab, current));
        ASSERT_TRUE(open(context(0)));
        mark({u"Windows Address Book (WAB)"_s});
        m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
        EXPECT_EQ(readFile(kWab), m_saved.wab);
        EXPECT_EQ(readFile(kWab.chopped(1) + u'x'), current);
    }
    const QStringList kept = QDir(host(kWab).section(u'/', 0, -2)).entryList(QDir::Files);
    EXPECT_EQ(kept, (QStringList{u"tester.wab"_s, u"tester.wax"_s}));
    EXPECT_TRUE(fileLines(m_context.restoreLogPath)
                    .contains(u"Restored Address Book to: "_s + kWab));
}

// Cancel at the store-copy question, and a registry the running wineserver holds: the run stops
// before anything of the user's changes.
TEST_F(RestoreRunTest, CancelOrAHeldRegistryStopsTheRunBeforeAnythingChanges)
{
    backUp(true);
    changeEnvironment();
    HeldRegistry held;
    platform::Platform heldPlatform{held, m_fs, m_system, m_processes};
    for (const bool registryHeld : {false, true}) {
        SCOPED_TRACE(registryHeld ? "held" : "cancel");
        ASSERT_TRUE(open(context(registryHeld ? 0 : 2)));
        mark({u"Inbox"_s, u"Accounts"_s});
        m_ui = ScriptedUi();
        if (!registryHeld)
            m_ui.answerMessage(MsgResult::Cancel);
        m_restorePlatform = registryHeld ? &heldPlatform : &m_platform;
        const RestoreOutcome outcome = restore();
        EXPECT_EQ(outcome.status, registryHeld ? RestoreOutcome::Status::RegistryHeld
                                               : RestoreOutcome::Status::Cancelled);
        EXPECT_TRUE(snapshot() == m_changed);
        EXPECT_TRUE(trash().isEmpty());
        EXPECT_FALSE(exists(m_context.restoreLogPath));
        if (registryHeld) {
            EXPECT_EQ(m_ui.messages(), QStringList{GuardedRegistry::lockedText()});
        } else {
            EXPECT_TRUE(exists(RunLog::tempPath(kProgram)));
        }
    }
}

// Rows of a list that would reach outside the store are refused; a Favorites row naming a whole
// drive would take every entry of the archive, so its step fails.
TEST_F(RestoreRunTest, RowsNamingPlacesOutsideTheirFolderAreRefused)
{
    backUp(true);
    ASSERT_TRUE(open(context(0)));
    mark({u"Inbox"_s, u"Sent Items"_s, u"IE Favorites"_s});
    m_page.setCell(pageRow(u"Inbox"_s), cell::RestoreToName, u"..\\..\\escaped.dbx"_s);
    const int sent = pageRow(u"Sent Items"_s);
    m_page.setCell(sent, cell::MbxName, u"..\\"_s + m_page.cell(sent, cell::MbxName));
    QDir(host(kFavorites)).removeRecursively();
    const QStringList allowed = {u"drive_c/users/tester/Favorites/"_s,
                                 u"drive_c/Program Files/Korvane/"_s, u"xdg-data/"_s};
    const Files before = filesOutside(allowed);

    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    EXPECT_EQ(filesOutside(allowed), before);
    EXPECT_EQ(filesBelow(host(kFavorites)), m_saved.favorites);
    const QString log = fileLines(m_context.restoreLogPath).join(u'\n');
    EXPECT_EQ(log.count(u"Refused: '"_s), 2) << log.toStdString();

    ASSERT_TRUE(open(context(0)));
    mark({u"IE Favorites"_s});
    m_page.setCell(pageRow(u"IE Favorites"_s), cell::MbxName, u"C:\\"_s);
    QDir(host(kFavorites)).removeRecursively();
    EXPECT_EQ(restore().failedSteps, 1);
    EXPECT_TRUE(filesBelow(host(kFavorites)).isEmpty());
}

} // namespace
} // namespace kv::test
