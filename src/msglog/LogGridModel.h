#pragma once

#include "msglog/MessageLog.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QList>

namespace LogView {
class Model;
}

// The viewer's list grid as a model over the record table: one row per listed
// record, five columns, texts made when drawn. A node of 10,000 records is a
// list of 10,000 numbers, not 50,000 cells.
class LogGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit LogGridModel(const LogView::Model& log, QObject* parent = nullptr);

    // Column titles and the sort state of the title row.
    static QString baseTitle(int column);
    // Writes the five titles with the mark on column (direction 1 " ▲",
    // 2 " ▼", anything else no mark).
    void DataGridTitleSet(int column, int direction);
    QString title(int column) const { return m_titles[column]; }
    int sortColumn() const { return m_sortColumn; }
    int sortDirection() const { return m_sortDirection; }
    // A click on the title of column 1 to 4: the same column toggles the
    // direction, another one sorts ascending. Rows are sorted by their cell
    // text, case-insensitive, equal texts keeping their order.
    void titleClicked(int column);

    // Cell look: background, text colour and font of every cell.
    struct Look {
        QColor background;
        QColor text;
        QFont font;
    };
    void setLook(const Look& look);

    // The records listed, as table indexes (from 0), in row order.
    void setRows(QList<qint32> rows);
    const QList<qint32>& rows() const { return m_rows; }
    qint32 recordAt(int row) const { return m_rows.value(row, -1); }
    // The first row listing record number (from 1), or -1.
    int rowOfNumber(qint64 number) const;

    // The texts of a cell, as the grid shows them.
    QString cellText(int row, int column) const;
    static QString dateTimeText(const QString& date, const QString& time);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const LogView::Model& m_log;
    QList<qint32> m_rows;
    QString m_titles[5];
    int m_sortColumn = 0; // none yet, although the titles show column 3 ascending
    int m_sortDirection = 1;
    Look m_look;
};
