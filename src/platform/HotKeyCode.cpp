#include "platform/HotKeyCode.h"

#include <X11/keysym.h>

namespace HotKeyCode {

namespace {

struct Punct {
    int vk;
    int plain;   // Qt key without Shift (Japanese layout)
    int shifted; // Qt key with Shift, 0 if none
    const char16_t* name;
    quint32 keysyms[3];
};

// The punctuation keys of the Japanese 106/109 keyboard. Keysyms, best first:
// X's Japanese map puts "\" on both the yen key and the ro key (the ro key
// has the lower key code, so "\" finds it); the yen key is found by its "|".
constexpr Punct kPunct[] = {
    {VkOem1, Qt::Key_Colon, Qt::Key_Asterisk, u":", {XK_colon, 0, 0}},
    {VkOemPlus, Qt::Key_Semicolon, Qt::Key_Plus, u";", {XK_semicolon, 0, 0}},
    {VkOemComma, Qt::Key_Comma, Qt::Key_Less, u",", {XK_comma, 0, 0}},
    {VkOemMinus, Qt::Key_Minus, Qt::Key_Equal, u"-", {XK_minus, 0, 0}},
    {VkOemPeriod, Qt::Key_Period, Qt::Key_Greater, u".", {XK_period, 0, 0}},
    {VkOem2, Qt::Key_Slash, Qt::Key_Question, u"/", {XK_slash, 0, 0}},
    {VkOem3, Qt::Key_At, Qt::Key_QuoteLeft, u"@", {XK_at, 0, 0}},
    {VkOem4, Qt::Key_BracketLeft, Qt::Key_BraceLeft, u"[", {XK_bracketleft, 0, 0}},
    {VkOem5, Qt::Key_yen, Qt::Key_Bar, u"¥", {XK_yen, XK_bar, XK_backslash}},
    {VkOem6, Qt::Key_BracketRight, Qt::Key_BraceRight, u"]", {XK_bracketright, 0, 0}},
    {VkOem7, Qt::Key_AsciiCircum, Qt::Key_AsciiTilde, u"^", {XK_asciicircum, 0, 0}},
    {VkOem102, Qt::Key_Backslash, Qt::Key_Underscore, u"\\", {XK_backslash, 0, 0}},
};

// Shift + digit on the Japanese keyboard.
constexpr int kShiftedDigits[10] = {
    0, Qt::Key_Exclam, Qt::Key_QuoteDbl, Qt::Key_NumberSign, Qt::Key_Dollar, Qt::Key_Percent,
    Qt::Key_Ampersand, Qt::Key_Apostrophe, Qt::Key_ParenLeft, Qt::Key_ParenRight,
};

struct Nav {
    int vk;
    int qtKey;
    const char16_t* name;       // the separate key
    const char16_t* keypadName; // the same key on the keypad (NumLock off)
    quint32 keysym;
    quint32 keypadKeysym;
};

constexpr Nav kNav[] = {
    {VkPrior, Qt::Key_PageUp, u"Page Up", u"Num 9", XK_Prior, XK_KP_Prior},
    {VkNext, Qt::Key_PageDown, u"Page Down", u"Num 3", XK_Next, XK_KP_Next},
    {VkEnd, Qt::Key_End, u"End", u"Num 1", XK_End, XK_KP_End},
    {VkHome, Qt::Key_Home, u"Home", u"Num 7", XK_Home, XK_KP_Home},
    {VkLeft, Qt::Key_Left, u"Left", u"Num 4", XK_Left, XK_KP_Left},
    {VkUp, Qt::Key_Up, u"Up", u"Num 8", XK_Up, XK_KP_Up},
    {VkRight, Qt::Key_Right, u"Right", u"Num 6", XK_Right, XK_KP_Right},
    {VkDown, Qt::Key_Down, u"Down", u"Num 2", XK_Down, XK_KP_Down},
    {VkInsert, Qt::Key_Insert, u"Insert", u"Num 0", XK_Insert, XK_KP_Insert},
    {VkDelete, Qt::Key_Delete, u"Delete", u"Num Del", XK_Delete, XK_KP_Delete},
};

struct KeypadOp {
    int vk;
    int qtKey;
    const char16_t* name;
    quint32 keysym;
};

constexpr KeypadOp kKeypadOps[] = {
    {VkMultiply, Qt::Key_Asterisk, u"Num *", XK_KP_Multiply},
    {VkAdd, Qt::Key_Plus, u"Num +", XK_KP_Add},
    {VkSeparator, Qt::Key_Comma, u"Num ,", XK_KP_Separator},
    {VkSubtract, Qt::Key_Minus, u"Num -", XK_KP_Subtract},
    {VkDecimal, Qt::Key_Period, u"Num .", XK_KP_Decimal},
    {VkDivide, Qt::Key_Slash, u"Num /", XK_KP_Divide},
};

const Nav* navOf(int vk)
{
    for (const Nav& n : kNav)
        if (n.vk == vk)
            return &n;
    return nullptr;
}

const KeypadOp* keypadOpOf(int vk)
{
    for (const KeypadOp& k : kKeypadOps)
        if (k.vk == vk)
            return &k;
    return nullptr;
}

const Punct* punctOf(int vk)
{
    for (const Punct& p : kPunct)
        if (p.vk == vk)
            return &p;
    return nullptr;
}

} // namespace

int vkFromQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return VkNumpad0 + (qtKey - Qt::Key_0);
        for (const KeypadOp& k : kKeypadOps)
            if (k.qtKey == qtKey)
                return k.vk;
        // Keypad Enter and the like are not hot keys; the editing keys of the
        // keypad (NumLock off) are, as Windows gives them.
        for (const Nav& n : kNav)
            if (n.qtKey == qtKey)
                return n.vk;
        return 0;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return VkA + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return Vk0 + (qtKey - Qt::Key_0);
    for (int d = 1; d < 10; ++d)
        if (kShiftedDigits[d] == qtKey)
            return Vk0 + d;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VkF1 + (qtKey - Qt::Key_F1);
    if (qtKey == Qt::Key_Space)
        return VkSpace;
    for (const Nav& n : kNav)
        if (n.qtKey == qtKey)
            return n.vk;
    for (const Punct& p : kPunct)
        if (p.plain == qtKey || p.shifted == qtKey)
            return p.vk;
    return 0;
}

