#include "ShellTestEnv.h"

#include "EnvBuilder.h"
#include "platform/FakeWineServer.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"
#include "support/QtPrinters.h"

#include <QDir>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;

// A user who closes the Wine programs before answering the question about them.
class ClosingUi : public ScriptedUi
{
public:
    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title) override
    {
        if (server && buttons == MsgButtons::RetryCancel)
            server->stop();
        return ScriptedUi::messageBox(text, buttons, icon, title);
    }
    FakeWineServer* server = nullptr;
};

// A prefix as wineboot and the mail client leave it: the program folder is not there.
class MainOnPrefix : public testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(demo::EnvBuilder::prepareRegistryFiles(dir.path(), "win64", &error))
            << error.toStdString();
        platform::posix::WineRegistry registry{platform::posix::WinePrefix(dir.path())};
        demo::EnvBuilder::Options options;
        options.userName = "tester";
        demo::EnvBuilder builder(registry, dir.path(), options);
        ASSERT_TRUE(builder.build(&error)) << error.toStdString();
        ASSERT_TRUE(QDir(programFolder()).removeRecursively());
    }
    QString programFolder() const { return dir.file("drive_c/Program Files/Korvane"); }
    // One start of the desktop program, as a user's session runs it.
    QString session(ScriptedUi& ui)
    {
        const auto host = platform::posix::PosixPlatform::forPrefix(dir.path());
        platform::Platform services = host->services();
        FakeMainView view;
        RecordingFunctions functions;
        MainController controller(services, ui, view, &functions);
        EXPECT_EQ(controller.load({}), LoadResult::Interactive);
        controller.firstPaint();
        controller.unload();
        EXPECT_EQ(ui.pendingAnswers(), 0);
        return controller.state().env.chosenId;
    }
    QString setting(const QString& section, const QString& key)
    {
        platform::posix::WineRegistry registry{platform::posix::WinePrefix(dir.path())};
        AppSettings settings(registry);
        settings.setAppName("Korvane");
        return settings.getSetting(section, key, "<unset>");
    }

    TempDir dir;
};

// The first start makes the program folder; a write refused while Wine runs is asked about once.
TEST_F(MainOnPrefix, WritesRefusedWhileWineRunsAreReportedOnceWithRetry)
{
    ScriptedUi first;
    first.answerMessage(MsgResult::No);
    const QString id = session(first);
    ASSERT_EQ(first.messages().size(), 1); // the help question of a first run
    EXPECT_EQ(QDir(programFolder()).entryList({"tnsys5.*.ctl"}),
              QStringList{"tnsys5." + id + ".ctl"});
    ASSERT_EQ(setting(QString(), "TidingsCnt"), "1");

    // Cancel: the start goes on, every later refusal is only logged, nothing is saved.
    FakeWineServer server(dir.path(), false);
    ScriptedUi cancelled;
    cancelled.answerMessage(MsgResult::Cancel);
    session(cancelled);
    ASSERT_EQ(cancelled.messages().size(), 1);
    EXPECT_EQ(cancelled.shown().at(0).buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(setting(QString(), "TidingsCnt"), "1");

    // Retry once the programs are closed: the refused write and the later ones reach the hive.
    ClosingUi retried;
    retried.server = &server;
    retried.answerMessage(MsgResult::Retry);
    session(retried);
    EXPECT_EQ(retried.messages().size(), 1);
    EXPECT_EQ(setting(QString(), "TidingsCnt"), "2");
}

} // namespace
} // namespace kv::test
