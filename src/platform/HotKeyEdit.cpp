#include "platform/HotKeyEdit.h"

#include "platform/HotKeyCode.h"

#include <QKeyEvent>

namespace {

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

// The modifier a modifier key itself stands for. Systems differ in whether a
// modifier key's own event already carries it, so it is added or taken away
// explicitly.
Qt::KeyboardModifiers modifierOf(int key)
{
    switch (key) {
    case Qt::Key_Shift: return Qt::ShiftModifier;
    case Qt::Key_Control: return Qt::ControlModifier;
    case Qt::Key_Alt: return Qt::AltModifier;
    default: return Qt::NoModifier;
    }
}

} // namespace

HotKeyEdit::HotKeyEdit(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true); // typed text never lands in the box; keys are read instead
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setText(HotKeyCode::text(0));
}

void HotKeyEdit::setValue(int code)
{
    // Only the key and its flags are part of the code.
    code &= 0xFFFF;
    if (HotKeyCode::keyName(HotKeyCode::vkOf(code), HotKeyCode::flagsOf(code) & HotKeyCode::Ext).isEmpty())
        code = 0;
    m_value = code;
    setText(HotKeyCode::text(code));
}

bool HotKeyEdit::event(QEvent* event)
{
    // Alt+letter and the like are the user's key here, not a shortcut or a
    // mnemonic of the dialog.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plainTab = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (!plainTab) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void HotKeyEdit::showModifiers(Qt::KeyboardModifiers modifiers)
{
    QString partial;
    if (modifiers & Qt::ControlModifier)
        partial += QStringLiteral("Ctrl + ");
    if (modifiers & Qt::ShiftModifier)
        partial += QStringLiteral("Shift + ");
    if (modifiers & Qt::AltModifier)
        partial += QStringLiteral("Alt + ");
    setText(partial.isEmpty() ? HotKeyCode::text(m_value) : partial);
}

void HotKeyEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (isModifierKey(key)) {
        showModifiers(mods | modifierOf(key));
        event->accept();
        return;
    }
    const bool noModifier = !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (noModifier && key == Qt::Key_Backspace) {
        const bool changed = m_value != 0;
        setValue(0);
        if (changed)
            Q_EMIT valueChanged(0);
        event->accept();
        return;
    }
    // Enter and Esc without a modifier belong to the dialog (OK, Cancel).
    if (noModifier && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)) {
        event->ignore();
        return;
    }
    const int code = HotKeyCode::fromKeyPress(key, mods);
    if (code == 0) {
        // Not a key that can be a hot key: the box keeps its value.
        setText(HotKeyCode::text(m_value));
        event->accept();
        return;
    }
    const bool changed = code != m_value;
    setValue(code);
    if (changed)
        Q_EMIT valueChanged(code);
    event->accept();
}

void HotKeyEdit::keyReleaseEvent(QKeyEvent* event)
{
    if (isModifierKey(event->key()))
        showModifiers(event->modifiers() & ~modifierOf(event->key())); // those still held
    event->accept();
}

void HotKeyEdit::focusOutEvent(QFocusEvent* event)
{
    setText(HotKeyCode::text(m_value));
    QLineEdit::focusOutEvent(event);
}
