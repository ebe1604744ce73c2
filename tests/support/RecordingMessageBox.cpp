#include "support/RecordingMessageBox.h"

MsgResult RecordingMessageBox::show(const MsgBoxRequest& request)
{
    m_shown.append(request);
    if (onShow)
        onShow(request);
    return m_answers.isEmpty() ? defaultAnswer(request) : m_answers.dequeue();
}

QStringList RecordingMessageBox::texts() const
{
    QStringList t;
    for (const MsgBoxRequest& r : m_shown)
        t.append(r.text);
    return t;
}

QStringList RecordingMessageBox::titles() const
{
    QStringList t;
    for (const MsgBoxRequest& r : m_shown)
        t.append(r.title);
    return t;
}
