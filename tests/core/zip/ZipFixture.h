#pragma once

#include "support/FaultInjectingFileSystem.h"
#include "support/RequiredPrograms.h"
#include "support/TempDir.h"
#include "zip/ZipComponent.h"
#include "zip/ZipListener.h"

#include <QStringList>

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace kv::test {

// Records every event; answers disk requests through a scripted function.
struct RecordingListener : zip::ZipListener
{
    void skippingFile(const QString& name, zip::SkipReason why) override
    {
        skipped.append({name, int(why)});
    }
    void addingFile(const QString& path, quint64 size) override { onAdding(path, size); }
    void extractingFile(const QString& entry, QString& dest) override
    {
        extracted.append(entry);
        onExtracting(entry, dest);
    }
    bool insertDisk(int disk) override { return disks.append(disk), onDisk(disk); }

    QList<QPair<QString, int>> skipped;
    QStringList extracted;
    QList<int> disks;
    std::function<void(const QString&, quint64)> onAdding = [](const QString&, quint64) {};
    std::function<void(const QString&, QString&)> onExtracting = [](const QString&, QString&) {};
    std::function<bool(int)> onDisk = [](int) { return false; };
};

// Drives C: and D: (fixed) and A: (removable, small) over folders of a scratch directory.
class ZipFixture : public ::testing::Test
{
protected:
    ZipFixture();

    QString host(const QString& windowsPath) const { return m_fs.toHostPath(windowsPath); }
    void put(const QString& windowsPath, const QByteArray& bytes)
    {
        ASSERT_TRUE(m_fs.writeFile(windowsPath, bytes)) << windowsPath.toStdString();
    }
    QByteArray get(const QString& windowsPath) { return m_fs.readFile(windowsPath); }
    void setFloppy(quint64 capacity);
    int unzipTo(const QString& dest, const QString& files = {},
                zip::PathMode mode = zip::PathMode::FullPath);
    QStringList entryNames();

    // Files below a host folder, sorted relative paths with "/".
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

// Runs a program; its exit code (-1 when it could not start or crashed) and its output.
std::pair<int, std::string> runTool(const QString& program, const QStringList& args,
                                    const QString& workDir = {});
// An independent tool accepts what it is given; outside CI a missing tool is passed over.
void expectToolPasses(const QString& program, const QStringList& args);

} // namespace kv::test
