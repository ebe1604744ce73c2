#include "board/GridHeader.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyleOptionHeader>

GridHeader::GridHeader(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent)
{
    // What a table view gives its own header, less the highlighting.
    setSectionsClickable(true);
    setHighlightSections(false);
    // The labels keep the application's font when the grid takes the user's
    // font for its cells, as the table's own header did.
    QFont labels = QApplication::font(this);
    labels.setResolveMask(QFont::AllPropertiesResolved);
    setFont(labels);
}

QSize GridHeader::sectionSizeFromContents(int logicalIndex) const
{
    // As the base measures a label, only without making its font bold.
    if (!model())
        return {};
    ensurePolished();
    const QVariant hint = model()->headerData(logicalIndex, orientation(), Qt::SizeHintRole);
    if (hint.isValid())
        return qvariant_cast<QSize>(hint);

    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.section = logicalIndex;
    const QVariant font = model()->headerData(logicalIndex, orientation(), Qt::FontRole);
    opt.fontMetrics = QFontMetrics(font.isValid() && font.canConvert<QFont>() ? qvariant_cast<QFont>(font) : this->font());
    opt.text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const QVariant decoration = model()->headerData(logicalIndex, orientation(), Qt::DecorationRole);
    opt.icon = qvariant_cast<QIcon>(decoration);
    if (opt.icon.isNull())
        opt.icon = qvariant_cast<QPixmap>(decoration);
    if (isSortIndicatorShown())
        opt.sortIndicator = QStyleOptionHeader::SortDown;
    return style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), this);
}
