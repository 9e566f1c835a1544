#pragma once

#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>

namespace kv::test {

// The programs of the list that are not on the PATH, as one sentence ("" when all are there).
inline QString missingPrograms(std::initializer_list<const char*> programs)
{
    QStringList missing;
    for (const char* program : programs)
        if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
            missing << QLatin1String(program);
    return missing.isEmpty() ? QString()
                             : QStringLiteral("not installed: ") + missing.join(u", ") +
                                   QStringLiteral(" (scripts/setup installs them)");
}

// CI runs every test: scripts/setup has installed what they need there.
inline bool mustRunEveryTest()
{
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

} // namespace kv::test

// Skips the test, saying why, where one of the programs is missing; in CI that is a failure.
#define KV_REQUIRE_PROGRAMS(...)                                                                   \
    do {                                                                                           \
        const QString kvMissing = kv::test::missingPrograms({__VA_ARGS__});                        \
        if (!kvMissing.isEmpty()) {                                                                \
            if (kv::test::mustRunEveryTest())                                                      \
                FAIL() << kvMissing.toStdString();                                                 \
            GTEST_SKIP() << kvMissing.toStdString();                                               \
        }                                                                                          \
    } while (false)
