#pragma once

#include <QtGlobal>

// Colours as the program has always given them: a 32-bit value laid out 0x00BBGGRR (red in the
// low byte), or, with the top bit set, the index of a system colour (0x80000018 is the tooltip
// background). Grids and drawing code keep these values as they are and turn them into screen
// colours only when they draw, so that a system colour follows the current palette.
namespace kv::color {

using ColorRef = quint32;

// "No colour of its own": the grid's or container's colour applies.
inline constexpr ColorRef kDefault = 0xFFFFFFFFu;
inline constexpr ColorRef kSystemFlag = 0x80000000u;

// System colour indices the program uses.
enum SystemColor : quint32
{
    ScrollBar = 0,
    Window = 5,
    WindowText = 8,
    ButtonFace = 15,
    ButtonShadow = 16,
    GrayText = 17,
    ButtonText = 18,
    Highlight3D = 20,
    DarkShadow3D = 21,
    Light3D = 22,
    InfoText = 23,
    InfoBackground = 24,
};

constexpr ColorRef rgb(int r, int g, int b)
{
    return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}
constexpr ColorRef system(quint32 index)
{
    return kSystemFlag | (index & 0xFF);
}
constexpr bool isSystem(ColorRef c)
{
    return c != kDefault && (c & kSystemFlag) != 0;
}
constexpr int red(ColorRef c)
{
    return int(c & 0xFF);
}
constexpr int green(ColorRef c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int blue(ColorRef c)
{
    return int((c >> 16) & 0xFF);
}

// The sixteen colours of the old QBColor palette (0 black .. 15 white); an index outside 0..15
// gives black.
constexpr ColorRef qbColor(int index)
{
    constexpr ColorRef table[16] = {
        rgb(0, 0, 0),       rgb(0, 0, 128),   rgb(0, 128, 0),   rgb(0, 128, 128),
        rgb(128, 0, 0),     rgb(128, 0, 128), rgb(128, 128, 0), rgb(192, 192, 192),
        rgb(128, 128, 128), rgb(0, 0, 255),   rgb(0, 255, 0),   rgb(0, 255, 255),
        rgb(255, 0, 0),     rgb(255, 0, 255), rgb(255, 255, 0), rgb(255, 255, 255)};
    return index >= 0 && index < 16 ? table[index] : table[0];
}

} // namespace kv::color
