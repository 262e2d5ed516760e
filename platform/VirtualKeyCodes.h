#pragma once

#include <cstdint>

// The program's key vocabulary: Windows virtual-key codes, with the values
// winuser.h gives them. Key names, keyboard synthesis and the key capture
// all speak in these codes; each backend translates its own keys to and
// from them.
//
// A code is a byte, as keybd_event takes it; the constants mix with the
// wider integers the interfaces carry codes in without casts.
//
// The letter and digit keys have no names: their code is their upper-case
// character, 'A' (0x41) to 'Z' and '0' (0x30) to '9'.
namespace orvexa::vk {

inline constexpr std::uint8_t Back = 0x08;
inline constexpr std::uint8_t Tab = 0x09;
inline constexpr std::uint8_t Clear = 0x0C;
inline constexpr std::uint8_t Return = 0x0D;
inline constexpr std::uint8_t Shift = 0x10;
inline constexpr std::uint8_t Control = 0x11;
inline constexpr std::uint8_t Menu = 0x12;  // Alt
inline constexpr std::uint8_t Pause = 0x13;
inline constexpr std::uint8_t Capital = 0x14;  // Caps Lock
inline constexpr std::uint8_t Escape = 0x1B;
inline constexpr std::uint8_t Space = 0x20;
inline constexpr std::uint8_t Prior = 0x21;  // Page Up
inline constexpr std::uint8_t Next = 0x22;   // Page Down
inline constexpr std::uint8_t End = 0x23;
inline constexpr std::uint8_t Home = 0x24;
inline constexpr std::uint8_t Left = 0x25;
inline constexpr std::uint8_t Up = 0x26;
inline constexpr std::uint8_t Right = 0x27;
inline constexpr std::uint8_t Down = 0x28;
inline constexpr std::uint8_t Select = 0x29;
inline constexpr std::uint8_t Execute = 0x2B;
inline constexpr std::uint8_t Snapshot = 0x2C;  // Print Screen
inline constexpr std::uint8_t Insert = 0x2D;
inline constexpr std::uint8_t Delete = 0x2E;
inline constexpr std::uint8_t Help = 0x2F;
inline constexpr std::uint8_t LWin = 0x5B;
inline constexpr std::uint8_t RWin = 0x5C;
inline constexpr std::uint8_t Apps = 0x5D;  // the menu key

// The keypad's digits (with Num Lock on) and operators.
inline constexpr std::uint8_t Numpad0 = 0x60;
inline constexpr std::uint8_t Numpad1 = 0x61;
inline constexpr std::uint8_t Numpad2 = 0x62;
inline constexpr std::uint8_t Numpad3 = 0x63;
inline constexpr std::uint8_t Numpad4 = 0x64;
inline constexpr std::uint8_t Numpad5 = 0x65;
inline constexpr std::uint8_t Numpad6 = 0x66;
inline constexpr std::uint8_t Numpad7 = 0x67;
inline constexpr std::uint8_t Numpad8 = 0x68;
inline constexpr std::uint8_t Numpad9 = 0x69;
inline constexpr std::uint8_t Multiply = 0x6A;
inline constexpr std::uint8_t Add = 0x6B;
inline constexpr std::uint8_t Separator = 0x6C;
inline constexpr std::uint8_t Subtract = 0x6D;
inline constexpr std::uint8_t Decimal = 0x6E;
inline constexpr std::uint8_t Divide = 0x6F;

inline constexpr std::uint8_t F1 = 0x70;
inline constexpr std::uint8_t F2 = 0x71;
inline constexpr std::uint8_t F3 = 0x72;
inline constexpr std::uint8_t F4 = 0x73;
inline constexpr std::uint8_t F5 = 0x74;
inline constexpr std::uint8_t F6 = 0x75;
inline constexpr std::uint8_t F7 = 0x76;
inline constexpr std::uint8_t F8 = 0x77;
inline constexpr std::uint8_t F9 = 0x78;
inline constexpr std::uint8_t F10 = 0x79;
inline constexpr std::uint8_t F11 = 0x7A;
inline constexpr std::uint8_t F12 = 0x7B;
inline constexpr std::uint8_t F13 = 0x7C;
inline constexpr std::uint8_t F14 = 0x7D;
inline constexpr std::uint8_t F15 = 0x7E;
inline constexpr std::uint8_t F16 = 0x7F;
inline constexpr std::uint8_t F17 = 0x80;
inline constexpr std::uint8_t F18 = 0x81;
inline constexpr std::uint8_t F19 = 0x82;
inline constexpr std::uint8_t F20 = 0x83;
inline constexpr std::uint8_t F21 = 0x84;
inline constexpr std::uint8_t F22 = 0x85;
inline constexpr std::uint8_t F23 = 0x86;
inline constexpr std::uint8_t F24 = 0x87;

inline constexpr std::uint8_t NumLock = 0x90;
inline constexpr std::uint8_t Scroll = 0x91;  // Scroll Lock

// The sided modifiers. A keyboard hook reports the generic Shift, Control
// and Menu for either key; these press the key of one side.
inline constexpr std::uint8_t LShift = 0xA0;
inline constexpr std::uint8_t RShift = 0xA1;
inline constexpr std::uint8_t LControl = 0xA2;
inline constexpr std::uint8_t RControl = 0xA3;
inline constexpr std::uint8_t LMenu = 0xA4;
inline constexpr std::uint8_t RMenu = 0xA5;

// The punctuation keys, named by what they type on a United States layout.
inline constexpr std::uint8_t Oem1 = 0xBA;       // ;:
inline constexpr std::uint8_t OemPlus = 0xBB;    // =+
inline constexpr std::uint8_t OemComma = 0xBC;   // ,<
inline constexpr std::uint8_t OemMinus = 0xBD;   // -_
inline constexpr std::uint8_t OemPeriod = 0xBE;  // .>
inline constexpr std::uint8_t Oem2 = 0xBF;       // /?
inline constexpr std::uint8_t Oem3 = 0xC0;       // `~
inline constexpr std::uint8_t Oem4 = 0xDB;       // [{
inline constexpr std::uint8_t Oem5 = 0xDC;       // \|
inline constexpr std::uint8_t Oem6 = 0xDD;       // ]}
inline constexpr std::uint8_t Oem7 = 0xDE;       // '"
inline constexpr std::uint8_t Oem102 = 0xE2;     // the extra key of 102-key keyboards, <> on most

}  // namespace orvexa::vk
