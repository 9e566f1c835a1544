#pragma once

#include <QIcon>
#include <QString>

namespace kv::gui {

// The program's icon (window icon and the picture of the opening page and the About box).
QIcon programIcon();

// The version text shown on the opening page and in the About box:
// major "." minor " rev " build "." revision.
QString programVersionText();

} // namespace kv::gui
