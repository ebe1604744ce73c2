#pragma once

#include "platform/MessageBox.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <limits>

// The best of runs of f, in milliseconds.
template<typename F>
double bestMs(int runs, F&& f)
{
    double best = std::numeric_limits<double>::max();
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

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
