#include "board/frmIcon.h"

#include "platform/TrayIcon.h"

#include <QIcon>
#include <QLabel>
#include <QRegion>

namespace {
constexpr int kPictureSize = 32;
// The form is larger than its picture; the outline cut leaves the rest out.
constexpr int kFormWidth = 48;
constexpr int kFormHeight = 40;
} // namespace

frmIcon::frmIcon(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("frmIcon"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kFormWidth, kFormHeight);

    imgMail = new QLabel(this);
    imgMail->setObjectName(QStringLiteral("imgMail"));
    imgMail->setGeometry(0, 0, kPictureSize, kPictureSize);
    imgMail->setPixmap(trayPicture(1).pixmap(kPictureSize, kPictureSize));
    // An opaque picture box: the picture's transparent edge shows white, not
    // whatever lies under the window.
    imgMail->setAutoFillBackground(true);
    QPalette pal = imgMail->palette();
    pal.setColor(QPalette::Window, Qt::white);
    imgMail->setPalette(pal);

    setMask(controlsRegion());
}

QRegion frmIcon::controlsRegion() const
{
    // The mask is in the window's client coordinates, which have no border
    // or title bar to allow for.
    QRegion region;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        region += child->geometry();
    return region;
}

void frmIcon::moveBesideCursor(const QPoint& cursorPos)
{
    move(cursorPos + QPoint(CursorOffsetX, CursorOffsetY));
}

void frmIcon::showEvent(QShowEvent* event)
{
    setMask(controlsRegion());
    QWidget::showEvent(event);
}
