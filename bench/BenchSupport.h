#pragma once

#include "platform/MessageBox.h"

#include <QStringList>

// Counts message boxes instead of showing them; any box means the run went wrong.
class CountingBox final : public IMessageBox
{
public:
    MsgResult show(const MsgBoxRequest& request) override
    {
        texts.append(request.text);
        return defaultAnswer(request);
    }
    QStringList texts;
};
