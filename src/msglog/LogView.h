#pragma once

#include "msglog/MessageLog.h"

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <vector>

// What the message viewer shows of a loaded log: the record table in the order
// of the chosen tree, the tree itself and the records each node lists. Plain
// logic: the viewer window draws it, tests check it alone.
namespace LogView {

// The four entries of the sort selector.
enum SortIndex : int {
    DateName = 0, // "日付,名前順": date tree with a person level under each day
    Date = 1,     // "日付順": date tree, days are the leaves
    NameDate = 2, // "名前，日付順": name tree with year, month and day under each person
    Name = 3,     // "名前順": name tree, persons are the leaves
    NoSort = 9,   // none yet (start-up)
};
QStringList sortEntries();

// A node's place: its level, the person and the date prefix (4, 6 or 8
// characters). Two nodes of different levels never meet, whatever their
// texts: the person "Taro2006" is not Taro's year 2006.
enum class Level : quint8 { None, Year, Month, Day, DayPerson, Person, PersonYear, PersonMonth, PersonDay, Trash };
struct NodeKey {
    Level level = Level::None;
    QString person;
    QString date;

    bool isNone() const { return level == Level::None; }
    bool isTrash() const { return level == Level::Trash; }
    // The key as the user's tree names it: "YMD" + ..., or "GOMIBAKO".
    QString text() const;
    bool operator==(const NodeKey&) const = default;
};
size_t qHash(const NodeKey& key, size_t seed = 0);

// Images of the viewer's image list (1 to 6).
enum Image : int { Folder = 1, FolderOpen = 2, PersonSelected = 3, Person = 4, TrashEmpty = 5, TrashFull = 6 };

struct Node {
    NodeKey key;
    QString text;
    int image = 0;
    int selectedImage = 0;
    int parent = -1;   // index of the parent node, -1 for a root
    bool expanded = false;
    QList<qint32> records; // table indexes (from 0) it lists, in table order
};

// "(日)" ... "(土)" for a YYYYMMDD date, "()" when it is no date.
QString weekdayText(const QString& yyyymmdd);

class Model
{
public:
    // Takes a freshly loaded table; the order is file order until the next build.
    void load(MessageLog::ParseResult result);

    const MessageLog::ParseResult& loaded() const { return m_result; }
    const MessageLog::RecordTable& table() const { return m_result.records; }
    qsizetype size() const { return m_result.records.size(); }
    bool trashPresent() const { return m_trashPresent; }

    // The other party of record k (table index), decoded once at load.
    const QString& otherParty(qint32 k) const { return m_parties[std::size_t(m_partyOf[std::size_t(k)])]; }

    // Table order: indexes of the records as the tree orders them.
    const std::vector<qint32>& order() const { return m_order; }

    // The selector's click: previous := current, current := index; the tree is
    // built when they differ. Returns true when it built.
    bool select(int index);
    int currentIndex() const { return m_current; }
    int previousIndex() const { return m_previous; }
    void setCurrentIndex(int index) { m_current = index; }
    // Builds the tree of the current index, sorting first when the table is
    // not in that tree's order (after a load it never is).
    void build();
    // Whether the last build sorted, and how many sorts have run.
    bool lastBuildSorted() const { return m_lastSorted; }
    int sortCount() const { return m_sortCount; }

    const QList<Node>& nodes() const { return m_nodes; }
    // Bytes held beside the record table: sort entries, orders, party names, nodes.
    qsizetype memoryBytes() const;
    int findNode(const NodeKey& key) const { return m_index.value(key, -1); }
    // Records listed by a node (none for a year, a month, or an unknown key).
    QList<qint32> listed(const NodeKey& key) const;

private:
    enum class Order { File, ByDate, ByName };
    void sortFor(Order order);
    int addNode(const NodeKey& key, int parent, const QString& text, int image, int selectedImage);
    void buildDateTree(bool withPersons);
    void buildNameTree(bool withDates);

    MessageLog::ParseResult m_result;
    bool m_trashPresent = false;
    std::vector<QString> m_parties;   // distinct other parties, in code-unit order
    std::vector<qint32> m_partyOf;    // record -> index into m_parties (its rank)
    std::vector<qint32> m_order;
    // What sorting and the trees look at, one small entry per record, so the
    // trees walk memory front to back instead of jumping through the table.
    // The record index decides between equal keys: table order, as a stable
    // sort keeps it, from an in-place sort that needs no second buffer.
    struct Key {
        quint64 date;
        quint64 timeTrash; // the time key, and the trash flag in the top bit
        qint32 party;
        qint32 record;
        static constexpr quint64 TrashBit = quint64(1) << 63;
        quint64 time() const { return timeTrash & ~TrashBit; }
        bool trash() const { return timeTrash & TrashBit; }
    };
    std::vector<Key> m_byDate; // file order after a load, date order once sorted
    std::vector<Key> m_byName; // the date order regrouped by person
    bool m_byDateStale = true;
    bool m_byNameStale = true;
    const std::vector<Key>* m_sorted = &m_byDate; // the order of the last build
    Order m_orderKind = Order::File;
    int m_current = NoSort;
    int m_previous = NoSort;
    bool m_lastSorted = false;
    int m_sortCount = 0;

    QList<Node> m_nodes;
    QHash<NodeKey, int> m_index;
    // The same index by numbers (level, party rank, packed date prefix), so a
    // record's nodes are found without building any text.
    struct FastKey {
        Level level;
        qint32 party;
        quint64 date;
        bool operator==(const FastKey&) const = default;
    };
    friend size_t qHash(const FastKey& k, size_t seed) { return qHashMulti(seed, int(k.level), k.party, k.date); }
    QHash<FastKey, int> m_fastIndex;
    int node(const FastKey& fast, qint32 record, int parent);
    struct Memo {
        FastKey key {Level::None, -1, 0};
        int node = -1;
    };
    std::array<Memo, 10> m_memo {};
};

} // namespace LogView
