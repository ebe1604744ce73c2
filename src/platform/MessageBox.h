#pragma once

#include <QList>
#include <QString>

// Message boxes as the program uses them: text, title, icon, a button set, the
// default button and whether the box is system-modal. Windows talk to the
// interface; tests install a recording double that answers from a queue.
enum class MsgIcon { None, Stop, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgResult { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

struct MsgBoxRequest {
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int defaultButton = 0; // 0 = first button, 1 = second, 2 = third
    bool systemModal = false;
};

class IMessageBox
{
public:
    virtual ~IMessageBox() = default;
    virtual MsgResult show(const MsgBoxRequest& request) = 0;

    // The input and selection error form: stop icon, OK only, system-modal.
    void stop(const QString& text, const QString& title)
    {
        show({text, title, MsgIcon::Stop, MsgButtons::Ok, 0, true});
    }
};

// The answer a box gives when nobody presses anything: its default button.
MsgResult defaultAnswer(const MsgBoxRequest& request);

// The boxes of one copy: shown through another box service until the system
// ends the session, then written to a file in the program folder instead (a
// box shown then would wait for a user who has gone, and the session would
// not end); the next start shows them.
class DeferringMessageBox final : public IMessageBox
{
public:
    explicit DeferringMessageBox(IMessageBox& shown) : m_shown(shown) {}
    MsgResult show(const MsgBoxRequest& request) override;
    // From now on, boxes are appended to file and answered by their default button.
    void deferTo(const QString& file) { m_deferTo = file; }
    bool deferring() const { return !m_deferTo.isEmpty(); }
    // The boxes deferred to file, which is removed.
    static QList<MsgBoxRequest> takeDeferred(const QString& file);

private:
    IMessageBox& m_shown;
    QString m_deferTo;
};

class QtMessageBox final : public IMessageBox
{
public:
    MsgResult show(const MsgBoxRequest& request) override;
};
