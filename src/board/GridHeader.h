#pragma once

#include <QHeaderView>

// The column header of a board grid. Its labels are never highlighted (no bold
// label while a row is selected), so each is measured in the font it is drawn
// in: Qt measures every label in bold, which for Japanese labels loads the bold
// face of a Japanese font at the start only to measure text never drawn bold.
class GridHeader : public QHeaderView
{
public:
    explicit GridHeader(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
};
