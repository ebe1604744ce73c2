#include "msglog/LogGridModel.h"

#include "msglog/LogView.h"

#include <algorithm>
#include <vector>

LogGridModel::LogGridModel(const LogView::Model& log, QObject* parent)
    : QAbstractTableModel(parent), m_log(log)
{
    DataGridTitleSet(3, 1);
}

QString LogGridModel::baseTitle(int column)
{
    static const char16_t* const titles[5] = {u"", u"名前", u"From/To", u"送受信日時", u"メッセージ"};
    return column >= 0 && column < 5 ? QString::fromUtf16(titles[column]) : QString();
}

void LogGridModel::DataGridTitleSet(int column, int direction)
{
    for (int c = 0; c < 5; ++c) {
        QString t = baseTitle(c);
        if (c == column && (direction == 1 || direction == 2))
            t += (c == 0 ? QString() : QStringLiteral(" ")) + (direction == 1 ? u'▲' : u'▼');
        m_titles[c] = t;
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 4);
}

void LogGridModel::titleClicked(int column)
{
    if (column < 1 || column > 4)
        return;
    if (column == m_sortColumn) {
        m_sortDirection = m_sortDirection == 1 ? 2 : 1;
    } else {
        m_sortColumn = column;
        m_sortDirection = 1;
    }
    Q_EMIT layoutAboutToBeChanged();
    std::vector<std::pair<QString, qint32>> keyed;
    keyed.reserve(std::size_t(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r)
        keyed.emplace_back(cellText(r, column), m_rows[r]);
    const bool ascending = m_sortDirection == 1;
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        const int c = QString::compare(a.first, b.first, Qt::CaseInsensitive);
        return ascending ? c < 0 : c > 0;
    });
    for (int r = 0; r < m_rows.size(); ++r)
        m_rows[r] = keyed[std::size_t(r)].second;
    Q_EMIT layoutChanged();
    DataGridTitleSet(m_sortColumn, m_sortDirection);
}

void LogGridModel::setLook(const Look& look)
{
    m_look = look;
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size() - 1), 4));
}

void LogGridModel::setRows(QList<qint32> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int LogGridModel::rowOfNumber(qint64 number) const
{
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows[r] + 1 == number)
            return r;
    return -1;
}

QString LogGridModel::dateTimeText(const QString& date, const QString& time)
{
    if (date.size() < 8 || time.size() < 6)
        return QString();
    return date.left(4) + u'/' + date.mid(4, 2) + u'/' + date.mid(6, 2) + u' ' + time.left(2) + u':'
        + time.mid(2, 2) + u':' + time.mid(4, 2);
}

QString LogGridModel::cellText(int row, int column) const
{
    const qint32 k = recordAt(row);
    if (k < 0)
        return QString();
    const MessageLog::RecordTable& t = m_log.table();
    switch (column) {
    case 0:
        return QString::number(k + 1);
    case 1:
        return m_log.otherParty(k);
    case 2:
        return t.direction(k) == u'1' ? QStringLiteral("From") : QStringLiteral("To");
    case 3:
        return dateTimeText(t.date(k), t.time(k));
    case 4: {
        QString s = t.text(k);
        s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        return s.mid(1);
    }
    default:
        return QString();
    }
}

int LogGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LogGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant LogGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::BackgroundRole:
        return m_look.background.isValid() ? QVariant(m_look.background) : QVariant();
    case Qt::ForegroundRole:
        // The record number is there to be read back, not seen.
        if (index.column() == 0)
            return m_look.background.isValid() ? QVariant(m_look.background) : QVariant();
        return m_look.text.isValid() ? QVariant(m_look.text) : QVariant();
    case Qt::FontRole:
        return m_look.font;
    default:
        return {};
    }
}

QVariant LogGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 4)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_titles[section];
}
