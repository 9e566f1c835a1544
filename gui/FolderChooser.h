#pragma once

#include <QString>

class QWidget;

namespace kv::platform {
class IFileSystem;
}

namespace kv::gui {

// The folder chooser: folders only, with the given title. Returns the chosen folder as a Windows
// path (through the prefix's drives, else Z:), or "" when cancelled. startAt (a Windows path)
// is where the chooser opens; empty: the chooser's own default.
QString chooseFolder(QWidget* owner, const QString& title, const platform::IFileSystem& files,
                     const QString& startAt = QString());

} // namespace kv::gui
