#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QQueue>

#include <functional>

// Records every box and answers from a queue; with the queue empty it answers
// with the box's default button.
class RecordingMessageBox final : public IMessageBox
{
public:
    MsgResult show(const MsgBoxRequest& request) override;

    void queueAnswer(MsgResult answer) { m_answers.enqueue(answer); }
    const QList<MsgBoxRequest>& shown() const { return m_shown; }
    QStringList texts() const;
    QStringList titles() const;
    void clear() { m_shown.clear(); m_answers.clear(); }

    // Called as each box is shown, for tests that look at the program's state
    // while a box waits for the user.
    std::function<void(const MsgBoxRequest&)> onShow;

private:
    QList<MsgBoxRequest> m_shown;
    QQueue<MsgResult> m_answers;
};
