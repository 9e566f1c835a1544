#include "ScreenColor.h"

namespace kv::gui {

namespace {

QColor systemColor(quint32 index, const QPalette& pal, const QColor& fallback)
{
    using namespace color;
    switch (index) {
    case Window:
        return pal.color(QPalette::Base);
    case WindowText:
        return pal.color(QPalette::Text);
    case ButtonFace:
        return pal.color(QPalette::Button);
    case ButtonShadow:
        return pal.color(QPalette::Dark);
    case GrayText:
        return pal.color(QPalette::Disabled, QPalette::Text);
    case ButtonText:
        return pal.color(QPalette::ButtonText);
    case Highlight3D:
        return pal.color(QPalette::Light);
    case DarkShadow3D:
        return pal.color(QPalette::Shadow);
    case Light3D:
        return pal.color(QPalette::Midlight);
    case InfoText:
        return pal.color(QPalette::ToolTipText);
    case InfoBackground:
        return pal.color(QPalette::ToolTipBase);
    default:
        return fallback;
    }
}

} // namespace

QColor screenColor(color::ColorRef value, const QPalette& palette, const QColor& fallback)
{
    if (value == color::kDefault)
        return fallback;
    if (color::isSystem(value))
        return systemColor(value & 0xFF, palette, fallback);
    return QColor(color::red(value), color::green(value), color::blue(value));
}

} // namespace kv::gui
