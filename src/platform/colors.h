// Colour names of the toolkit, as 0xRRGGBB.
#pragma once

#include <cstdint>

namespace platform {

using TColor = uint32_t;

// System colours, fixed here: the classic light-grey face and black text.
inline constexpr TColor clBtnFace = 0xF0F0F0;
inline constexpr TColor clWindowText = 0x000000;

inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clRed = 0xFF0000;
inline constexpr TColor clOrange = 0xFFAA00;
inline constexpr TColor clLightRed = 0xFF5B5B;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clYellow = 0xFFFF00;
inline constexpr TColor clBlue = 0x0000FF;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clDarkGray = 0x444444;

}  // namespace platform
