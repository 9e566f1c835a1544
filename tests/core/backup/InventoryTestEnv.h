#pragma once

#include "core/oeenv/OeTestEnv.h"

#include "StoreBuilder.h"
#include "backup/Inventory.h"
#include "grid/TreeListModel.h"
#include "shell/MainState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace kv::test {

// A store on drive C: and the state the start-up leaves, for building inventories.
struct InventoryTestEnv : OeTestEnv
{
    static inline const QString kStore = QStringLiteral("C:\\users\\tester\\Main\\");
    static inline const QString kOe4Root = QStringLiteral("C:\\users\\tester\\OE4");

    QString host(const QString& windowsPath) const { return files.toHostPath(windowsPath); }

    void oe5(const storegen::StoreShape& shape, storegen::StoreSummary* summary = nullptr)
    {
        storegen::StoreBuilder builder(7, shape);
        ASSERT_TRUE(builder.writeOe5(host(kStore), summary)) << builder.error().toStdString();
        state.oe5Mode = true;
        state.env.storeFolder = kStore;
    }
    void oe4(const storegen::StoreShape& shape, storegen::StoreSummary* summary = nullptr)
    {
        files.makeSurePath(kOe4Root + u'\\');
        storegen::StoreBuilder builder(7, shape);
        ASSERT_TRUE(builder.writeOe4(host(kOe4Root), summary)) << builder.error().toStdString();
        state.oe5Mode = false;
        state.env.storeFolder = kOe4Root + QStringLiteral("\\Mail\\");
        state.env.oe4.newsFolder = kOe4Root + QStringLiteral("\\News\\");
    }
    // A file of the store, replaced (or removed with an empty name of the source).
    void copyIntoStore(const QString& source, const QString& name)
    {
        QDir().mkpath(host(state.env.storeFolder));
        const QString target = host(state.env.storeFolder + name);
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(source, target)) << source.toStdString();
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    void removeFromStore(const QString& name)
    {
        ASSERT_TRUE(QFile::remove(host(state.env.storeFolder + name))) << name.toStdString();
    }

    bool buildFolders()
    {
        Inventory inventory(platform, ui, settings, state, grid);
        const bool ok = inventory.buildFolders();
        totals = inventory.totals();
        return ok;
    }

    // The rows below the root, indented by depth: mark, text, kind, count and file.
    QStringList rows() const
    {
        QStringList out;
        for (int r = 1; r < grid.totalRowCount(); ++r) {
            const int state = grid.checkState(r);
            const QString mark = state == kSelected ? "[x]" : state == kNotSelected ? "[ ]" : "[-]";
            QStringList parts = {
                QString(2 * qMax(0, grid.level(r) - 1), u' ') + mark + u' ' + grid.text(r),
                grid.cell(r, cell::Type), grid.cell(r, cell::Counts), grid.cell(r, cell::MbxName)};
            while (parts.last().isEmpty())
                parts.removeLast();
            out << parts.join(u'|');
        }
        return out;
    }
    // The row holding a file, -1 when none does.
    int rowOfFile(const QString& name) const { return grid.findCell(cell::MbxName, name, 1); }

    MainState state;
    TreeListModel grid;
    InventoryTotals totals;
};

} // namespace kv::test
