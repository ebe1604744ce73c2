#include "dialogs/frmAbout.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "startup/Version.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString frmAbout::licenceText()
{
    return QStringLiteral("このプログラムは MIT ライセンスのもとで配布されています。\n"
                          "Qt は GNU LGPL バージョン3 のもとで利用しています。");
}

frmAbout::frmAbout(AppContext&, MainHost& main)
    : QDialog(main.hostWidget())
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    QLabel* name = label("lblName", QStringLiteral("Porlune"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    name->setFont(big);
    QLabel* licence = label("lblLicence", licenceText());
    licence->setWordWrap(true);

    const ButtonRow buttons = makeButtonRow(this, {{"cmdOK", QStringLiteral("OK")},
                                                   {"cmdAboutQt", QStringLiteral("Qt について")}});
    connect(buttons[0], &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons[1], &QPushButton::clicked, this, [] { QApplication::aboutQt(); });

    auto* v = new QVBoxLayout(this);
    v->addWidget(name);
    v->addWidget(label("lblVersion", QStringLiteral("バージョン ") + versionText()));
    v->addWidget(label("lblComment", QStringLiteral("行き先掲示板・メッセンジャー")));
    v->addWidget(label("lblQt", QStringLiteral("Qt %1（ビルド時 %2）").arg(QString::fromLatin1(qVersion()),
                                                                       QStringLiteral(QT_VERSION_STR))));
    v->addSpacing(8);
    v->addWidget(licence);
    v->addLayout(buttons.layout);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}
