#include "editors/ListEditorCore.h"

#include "board/BoardRow.h"

#include <QFileInfo>

ListEditorCore::ListEditorCore(int maxRows)
    : m_maxRows(maxRows)
{
}

void ListEditorCore::load(const QList<QStringList>& rows, int keyField)
{
    m_rows = rows.mid(0, m_maxRows);
    m_modified = false;
    m_selected = m_rows.isEmpty() ? -1 : 0;
    markSaved(keyField);
}

void ListEditorCore::markSaved(int keyField)
{
    m_origins.clear();
    for (const QStringList& r : m_rows)
        m_origins << r.value(keyField);
    m_modified = false;
}

void ListEditorCore::select(int row)
{
    if (row >= 0 && row < count())
        m_selected = row;
}

bool ListEditorCore::add(const QStringList& row)
{
    if (!canAdd())
        return false;
    m_rows << row;
    m_origins << QString();
    m_selected = count() - 1;
    m_modified = true;
    return true;
}

bool ListEditorCore::change(const QStringList& row)
{
    if (!canChange())
        return false;
    m_rows[m_selected] = row;
    m_modified = true;
    return true;
}

bool ListEditorCore::remove()
{
    if (!canDelete())
        return false;
    m_rows.removeAt(m_selected);
    m_origins.removeAt(m_selected);
    m_selected = std::min(m_selected, count() - 1);
    m_modified = true;
    return true;
}

bool ListEditorCore::moveUp()
{
    if (!canMoveUp())
        return false;
    m_rows.swapItemsAt(m_selected, m_selected - 1);
    m_origins.swapItemsAt(m_selected, m_selected - 1);
    --m_selected;
    m_modified = true;
    return true;
}

bool ListEditorCore::moveDown()
{
    if (!canMoveDown())
        return false;
    m_rows.swapItemsAt(m_selected, m_selected + 1);
    m_origins.swapItemsAt(m_selected, m_selected + 1);
    ++m_selected;
    m_modified = true;
    return true;
}

int ListEditorCore::indexOf(const QString& key, int field, int except) const
{
    for (int i = 0; i < count(); ++i)
        if (i != except && m_rows[i].value(field) == key)
            return i;
    return -1;
}

QList<BoardRow> carryOverWhereabouts(const QList<BoardRow>& edited, const QStringList& origins,
                                     const QList<BoardRow>& current)
{
    QList<BoardRow> out = edited;
    QList<bool> used(current.size(), false);
    for (int i = 0; i < out.size(); ++i) {
        const QString origin = origins.value(i);
        if (origin.isEmpty() || out[i].isSeparator())
            continue;
        for (int k = 0; k < current.size(); ++k) {
            if (used[k] || current[k].isSeparator() || current[k].name != origin)
                continue;
            used[k] = true;
            const QString name = out[i].name;
            out[i] = current[k];
            out[i].name = name;
            break;
        }
    }
    return out;
}

namespace ListEditorRules {

QString badCharacterMessage(const QStringList& fields)
{
    for (const QString& f : fields)
        if (f.contains(u'"') || f.contains(u'\r') || f.contains(u'\n'))
            return QStringLiteral("ダブルクォーテーション（\"）と改行は使用できません");
    return {};
}

bool isUsableName(const QString& name, const QString& reserved)
{
    const QString t = name.trimmed();
    return !t.isEmpty() && t != reserved;
}

bool fileNameAllowed(const QString& path, const QString& required)
{
    if (required.isEmpty())
        return true;
    return QFileInfo(path).fileName().compare(required, Qt::CaseInsensitive) == 0;
}

QStringList renumberedGroups(const QStringList& openedOrigins, const QStringList& editedOrigins)
{
    QStringList out;
    for (int i = 0; i < openedOrigins.size(); ++i) {
        const int now = int(editedOrigins.indexOf(openedOrigins[i]));
        if (now == i)
            continue;
        out << (now < 0 ? QStringLiteral("%1 (%2→削除)").arg(openedOrigins[i]).arg(i + 1)
                        : QStringLiteral("%1 (%2→%3)").arg(openedOrigins[i]).arg(i + 1).arg(now + 1));
    }
    return out;
}

void FileStamp::take(const QString& path)
{
    m_path = path;
    m_time = QFileInfo(path).lastModified();
}

bool FileStamp::changedSince() const
{
    if (m_path.isEmpty())
        return false;
    QFileInfo fi(m_path);
    fi.refresh();
    if (!fi.exists())
        return m_time.isValid();
    return fi.lastModified() != m_time;
}

} // namespace ListEditorRules
