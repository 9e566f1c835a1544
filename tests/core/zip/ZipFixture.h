#pragma once

#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"
#include "zip/ZipComponent.h"
#include "zip/ZipListener.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

#include <gtest/gtest.h>

namespace kv::test {

// Records every event; answers disk requests through a scripted function.
class RecordingListener : public zip::ZipListener
{
public:
    void skippingFile(const QString& name, zip::SkipReason reason) override
    {
        skipped.append({name, int(reason)});
    }
    void addingFile(const QString& path, quint64 size) override
    {
        added.append(path);
        if (onAdding)
            onAdding(path, size);
    }
    void extractingFile(const QString& entryName, QString& destName) override
    {
        extracted.append(entryName);
        if (onExtracting)
            onExtracting(entryName, destName);
    }
    bool insertDisk(int diskNumber) override
    {
        disks.append(diskNumber);
        return onDisk ? onDisk(diskNumber) : false;
    }

    QList<QPair<QString, int>> skipped;
    QStringList added;
    QStringList extracted;
    QList<int> disks;
    std::function<void(const QString&, quint64)> onAdding;
    std::function<void(const QString&, QString&)> onExtracting;
    std::function<bool(int)> onDisk;
};

// Drives C: and D: (fixed) and A: (removable, small) over folders of a scratch directory.
class ZipFixture : public ::testing::Test
{
protected:
    ZipFixture();

    QString host(const QString& windowsPath) const { return m_fs.toHostPath(windowsPath); }
    // Writes a file on a Windows path.
    void put(const QString& windowsPath, const QByteArray& bytes);
    QByteArray get(const QString& windowsPath) const;
    void setFloppy(quint64 capacity);

    // Files of every folder below a host folder, relative paths with "/".
    static QStringList filesBelow(const QString& hostFolder);

public: // scripted listeners reach into the fixture
    TempDir m_dir;
    FaultInjectingFileSystem m_fs;
    RecordingListener m_events;
    zip::ZipComponent m_zip{m_fs, &m_events};
};

// Deterministic test data: mail-like text, base64 lines, bytes that do not compress.
QByteArray mailText(int bytes, quint32 seed);
QByteArray noise(int bytes, quint32 seed);

struct ToolRun
{
    int exitCode = -1;
    QString output;
};
// Runs a program; exit code -1 when it could not start.
ToolRun runTool(const QString& program, const QStringList& args, const QString& workDir = {});
bool haveTool(const QString& program);

} // namespace kv::test
