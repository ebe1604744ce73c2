#include "board/AbsenceWatch.h"

#include "board/BoardAccess.h"
#include "platform/InputActivity.h"
#include "platform/TextCodec.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <limits>
#include <memory>

void AbsenceWatch::start()
{
    m_counter = 0;
    m_ctx.inputActivity().usedSincePoll();
}

bool AbsenceWatch::tick()
{
    if (m_ctx.inputActivity().usedSincePoll()) {
        m_counter = 0;
        return false;
    }
    // A limit above the counter's range (a hand-edited settings file) would
    // overflow it; it stays at its top instead and the change never comes.
    const int next = int(m_counter) + TickSeconds;
    m_counter = qint16(std::min(next, int(std::numeric_limits<qint16>::max())));
    if (m_counter <= m_ctx.settings().intValue(SettingNo::InactivityTime))
        return false;
    absenceChange(m_ctx);
    m_counter = AfterAbsence;
    return true;
}

namespace {
// As the board file stores it: a condition typed with a JIS form (〜) matches
// the row read back from the file (～).
QString stored(const QString& text)
{
    return Sjis::decode(Sjis::encode(text));
}
} // namespace

int absenceChange(AppContext& ctx)
{
    const Settings& s = ctx.settings();
    const QString name = s.text(SettingNo::UserName);
    const QString condDest = stored(s.text(107));
    const QString condReturn = stored(s.text(108));
    const QString destination = s.text(105);
    const QString expectedReturn = s.text(106);
    const QString extension = s.text(SettingNo::Extension);
    const QString mail = s.text(SettingNo::MailAddress);
    // The moment of the absence, also when a share that is away takes the
    // change only later.
    const QString setTime = SetTimeText(ctx.clock());
    int changed = 0;
    for (int i = 0; i < BoardState::BoardCount; ++i) {
        const BoardEntry e = ctx.board().entries[std::size_t(i)];
        if (e.number < 1 || e.number > BoardState::BoardCount || !e.shown || !e.loggedIn)
            continue;
        auto here = std::make_shared<int>(0);
        const CycleResult result = updateOrKeep(ctx, i, e.path, [=](QList<BoardRow>& rows) {
            *here = 0;
            forEachOwnRow(rows, name, [&](BoardRow& r) {
                if (stored(r.destination) != condDest || stored(r.expectedReturn) != condReturn)
                    return;
                r.destination = destination;
                r.expectedReturn = expectedReturn;
                r.extension = extension;
                r.setTime = setTime;
                r.mailAddress = mail;
                r.login = QStringLiteral("1");
                ++*here;
            });
        });
        if (result == CycleResult::Written)
            changed += *here;
    }
    return changed;
}
