// The real colour and font choosers on a real X display: the title asked for
// is shown, the chooser starts at the value given, OK gives the value picked
// and cancel gives the starting value back as "cancelled".
#include "platform/ColorFontDialogs.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QTest>
#include <QTimer>

class TestColorFontX11 : public QObject
{
    Q_OBJECT

    // Once the chooser of type D is up: records its title and starting value,
    // then either picks `pick` and accepts, or cancels.
    template <typename D, typename V>
    void answer(QString* title, V* start, const V& pick, bool accept)
    {
        QTimer::singleShot(0, this, [=] {
            D* dialog = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((dialog = qobject_cast<D*>(QApplication::activeModalWidget())), 10000);
            QVERIFY(dialog->isVisible());
            *title = dialog->windowTitle();
            if constexpr (std::is_same_v<D, QColorDialog>) {
                *start = dialog->currentColor();
                dialog->setCurrentColor(pick);
            } else {
                *start = dialog->currentFont();
                dialog->setCurrentFont(pick);
            }
            accept ? dialog->accept() : dialog->reject();
        });
    }

private Q_SLOTS:
    void choosers_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("OK") << true;
        QTest::newRow("cancel") << false;
    }

    void choosers()
    {
        QFETCH(bool, accept);
        QVERIFY(qgetenv("QT_QPA_PLATFORM") == "xcb");
        QtColorFontDialogs service;

        const QColor initialColor(0, 128, 0), pickColor(0, 0, 255);
        QString title;
        QColor startColor;
        answer<QColorDialog>(&title, &startColor, pickColor, accept);
        const Choice<QColor> c = service.color(nullptr, QStringLiteral("色の指定"), initialColor);
        QCOMPARE(title, QStringLiteral("色の指定"));
        QCOMPARE(startColor, initialColor);
        QCOMPARE(c.outcome, accept ? ChoiceOutcome::Chosen : ChoiceOutcome::Cancelled);
        QCOMPARE(c.value, accept ? pickColor : initialColor);

        QFont initialFont(QApplication::font());
        initialFont.setPointSize(10);
        QFont pickFont(initialFont);
        pickFont.setPointSize(14);
        QFont startFont;
        answer<QFontDialog>(&title, &startFont, pickFont, accept);
        const Choice<QFont> f = service.font(nullptr, QStringLiteral("表示フォントの設定"), initialFont);
        QCOMPARE(title, QStringLiteral("表示フォントの設定"));
        QCOMPARE(startFont.pointSize(), 10);
        QCOMPARE(f.outcome, accept ? ChoiceOutcome::Chosen : ChoiceOutcome::Cancelled);
        QCOMPARE(f.value.pointSize(), accept ? 14 : 10);
    }
};

PORLUNE_TEST_MAIN(TestColorFontX11)

#include "tst_colorfont_x11.moc"
