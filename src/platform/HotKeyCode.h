#pragma once

#include <QList>
#include <QString>
#include <Qt>

// The hot key as the settings store it (setting 64): the low byte is a Windows
// virtual key code, the next byte the modifier flags. Pure functions between
// that code, Qt keys and X keysyms, so capture, display and registration agree.
//
// Punctuation keys are read as on the Japanese 106/109 keyboard the office
// uses (VK_OEM_1 is the ":" key, VK_OEM_PLUS the ";" key, VK_OEM_3 the "@" key).
namespace HotKeyCode {

enum Flag : int {
    Shift = 1,
    Ctrl = 2,
    Alt = 4,
    Ext = 8, // an extended key (the separate arrow and editing keys), as Windows reports it
};

// Virtual key codes the program names.
enum Vk : int {
    VkSpace = 0x20,
    VkPrior = 0x21,
    VkNext = 0x22,
    VkEnd = 0x23,
    VkHome = 0x24,
    VkLeft = 0x25,
    VkUp = 0x26,
    VkRight = 0x27,
    VkDown = 0x28,
    VkInsert = 0x2D,
    VkDelete = 0x2E,
    Vk0 = 0x30,
    VkA = 0x41,
    VkNumpad0 = 0x60,
    VkMultiply = 0x6A,
    VkAdd = 0x6B,
    VkSeparator = 0x6C,
    VkSubtract = 0x6D,
    VkDecimal = 0x6E,
    VkDivide = 0x6F,
    VkF1 = 0x70,
    VkF24 = 0x87,
    VkOem1 = 0xBA,      // ":" key
    VkOemPlus = 0xBB,   // ";" key
    VkOemComma = 0xBC,
    VkOemMinus = 0xBD,
    VkOemPeriod = 0xBE,
    VkOem2 = 0xBF,      // "/"
    VkOem3 = 0xC0,      // "@"
    VkOem4 = 0xDB,      // "["
    VkOem5 = 0xDC,      // "¥"
    VkOem6 = 0xDD,      // "]"
    VkOem7 = 0xDE,      // "^"
    VkOem102 = 0xE2,    // "\" (the ro key)
};

constexpr int vkOf(int code) { return code & 0xFF; }
constexpr int flagsOf(int code) { return (code >> 8) & 0xFF; }
constexpr int make(int vk, int flags) { return ((flags & 0xFF) << 8) | (vk & 0xFF); }

// The virtual key of a Qt key (keypad: the key came from the numeric keypad);
// 0 when that key cannot be a hot key. Shifted symbols give the key they are on.
int vkFromQtKey(int qtKey, bool keypad);

// The Qt key a virtual key produces without Shift; keypad tells whether it is
// a keypad key. 0 when the code names no key of ours.
int qtKeyFromVk(int vk, bool extended, bool* keypad = nullptr);

// Whether Windows marks this key extended when it comes from (or not from) the keypad.
bool isExtended(int vk, bool keypad);

// X keysyms that stand for the code's key, best first (the first one the
// keyboard map has is the key to grab). Empty when the code names no key.
QList<quint32> keysymsOf(int code);

// The key as the settings dialog shows it: "Ctrl + Alt + A"; "なし" for no key.
QString text(int code);
// The name of the key alone ("A", "F5", "Page Up", "Num 7").
QString keyName(int vk, bool extended);

// What the hot key control makes of a key press: the code of the key with its
// modifiers; a key without Ctrl or Alt becomes Alt plus the key (Shift alone is
// not kept). 0 when the key cannot be a hot key.
int fromKeyPress(int qtKey, Qt::KeyboardModifiers modifiers);

// Every virtual key the program knows (for tests and tables).
QList<int> knownVks();

} // namespace HotKeyCode
