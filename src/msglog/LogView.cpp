#include "msglog/LogView.h"

#include <QDate>

#include <algorithm>
#include <array>
#include <cstring>

namespace LogView {

QStringList sortEntries()
{
    return {QStringLiteral("日付,名前順"), QStringLiteral("日付順"), QStringLiteral("名前，日付順"),
            QStringLiteral("名前順")};
}

QString NodeKey::text() const
{
    const QString ymd = QStringLiteral("YMD");
    switch (level) {
    case Level::None:
        return QString();
    case Level::Trash:
        return QStringLiteral("GOMIBAKO");
    case Level::Year:
    case Level::Month:
    case Level::Day:
        return ymd + date;
    case Level::DayPerson:
        return ymd + date + person;
    case Level::Person:
        return ymd + person;
    case Level::PersonYear:
    case Level::PersonMonth:
    case Level::PersonDay:
        return ymd + person + date;
    }
    return QString();
}

size_t qHash(const NodeKey& key, size_t seed)
{
    return qHashMulti(seed, int(key.level), key.person, key.date);
}

QString weekdayText(const QString& yyyymmdd)
{
    static const char16_t* const names[7] = {u"(月)", u"(火)", u"(水)", u"(木)", u"(金)", u"(土)", u"(日)"};
    const QDate d = QDate::fromString(yyyymmdd, QStringLiteral("yyyyMMdd"));
    if (!d.isValid())
        return QStringLiteral("()");
    return QString::fromUtf16(names[d.dayOfWeek() - 1]);
}

namespace {

// Names are a few bytes: compared inline, without a call per record.
inline bool sameBytes(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = a.size();
    if (n != b.size())
        return false;
    if (n > 24)
        return std::memcmp(a.data(), b.data(), std::size_t(n)) == 0;
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// The value of a key packed from n digit characters (one byte each), or -1
// when one of them is not a digit.
inline qint64 digitsValue(quint64 packed, int n)
{
    qint64 v = 0;
    for (int i = n - 1; i >= 0; --i) {
        const quint64 c = (packed >> (8 * i)) & 0xFF;
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + qint64(c - '0');
    }
    return v;
}

// Sorts keys by (date, time, party, record) in linear time: when every date
// and time is written in digits and the parties are fewer than 2^17, the
// first three fit one 64-bit number (table order breaks ties, as a stable
// least-significant-digit radix sort keeps it). False, leaving keys as they
// were, when they do not fit.
template<typename Key>
bool radixSort(std::vector<Key>& keys, std::size_t parties)
{
    constexpr int PartyBits = 17, TimeBits = 20;
    if (parties >= (std::size_t(1) << PartyBits))
        return false;
    const std::size_t n = keys.size();
    struct Item {
        quint64 key;
        qint32 at;
    };
    std::vector<Item> a(n), b(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Key& k = keys[i];
        quint64 date = 0, time = 0;
        if (k.date != 0 || k.time() != 0) {
            // No date sorts before every date: dates count from 1.
            const qint64 d = digitsValue(k.date, 8), t = digitsValue(k.time(), 6);
            if (d < 0 || t < 0)
                return false;
            date = quint64(d) + 1;
            time = quint64(t);
        }
        a[i] = {(date << (PartyBits + TimeBits)) | (time << PartyBits) | quint64(k.party), qint32(i)};
    }
    constexpr int DigitBits = 11, Digits = (64 + DigitBits - 1) / DigitBits, Buckets = 1 << DigitBits;
    std::vector<std::array<qint32, Buckets>> counts(Digits);
    for (auto& c : counts)
        c.fill(0);
    for (const Item& it : a)
        for (int d = 0; d < Digits; ++d)
            ++counts[std::size_t(d)][(it.key >> (d * DigitBits)) & (Buckets - 1)];
    for (int d = 0; d < Digits; ++d) {
        auto& c = counts[std::size_t(d)];
        if (std::find(c.begin(), c.end(), qint32(n)) != c.end())
            continue; // every key has the same digit here
        qint32 sum = 0;
        for (qint32& v : c) {
            const qint32 here = v;
            v = sum;
            sum += here;
        }
        for (const Item& it : a)
            b[std::size_t(c[(it.key >> (d * DigitBits)) & (Buckets - 1)]++)] = it;
        a.swap(b);
    }
    std::vector<Key> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
        sorted[i] = keys[std::size_t(a[i].at)];
    keys.swap(sorted);
    return true;
}

} // namespace

void Model::load(MessageLog::ParseResult result)
{
    m_result = std::move(result);
    const MessageLog::RecordTable& t = m_result.records;
    const qsizetype n = t.size();
    m_trashPresent = false;

    // Each other party decoded once, found by its stored bytes; ranks in
    // code-unit order make the sort compare numbers instead of texts.
    QHash<QByteArrayView, qint32> ids;
    std::vector<QByteArrayView> raws;
    std::vector<QString> distinct;
    m_partyOf.resize(std::size_t(n));
    QByteArrayView lastRaw;
    qint32 lastId = -1;
    for (qsizetype k = 0; k < n; ++k) {
        m_trashPresent = m_trashPresent || t.inTrash(k);
        const QByteArrayView raw = t.otherPartyRaw(k);
        if (lastId < 0 || !sameBytes(raw, lastRaw)) {
            qint32 id = -1;
            if (raws.size() <= 32) {
                // An office has few correspondents: a short scan beats hashing.
                for (std::size_t i = 0; i < raws.size(); ++i)
                    if (sameBytes(raws[i], raw)) {
                        id = qint32(i);
                        break;
                    }
            } else if (auto it = ids.constFind(raw); it != ids.constEnd()) {
                id = *it;
            }
            if (id < 0) {
                id = qint32(distinct.size());
                raws.push_back(raw);
                ids.insert(raw, id);
                distinct.push_back(t.otherParty(k));
            }
            lastRaw = raw;
            lastId = id;
        }
        m_partyOf[std::size_t(k)] = lastId;
    }
    std::vector<qint32> byText(distinct.size());
    for (std::size_t i = 0; i < byText.size(); ++i)
        byText[i] = qint32(i);
    std::sort(byText.begin(), byText.end(), [&](qint32 a, qint32 b) { return distinct[std::size_t(a)] < distinct[std::size_t(b)]; });
    // Two stored forms of one text (a byte that does not decode) share a rank.
    std::vector<qint32> rank(distinct.size());
    m_parties.clear();
    for (std::size_t r = 0; r < byText.size(); ++r) {
        QString& text = distinct[std::size_t(byText[r])];
        if (m_parties.empty() || m_parties.back() != text)
            m_parties.push_back(std::move(text));
        rank[std::size_t(byText[r])] = qint32(m_parties.size() - 1);
    }
    m_byDate.resize(std::size_t(n));
    m_order.resize(std::size_t(n));
    for (qint32 k = 0; k < qint32(n); ++k) {
        qint32& party = m_partyOf[std::size_t(k)];
        party = rank[std::size_t(party)];
        m_byDate[std::size_t(k)] = {t.dateKey(k), t.timeKey(k) | (t.inTrash(k) ? Key::TrashBit : 0), party, k};
        m_order[std::size_t(k)] = k;
    }
    m_byName.clear();
    m_sorted = &m_byDate;
    m_orderKind = Order::File; // a fresh load is always sorted again
    m_byDateStale = true;
    m_byNameStale = true;
    m_nodes.clear();
    m_index.clear();
    m_fastIndex.clear();
}

bool Model::select(int index)
{
    m_previous = m_current;
    m_current = index;
    if (m_previous == m_current)
        return false;
    build();
    return true;
}

void Model::sortFor(Order order)
{
    // Never recursive, and equal keys keep table order however many there
    // are. The date order is sorted once per load; the name order is the date
    // order regrouped by person (a stable counting pass), which is the same
    // as sorting by person, date and time.
    if (m_byDateStale && !radixSort(m_byDate, m_parties.size())) {
        std::sort(m_byDate.begin(), m_byDate.end(), [](const Key& x, const Key& y) {
            if (x.date != y.date)
                return x.date < y.date;
            if (x.time() != y.time())
                return x.time() < y.time();
            if (x.party != y.party)
                return x.party < y.party;
            return x.record < y.record;
        });
    }
    m_byDateStale = false;
    if (order == Order::ByName && m_byNameStale) {
        std::vector<qint32> start(m_parties.size() + 1, 0);
        for (const Key& k : m_byDate)
            ++start[std::size_t(k.party) + 1];
        for (std::size_t p = 1; p < start.size(); ++p)
            start[p] += start[p - 1];
        m_byName.resize(m_byDate.size());
        for (const Key& k : m_byDate)
            m_byName[std::size_t(start[std::size_t(k.party)]++)] = k;
        m_byNameStale = false;
    }
    m_sorted = order == Order::ByName ? &m_byName : &m_byDate;
    for (std::size_t i = 0; i < m_sorted->size(); ++i)
        m_order[i] = (*m_sorted)[i].record;
    m_orderKind = order;
    ++m_sortCount;
}

int Model::addNode(const NodeKey& key, int parent, const QString& text, int image, int selectedImage)
{
    Node n;
    n.key = key;
    n.text = text;
    n.image = image;
    n.selectedImage = selectedImage;
    n.parent = parent;
    m_nodes.append(std::move(n));
    const int i = int(m_nodes.size() - 1);
    m_index.insert(key, i);
    return i;
}

// The node of a record at one level, added under parent when it is new.
int Model::node(const FastKey& fast, qint32 record, int parent)
{
    // Sorted records come in runs of one day and person: the node of the
    // previous record at this level is most often the one.
    Memo& memo = m_memo[std::size_t(fast.level)];
    if (memo.node >= 0 && memo.key == fast)
        return memo.node;
    if (auto it = m_fastIndex.constFind(fast); it != m_fastIndex.constEnd()) {
        memo = {fast, *it};
        return *it;
    }
    const MessageLog::RecordTable& t = m_result.records;
    const QString d = t.date(record);
    const QString& p = otherParty(record);
    NodeKey key;
    key.level = fast.level;
    QString text;
    int image = Folder, selected = FolderOpen;
    switch (fast.level) {
    case Level::Year:
    case Level::PersonYear:
        key.date = d.left(4);
        text = key.date + QStringLiteral("年");
        break;
    case Level::Month:
    case Level::PersonMonth:
        key.date = d.left(6);
        text = d.mid(4, 2) + QStringLiteral("月");
        break;
    case Level::Day:
    case Level::PersonDay:
        key.date = d;
        text = d.mid(6, 2) + QStringLiteral("日") + weekdayText(d);
        break;
    case Level::DayPerson:
        key.date = d;
        text = p;
        image = Person;
        selected = PersonSelected;
        break;
    case Level::Person:
        text = p;
        image = Person;
        selected = PersonSelected;
        break;
    default:
        break;
    }
    if (fast.level >= Level::DayPerson)
        key.person = p;
    const int i = addNode(key, parent, text, image, selected);
    m_fastIndex.insert(fast, i);
    memo = {fast, i};
    return i;
}

void Model::buildDateTree(bool withPersons)
{
    const MessageLog::RecordTable& t = m_result.records;
    qint32 newest = -1;
    for (const Key& key : *m_sorted) {
        if (key.trash())
            continue;
        const qint32 k = key.record;
        const quint64 d = key.date;
        const qint32 p = key.party;
        const int y = node({Level::Year, -1, d >> 32}, k, -1);
        const int m = node({Level::Month, -1, d >> 16}, k, y);
        const int day = node({Level::Day, -1, d}, k, m);
        const int leaf = withPersons ? node({Level::DayPerson, p, d}, k, day) : day;
        m_nodes[leaf].records.append(k);
        newest = k;
    }
    if (newest >= 0) {
        // The newest live record's nodes are opened.
        const quint64 d = t.dateKey(newest);
        const qint32 p = m_partyOf[std::size_t(newest)];
        for (const FastKey& f : {FastKey {Level::Year, -1, d >> 32}, FastKey {Level::Month, -1, d >> 16},
                                 FastKey {Level::Day, -1, d}, FastKey {Level::DayPerson, p, d}})
            if (const int i = m_fastIndex.value(f, -1); i >= 0)
                m_nodes[i].expanded = true;
    }
}

void Model::buildNameTree(bool withDates)
{
    for (const Key& key : *m_sorted) {
        if (key.trash())
            continue;
        const qint32 k = key.record;
        const qint32 p = key.party;
        const int person = node({Level::Person, p, 0}, k, -1);
        int leaf = person;
        if (withDates) {
            const quint64 d = key.date;
            const int y = node({Level::PersonYear, p, d >> 32}, k, person);
            const int m = node({Level::PersonMonth, p, d >> 16}, k, y);
            leaf = node({Level::PersonDay, p, d}, k, m);
        }
        m_nodes[leaf].records.append(k);
    }
}

void Model::build()
{
    m_memo.fill(Memo());
    m_nodes.clear();
    m_index.clear();
    m_fastIndex.clear();
    const bool dateTree = m_current == DateName || m_current == Date;
    const Order wanted = dateTree ? Order::ByDate : Order::ByName;
    m_lastSorted = m_orderKind != wanted;
    if (m_lastSorted)
        sortFor(wanted);
    if (dateTree)
        buildDateTree(m_current == DateName);
    else
        buildNameTree(m_current == NameDate);

    NodeKey trash;
    trash.level = Level::Trash;
    const int image = m_trashPresent ? TrashFull : TrashEmpty;
    const int i = addNode(trash, -1, QStringLiteral("ごみ箱"), image, image);
    for (const Key& key : *m_sorted)
        if (key.trash())
            m_nodes[i].records.append(key.record);
}

qsizetype Model::memoryBytes() const
{
    qsizetype n = qsizetype((m_byDate.capacity() + m_byName.capacity()) * sizeof(Key)
                            + (m_order.capacity() + m_partyOf.capacity()) * sizeof(qint32));
    for (const QString& p : m_parties)
        n += p.capacity() * 2 + qsizetype(sizeof(QString));
    for (const Node& node : m_nodes)
        n += qsizetype(sizeof(Node)) + node.records.capacity() * qsizetype(sizeof(qint32)) + node.text.capacity() * 2;
    return n;
}

QList<qint32> Model::listed(const NodeKey& key) const
{
    const int i = findNode(key);
    return i < 0 ? QList<qint32>() : m_nodes[i].records;
}

} // namespace LogView
