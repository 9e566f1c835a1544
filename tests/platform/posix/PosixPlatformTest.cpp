#include "support/TestPrefix.h"

#include "platform/posix/PosixPlatform.h"
#include "platform/posix/WindowsCommandLine.h"
#include "platform/posix/WineRegistry.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using namespace Qt::StringLiterals;
using platform::posix::PosixPlatform;
using platform::posix::WindowsCommandLine;

// The prefix's own registry files configure every service.
TEST(PosixPlatformTest, APrefixsRegistryFilesConfigureDrivesVersionAndEnvironment)
{
    TestPrefix t;
    t.addWineDrives();
    t.write(u"drive_c/Program Files/Tools/K2K/KV2000.exe"_s, "MZ");
    t.write(
        u"system.reg"_s,
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
        "[Software\\\\Wine\\\\Drives] 1796572508\n\"a:\"=\"floppy\"\n\"d:\"=\"cdrom\"\n\n"
        "[Software\\\\Korvane\\\\Emulation\\\\Drives] 1796572508\n\"a:\"=dword:00000800\n\n"
        "[System\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment] 1796572508\n"
        "\"TEMP\"=str(2):\"%SystemRoot%\\\\TEMP\"\n\"windir\"=str(2):\"%SystemRoot%\"\n");
    t.write(u"user.reg"_s, "WINE REGISTRY Version 2\n;; All keys relative to "
                           "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n\n"
                           "[Environment] 1796572508\n\"TEMP\"=str(2):\"%USERPROFILE%\\\\Temp\"\n"
                           "\"TMP\"=str(2):\"%USERPROFILE%\\\\Temp\"\n\n"
                           "[Software\\\\Wine] 1796572508\n\"Version\"=\"winxp\"\n");
    auto registry = std::make_unique<platform::posix::WineRegistry>(t.prefix());
    IRegistry* given = registry.get();
    PosixPlatform::Options options;
    options.programFolder = u"C:\\Program Files\\Tools\\K2K"_s;
    PosixPlatform platform(t.prefix(), std::move(registry), options);
    Platform services = platform.services();

    EXPECT_EQ(&services.registry, given);
    EXPECT_EQ(services.files.driveType(u"D:\\"_s), DriveType::CdRom);
    DiskSpace space;
    ASSERT_TRUE(services.files.diskSpace(u"A:\\"_s, &space));
    EXPECT_EQ(space.totalBytes, 2048u);
    EXPECT_EQ(services.system.windowsVersion().build, 2600u);
    EXPECT_EQ(services.system.tempPath(),
              u"C:\\users\\"_s + services.system.userName() + u"\\Temp\\"_s);
    FileEntry entry;
    EXPECT_TRUE(services.files.stat(services.system.programFolder() + u"\\kv2000.EXE"_s, &entry));
    EXPECT_EQ(entry.size, 2u);
}

TEST(WindowsCommandLineTest, ArgumentsSplitAsTheRuntimeSplitsThemAndQuotedOnesComeBack)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"\"a b\" c", {"a b", "c"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"C:\\dir\\\\\" x", {"C:\\dir\\", "x"}},
        {"a\\\"b", {"a\"b"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"   ", {}},
    };
    for (const auto& [text, arguments] : cases)
        EXPECT_EQ(WindowsCommandLine::arguments(QString::fromUtf8(text)), arguments) << text;

    const QStringList arguments = {"with space", "", "C:\\dir\\", "quote\"inside", "a\\\"b"};
    QStringList quoted;
    for (const QString& a : arguments)
        quoted.append(WindowsCommandLine::quote(a));
    EXPECT_EQ(WindowsCommandLine::arguments(quoted.join(' ')), arguments);
}

} // namespace
} // namespace kv::test
