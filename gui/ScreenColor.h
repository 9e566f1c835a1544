#pragma once

#include "util/ColorRef.h"

#include <QColor>
#include <QPalette>

namespace kv::gui {

// The screen colour of a program colour value: plain values by their red, green and blue bytes,
// system colours from the palette (so they follow the desktop's theme), color::kDefault as the
// fallback.
QColor screenColor(color::ColorRef value, const QPalette& palette, const QColor& fallback = {});

} // namespace kv::gui
