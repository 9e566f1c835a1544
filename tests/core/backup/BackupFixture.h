#pragma once

#include "backup/BackupRun.h"
#include "backup/Inventory.h"
#include "grid/TreeListModel.h"
#include "platform/Platform.h"
#include "shell/AppSettings.h"
#include "shell/MainState.h"
#include "support/FakeProcesses.h"
#include "support/FakeSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUi.h"

#include "../shell/ShellTestEnv.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace kv::test {

// A Windows environment with a generated mail store, the other items a backup saves, and the
// grid the inventory would have filled for it; a backup run over it with a fixed clock.
class BackupFixture : public ::testing::Test
{
protected:
    struct Store
    {
        bool oe5 = true;
        bool news = true;
        QString identityId = QStringLiteral("{6A3C1F20-5B2E-4D11-9C11-000000000001}");
        QString identityName = QStringLiteral("Main Identity");
        QString storeFolder = QStringLiteral("C:\\users\\tester\\Mail\\Main");
        quint32 seed = 7;
    };

    BackupFixture();

    // Writes the store and the other items and fills the grid; `leftOut` groups stay unticked.
    void makeEnvironment(const Store& store, const QList<ItemKind>& leftOut = {});
    QString archivePath() const;
    void runBackup();

    int row(const QString& display) const;

    QString host(const QString& windowsPath) const { return m_fs.toHostPath(windowsPath); }
    QByteArray readFile(const QString& windowsPath) { return m_fs.readFile(windowsPath); }
    bool exists(const QString& windowsPath);
    QStringList fileLines(const QString& windowsPath);
    QStringList entryNames(const QString& archive);
    // Every entry compared with the file it was made from; "" when all agree.
    QString entriesMatchSources(const QString& archive);
    QString setting(SectionKind kind, const char* key);

    FaultInjectingFileSystem m_fs;
    FakeSystem m_system;
    FakeProcesses m_processes;
    platform::Platform m_platform{m_fs.prefix().registry(), m_fs, m_system, m_processes};
    AppSettings m_settings{m_fs.prefix().registry()};
    ScriptedUi m_ui;
    RecordingProgress m_progress;
    MainState m_state;
    TreeListModel m_grid;
    InventoryTotals m_totals;
    std::unique_ptr<BackupRun> m_run;
};

} // namespace kv::test
