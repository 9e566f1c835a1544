// The restored messages' folder is emptied at the end, past the Recycle Bin, and nothing else.
#include "ShellTestEnv.h"

#include "oeenv/MailClient.h"
#include "util/SystemUtils.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using platform::Hive;

TEST(TargetFolderUnload, EmptiesOnlyTheOwnFolderBelowTheDocumentsFolder)
{
    const struct
    {
        QString personal; // the registered documents folder
        QString folder;   // the target the window left
        bool oe4HandOff;
        bool emptied;
    } cases[] = {
        {"C:\\Docs", "C:\\Docs\\Korvane-Synchronize\\", false, true},
        {"C:\\Docs\\", "c:\\docs\\KORVANE-SYNCHRONIZE", false, true},
        // The version-4 hand-off leaves the messages for the reload.
        {"C:\\Docs", "C:\\Docs\\Korvane-Synchronize\\", true, false},
        {"C:\\Docs", "C:\\Docs", false, false},
        {"C:\\Docs", "C:\\", false, false},
        {"C:\\Docs", "C:\\Docs\\Korvane-Synchronize\\Inbox", false, false},
        // A documents folder that is a root or relative gives no target at all.
        {"C:\\", "C:\\Korvane-Synchronize", false, false},
        {"Docs", "Docs\\Korvane-Synchronize", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.personal.toStdString() + " / " + c.folder.toStdString());
        ShellTestEnv env;
        env.returningUser();
        env.registry.setString(Hive::CurrentUser, QLatin1String(MailClient::kShellFoldersKey),
                               "Personal", c.personal);
        const QStringList files = {"C:\\Docs\\Korvane-Synchronize\\Inbox\\Hi.1.eml",
                                   "C:\\Docs\\Korvane-Synchronize\\note.txt",
                                   "C:\\Docs\\Letter.doc", "C:\\Korvane-Synchronize\\x.eml",
                                   "C:\\Keep.txt"};
        for (const QString& f : files)
            ASSERT_TRUE(env.files.makeSurePath(f) && env.files.writeFile(f, "x"));
        ASSERT_EQ(env.start(), MainController::LoadResult::Interactive);
        env.controller->state().restoreMessagesFolder = c.folder;
        env.controller->state().oe4HandOff = c.oe4HandOff;
        env.controller->unload();
        for (const QString& f : files) {
            const bool inTarget = f.startsWith("C:\\Docs\\Korvane-Synchronize\\");
            EXPECT_EQ(SystemUtils::fileExists(env.files, f), !(c.emptied && inTarget))
                << f.toStdString();
        }
        EXPECT_EQ(SystemUtils::folderExists(env.files, "C:\\Docs\\Korvane-Synchronize\\Inbox"),
                  !c.emptied);
        EXPECT_TRUE(SystemUtils::folderExists(env.files, "C:\\Docs\\Korvane-Synchronize"));
    }
}

} // namespace
} // namespace kv::test
