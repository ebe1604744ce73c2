#include "board/GridHeader.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"
#include "support/TestMain.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

const QStringList kLabels {QStringLiteral("ﾛｸﾞｲﾝ"), QStringLiteral("名前"), QStringLiteral("行き先"),
                           QStringLiteral("設定日時"), QStringLiteral("戻り予定"), QStringLiteral("内線"),
                           QStringLiteral("ﾒｰﾙｱﾄﾞﾚｽ")};

std::unique_ptr<QTableWidget> grid(bool ownHeader, const QString& family, double points)
{
    auto t = std::make_unique<QTableWidget>(0, int(kLabels.size()));
    if (ownHeader)
        t->setHorizontalHeader(new GridHeader(Qt::Horizontal, t.get()));
    t->horizontalHeader()->setHighlightSections(false);
    t->setHorizontalHeaderLabels(kLabels);
    if (!family.isEmpty())
        t->setFont(Twips::fontOf(family, points));
    return t;
}

} // namespace

class TestGridHeader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Fonts::installSubstitutes(); }

    // The grid's header looks as the table's own header does: the same font
    // whatever font the cells take, the same height, clickable sections, and
    // no label ever drawn bold.
    void looksAsTheTablesOwnHeader_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::newRow("cells in the default font") << QString() << 0.0;
        QTest::newRow("cells in ＭＳ ゴシック 9pt") << QStringLiteral("ＭＳ ゴシック") << 9.0;
        QTest::newRow("cells in ＭＳ 明朝 14pt") << QStringLiteral("ＭＳ 明朝") << 14.0;
    }
    void looksAsTheTablesOwnHeader()
    {
        QFETCH(QString, family);
        QFETCH(double, points);
        const auto plain = grid(false, family, points);
        const auto ours = grid(true, family, points);
        QHeaderView* expected = plain->horizontalHeader();
        QHeaderView* header = ours->horizontalHeader();
        QVERIFY(dynamic_cast<GridHeader*>(header));
        QCOMPARE(header->font(), expected->font());
        QCOMPARE(header->sizeHint().height(), expected->sizeHint().height());
        QCOMPARE(header->sectionsClickable(), expected->sectionsClickable());
        QVERIFY(!header->highlightSections());
        for (int i = 0; i < header->count(); ++i) {
            // Measured as drawn: never wider than Qt's bold measure, never
            // narrower than the label in the header's own font.
            const int width = header->sectionSizeHint(i);
            QVERIFY2(width <= expected->sectionSizeHint(i), qPrintable(kLabels[i]));
            QVERIFY2(width >= header->fontMetrics().horizontalAdvance(kLabels[i]), qPrintable(kLabels[i]));
        }
    }
};

PORLUNE_TEST_MAIN(TestGridHeader)

#include "tst_gridheader.moc"
