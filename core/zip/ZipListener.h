#pragma once

#include "zip/ZipTypes.h"

#include <QString>

namespace kv::zip {

// The events of the zip component. Calls arrive on the thread that runs the operation; a
// listener that lives on another thread (the GUI) marshals them itself and may block the caller
// until the user has answered. The core never shows anything: the controller decides.
class ZipListener
{
public:
    virtual ~ZipListener() = default;

    // A file (zip: its Windows path) or entry (unzip, test: its stored name) was left out.
    virtual void skippingFile(const QString& name, SkipReason reason)
    {
        (void)name;
        (void)reason;
    }
    // A file is about to be added: its Windows path and size in bytes.
    virtual void addingFile(const QString& path, quint64 size)
    {
        (void)path;
        (void)size;
    }
    // An entry is about to be written. entryName is the stored name in the form property 11
    // gives it, with "\" separators; destName (relative to the destination folder) may be
    // changed to write the entry elsewhere below it.
    virtual void extractingFile(const QString& entryName, QString& destName)
    {
        (void)entryName;
        (void)destName;
    }
    // An entry was extracted and checked into a temporary file beside target (the full Windows
    // path of the destination); the new copy takes target's name when this returns true. The
    // listener may keep the existing file first (the Recycle Bin). False leaves the existing
    // file in place and skips the entry with reason 4.
    virtual bool replacingFile(const QString& target)
    {
        (void)target;
        return true;
    }
    // The operation needs another disk in the drive: disk number n counted from 1, 0 for the
    // last disk of a set. True once the disk is in; false refuses (the operation is cancelled).
    virtual bool insertDisk(int diskNumber)
    {
        (void)diskNumber;
        return false;
    }
};

} // namespace kv::zip
