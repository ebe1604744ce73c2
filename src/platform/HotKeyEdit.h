#pragma once

#include <QLineEdit>

// The hot key control of the settings dialog: the user presses the key
// combination and the box shows it as Windows does ("Ctrl + Alt + A"). Its value
// is setting 64's form (platform/HotKeyCode.h). A key without Ctrl or Alt is
// taken as Alt plus the key; Backspace alone clears it; Tab moves on.
class HotKeyEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit HotKeyEdit(QWidget* parent = nullptr);

    int value() const { return m_value; }
    void setValue(int code);

Q_SIGNALS:
    // The user changed the key (not emitted by setValue).
    void valueChanged(int code);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showModifiers(Qt::KeyboardModifiers modifiers);

    int m_value = 0;
};
