#include "platform/SelectOnEntry.h"

#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

class SelectOnEntry final : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            if (auto* box = qobject_cast<QLineEdit*>(watched))
                QTimer::singleShot(0, box, &QLineEdit::selectAll);
        return false;
    }
};

} // namespace

void selectAllOnEntry(QLineEdit* box)
{
    box->installEventFilter(new SelectOnEntry(box));
}
