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

inline constexpr quint32 hyperRight = 0xffee;  // the last of Shift, Control, Caps Lock, Meta, Alt, Super, Hyper
inline constexpr quint32 level5Shift = 0xfe11;
inline constexpr quint32 modeSwitch = 0xff7e;

// Keys that change what other keys type rather than type themselves.
constexpr bool isModifier(quint32 keysym)
{
    return (keysym >= shiftLeft && keysym <= hyperRight) || keysym == level3Shift || keysym == level5Shift
           || keysym == modeSwitch;
}
}
