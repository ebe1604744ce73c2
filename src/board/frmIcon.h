#pragma once

#include <QWidget>

class QLabel;

// The mail mark that follows the mouse cursor while a received message waits:
// a frameless, always-on-top tool window that never takes the focus, with the
// mail picture as its only control and its outline cut to its controls, so
// only the picture shows.
class frmIcon : public QWidget
{
    Q_OBJECT

public:
    // Where the mark sits from the cursor.
    static constexpr int CursorOffsetX = 15;
    static constexpr int CursorOffsetY = 10;

    explicit frmIcon(QWidget* parent = nullptr);

    // Places the window beside the cursor at cursorPos (screen pixels).
    void moveBesideCursor(const QPoint& cursorPos);
    // The union of the rectangles of the window's controls, in its own pixels.
    QRegion controlsRegion() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* imgMail = nullptr;
};
