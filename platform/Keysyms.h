#pragma once
// The X keysyms the dictation flow names, so code outside the X11 layer needs no X headers.

#include <QtGlobal>

namespace Keysyms {
inline constexpr quint32 controlLeft = 0xffe3;
inline constexpr quint32 controlRight = 0xffe4;
inline constexpr quint32 shiftLeft = 0xffe1;
inline constexpr quint32 altRight = 0xffea;
inline constexpr quint32 level3Shift = 0xfe03;  // right Alt where the layout makes it AltGr
inline constexpr quint32 superRight = 0xffec;
inline constexpr quint32 escape = 0xff1b;
inline constexpr quint32 letterV = 0x0076;
inline constexpr quint32 letterZ = 0x007a;
}
