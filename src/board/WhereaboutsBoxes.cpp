#include "board/WhereaboutsBoxes.h"

#include "board/WhereaboutsLists.h"
#include "startup/AppContext.h"

#include <QComboBox>

namespace WhereaboutsBoxes {

namespace {
void fill(QComboBox* box, const QStringList& entries)
{
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(box->count() > 0 ? 0 : -1);
}
} // namespace

void fillDestinations(QComboBox* box, const AppContext& ctx)
{
    fill(box, WhereaboutsLists::personalEntries(ctx.programPath(QStringLiteral("where.ini")))
                  + WhereaboutsLists::commonEntries(ctx.settings().text(20)));
}

void fillReturns(QComboBox* box, const AppContext& ctx)
{
    fill(box, WhereaboutsLists::personalEntries(ctx.programPath(QStringLiteral("return.ini")))
                  + WhereaboutsLists::commonEntries(ctx.settings().text(21)));
}

void makeEditable(QComboBox* box)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
}

} // namespace WhereaboutsBoxes