int qtKeyFromVk(int vk, bool extended, bool* keypad)
{
    auto result = [&](int key, bool pad) {
        if (keypad)
            *keypad = pad;
        return key;
    };
    if (vk >= VkA && vk < VkA + 26)
        return result(Qt::Key_A + (vk - VkA), false);
    if (vk >= Vk0 && vk < Vk0 + 10)
        return result(Qt::Key_0 + (vk - Vk0), false);
    if (vk >= VkNumpad0 && vk < VkNumpad0 + 10)
        return result(Qt::Key_0 + (vk - VkNumpad0), true);
    if (vk >= VkF1 && vk <= VkF24)
        return result(Qt::Key_F1 + (vk - VkF1), false);
    if (vk == VkSpace)
        return result(Qt::Key_Space, false);
    if (const Nav* n = navOf(vk))
        return result(n->qtKey, !extended);
    if (const KeypadOp* k = keypadOpOf(vk))
        return result(k->qtKey, true);
    if (const Punct* p = punctOf(vk))
        return result(p->plain, false);
    return result(0, false);
}

bool isExtended(int vk, bool keypad)
{
    if (navOf(vk))
        return !keypad;
    return vk == VkDivide;
}

QList<quint32> keysymsOf(int code)
{
    const int vk = vkOf(code);
    const bool extended = flagsOf(code) & Ext;
    if (vk >= VkA && vk < VkA + 26)
        return {quint32(XK_a + (vk - VkA))};
    if (vk >= Vk0 && vk < Vk0 + 10)
        return {quint32(XK_0 + (vk - Vk0))};
    if (vk >= VkNumpad0 && vk < VkNumpad0 + 10)
        return {quint32(XK_KP_0 + (vk - VkNumpad0))};
    if (vk >= VkF1 && vk <= VkF24)
        return {quint32(XK_F1 + (vk - VkF1))};
    if (vk == VkSpace)
        return {quint32(XK_space)};
    if (const Nav* n = navOf(vk))
        return {extended ? n->keysym : n->keypadKeysym};
    if (const KeypadOp* k = keypadOpOf(vk))
        return {k->keysym};
    if (const Punct* p = punctOf(vk)) {
        QList<quint32> out;
        for (quint32 s : p->keysyms)
            if (s != 0)
                out.append(s);
        return out;
    }
    return {};
}

QString keyName(int vk, bool extended)
{
    if (vk >= VkA && vk < VkA + 26)
        return QString(QChar(u'A' + (vk - VkA)));
    if (vk >= Vk0 && vk < Vk0 + 10)
        return QString(QChar(u'0' + (vk - Vk0)));
    if (vk >= VkNumpad0 && vk < VkNumpad0 + 10)
        return QStringLiteral("Num ") + QChar(u'0' + (vk - VkNumpad0));
    if (vk >= VkF1 && vk <= VkF24)
        return QStringLiteral("F") + QString::number(vk - VkF1 + 1);
    if (vk == VkSpace)
        return QStringLiteral("Space");
    if (const Nav* n = navOf(vk))
        return QString::fromUtf16(extended ? n->name : n->keypadName);
    if (const KeypadOp* k = keypadOpOf(vk))
        return QString::fromUtf16(k->name);
    if (const Punct* p = punctOf(vk))
        return QString::fromUtf16(p->name);
    return QString();
}

QString text(int code)
{
    const int vk = vkOf(code);
    const QString key = keyName(vk, flagsOf(code) & Ext);
    if (key.isEmpty())
        return QStringLiteral("なし");
    const int flags = flagsOf(code);
    // Windows' order: Ctrl, Shift, Alt.
    QString out;
    if (flags & Ctrl)
        out += QStringLiteral("Ctrl + ");
    if (flags & Shift)
        out += QStringLiteral("Shift + ");
    if (flags & Alt)
        out += QStringLiteral("Alt + ");
    return out + key;
}

int fromKeyPress(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    const int vk = vkFromQtKey(qtKey, keypad);
    if (vk == 0)
        return 0;
    int flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= Shift;
    if (modifiers & Qt::ControlModifier)
        flags |= Ctrl;
    if (modifiers & Qt::AltModifier)
        flags |= Alt;
    // No modifier, or Shift alone, would take the key from every program
    // while typing: the control turns it into Alt plus the key.
    if (flags == 0 || flags == Shift)
        flags = Alt;
    if (isExtended(vk, keypad))
        flags |= Ext;
    return make(vk, flags);
}

QList<int> knownVks()
{
    QList<int> out;
    for (int i = 0; i < 26; ++i)
        out.append(VkA + i);
    for (int i = 0; i < 10; ++i)
        out.append(Vk0 + i);
    for (int i = 0; i < 10; ++i)
        out.append(VkNumpad0 + i);
    for (int vk = VkF1; vk <= VkF24; ++vk)
        out.append(vk);
    out.append(VkSpace);
    for (const Nav& n : kNav)
        out.append(n.vk);
    for (const KeypadOp& k : kKeypadOps)
        out.append(k.vk);
    for (const Punct& p : kPunct)
        out.append(p.vk);
    return out;
}

} // namespace HotKeyCode
