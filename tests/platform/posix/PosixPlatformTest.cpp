#include "TestPrefix.h"

#include "platform/posix/PosixPlatform.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using platform::posix::PosixPlatform;

TEST(PosixPlatformTest, ServicesShareTheRegistryTheyWereGiven)
{
    TestPrefix t;
    t.write(QStringLiteral("prefix/drive_c/Program Files/Tools/K2K/KV2000.exe"), "MZ");
    auto registry = std::make_unique<FakeRegistry>();
    FakeRegistry* raw = registry.get();
    raw->setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"), QStringLiteral("a:"),
                   QStringLiteral("floppy"));
    PosixPlatform::Options options;
    options.programFolder = QStringLiteral("C:\\Program Files\\Tools\\K2K");
    PosixPlatform platform(t.prefix(), std::move(registry), options);
    Platform services = platform.services();

    EXPECT_EQ(&services.registry, raw);
    EXPECT_EQ(services.files.driveType(QStringLiteral("A:\\")), DriveType::Removable);
    raw->setString(Hive::CurrentUser, QStringLiteral("Software\\Wine"), QStringLiteral("Version"),
                   QStringLiteral("win98"));
    EXPECT_EQ(services.system.systemDirectory(), QStringLiteral("C:\\windows\\system"));
    FileEntry entry;
    EXPECT_TRUE(services.files.stat(services.system.programFolder() + QStringLiteral("\\kv2000.EXE"), &entry));
    EXPECT_EQ(entry.size, 2u);
}

} // namespace
} // namespace kv::test
