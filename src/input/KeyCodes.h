#pragma once

// Key codes name physical key positions, not characters: the scan codes of a PC keyboard
// (set 1), with 0x80 added for the extended keys (arrows, keypad Enter, right-hand
// modifiers...). The keyboard layout therefore never matters.
inline constexpr int KeyCodeEscape = 0x01;
inline constexpr int KeyCodeSpace = 0x39;
inline constexpr int KeyCodeF9 = 0x43;
inline constexpr int KeyCodeF10 = 0x44;
inline constexpr int KeyCodeF11 = 0x57;
inline constexpr int KeyCodeF12 = 0x58;
inline constexpr int KeyCodePrintScreen = 0xB7;
inline constexpr int KeyCodeUp = 0xC8;
inline constexpr int KeyCodeLeft = 0xCB;
inline constexpr int KeyCodeRight = 0xCD;
inline constexpr int KeyCodeDown = 0xD0;

// Every key code is below this.
inline constexpr int KeyCodeCount = 256;
