#include "ShellTestEnv.h"

#include "EnvBuilder.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"
#include "support/QtPrinters.h"

#include <QDir>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;

// The start-up on a generated Wine prefix, through the real registry files and drive folders:
// the first start of an identity sets it up, the next one finds it set up.
TEST(MainOnPrefix, FirstAndSecondStartOfAnIdentity)
{
    TempDir dir;
    QString error;
    ASSERT_TRUE(
        demo::EnvBuilder::prepareRegistryFiles(dir.path(), QStringLiteral("win64"), &error))
        << error.toStdString();
    QList<demo::EnvBuilder::Identity> identities;
    {
        platform::posix::WineRegistry registry{platform::posix::WinePrefix(dir.path())};
        demo::EnvBuilder::Options options;
        options.userName = QStringLiteral("tester");
        demo::EnvBuilder builder(registry, dir.path(), options);
        ASSERT_TRUE(builder.build(&error)) << error.toStdString();
        identities = builder.identities();
    }
    ASSERT_EQ(identities.size(), 2);

    QStringList controlFiles;
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        const auto host = platform::posix::PosixPlatform::forPrefix(dir.path());
        platform::Platform services = host->services();
        services.files.makeSurePath(QStringLiteral("C:\\Program Files\\Korvane"));
        ScriptedUi ui;
        FakeMainView view;
        RecordingFunctions functions;
        if (run == 1)
            ui.answerMessage(MsgResult::No);
        MainController controller(services, ui, view, &functions);
        ASSERT_EQ(controller.load({}), LoadResult::Interactive);
        controller.firstPaint();
        controller.unload();
        EXPECT_EQ(ui.messages().size(), run == 1 ? 1 : 0);
        EXPECT_EQ(ui.pendingAnswers(), 0);

        const MainState& st = controller.state();
        EXPECT_TRUE(st.oe5Mode);
        EXPECT_TRUE(view.caption().startsWith(QLatin1String("Korvane 2000 -- Identity: ")));
        EXPECT_TRUE(st.env.storeFolder.endsWith(u'\\'));
        controlFiles = QDir(dir.file(QStringLiteral("drive_c/Program Files/Korvane")))
                           .entryList({QStringLiteral("tnsys5.*.ctl")});
        EXPECT_EQ(controlFiles, QStringList{QStringLiteral("tnsys5.") + st.env.chosenId +
                                            QStringLiteral(".ctl")});
        AppSettings settings(services.registry);
        settings.setAppName(QStringLiteral("Korvane"));
        EXPECT_EQ(settings.getSetting(st.env.chosenId, QStringLiteral("WarnOverWrite"), {}), "Y");
        EXPECT_EQ(settings.getSetting(QStringLiteral("Positions"), QStringLiteral("Main"), {}),
                  QStringLiteral("%1,%2").arg(view.pos.x()).arg(view.pos.y()));
    }
    // The settings went into the prefix's own user hive.
    EXPECT_TRUE(readFile(dir.file(QStringLiteral("user.reg")))
                    .contains("[Software\\\\Tarnworks\\\\Korvane\\\\Positions]"));
}

} // namespace
} // namespace kv::test
