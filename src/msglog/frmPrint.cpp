#include "msglog/frmPrint.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Printing.h"
#include "startup/AppContext.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmPrint::frmPrint(AppContext& ctx, MainHost& host, const QString& text, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_host(host), m_text(text)
{
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("印刷の設定"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumWidth(260);
    cmdPrinter = new QPushButton(QStringLiteral("プリンタ"), this);
    cmdPrinter->setObjectName(QStringLiteral("cmdPrinter"));
    cmdPrinter->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("プリンタ名"), this));
    row->addWidget(Combo1, 1);
    row->addWidget(cmdPrinter);
    const ButtonRow buttons = makeButtonRow(this, {{"cmdPrint", QStringLiteral("印刷")},
                                                   {"cmdCancel", QStringLiteral("キャンセル")},
                                                   {"cmdHelp", QStringLiteral("ヘルプ")}});
    auto* v = new QVBoxLayout(this);
    v->addLayout(row);
    v->addLayout(buttons.layout);

    IPrinting& printing = ctx.printing();
    Combo1->addItems(printing.printerNames());
    Combo1->addItem(pdfEntry());
    const int def = Combo1->findText(printing.defaultPrinter());
    Combo1->setCurrentIndex(def >= 0 ? def : 0);
    // A PDF file has no printer properties.
    auto follow = [this] { cmdPrinter->setEnabled(Combo1->currentText() != pdfEntry()); };
    follow();
    connect(Combo1, &QComboBox::currentIndexChanged, this, follow);

    connect(cmdPrinter, &QPushButton::clicked, this, &frmPrint::cmdPrinter_Click);
    connect(buttons[0], &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    connect(buttons[1], &QPushButton::clicked, this, &QDialog::reject);
    connect(buttons[2], &QPushButton::clicked, this, [this] { m_host.showHelp(58); });
}

QString frmPrint::pdfEntry()
{
    return QStringLiteral("PDFファイルに出力");
}

void frmPrint::cmdPrinter_Click()
{
    if (Combo1->currentText() != pdfEntry())
        m_ctx.printing().showProperties(this, Combo1->currentText());
}

bool frmPrint::cmdPrint_Click()
{
    IPrinting::Job job;
    job.text = m_text;
    job.title = QStringLiteral("Porlune");
    if (Combo1->currentText() == pdfEntry()) {
        job.pdfPath = m_ctx.fileDialog().saveFileName(this, pdfEntry(), m_ctx.programPath(QStringLiteral("message.pdf")),
                                                      QStringLiteral("PDFファイル (*.pdf)"));
        if (job.pdfPath.isEmpty())
            return false;
    } else {
        job.printer = Combo1->currentText();
    }
    const QString error = m_ctx.printing().print(job);
    if (!error.isEmpty()) {
        m_ctx.msgBox().show({QStringLiteral("印刷できませんでした\n") + error, QStringLiteral("印刷エラー"), MsgIcon::Stop,
                             MsgButtons::Ok, 0, true});
        return false;
    }
    accept();
    return true;
}
