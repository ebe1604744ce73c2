#include "messaging/MessageWindowParts.h"

#include "messaging/TemplateList.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace MessageWindowParts {

QPushButton* button(QWidget* parent, const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QCheckBox* check(QWidget* parent, const QString& caption, const char* name)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

void loadTemplates(AppContext& ctx, QComboBox* cboTeikei, const QString& procedure)
{
    const QString path = ctx.programPath(TemplateList::fileName());
    QStringList templates;
    if (const int err = TemplateList::load(path, &templates)) {
        // The window still opens, only without templates.
        reportFileError(ctx.msgBox(), procedure, path, FileErrorKind::Open, err);
        return;
    }
    cboTeikei->addItems(templates);
    cboTeikei->setCurrentIndex(-1);
}

void insertTemplate(QComboBox* cboTeikei, QPlainTextEdit* txtMemo)
{
    if (cboTeikei->currentIndex() < 0)
        return;
    const QString text = cboTeikei->currentText();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    txtMemo->paste();
    txtMemo->setFocus();
}

void colourReceiptBox(QCheckBox* chkReceive)
{
    QPalette p = chkReceive->palette();
    const QColor colour = chkReceive->isChecked()
        ? QColor(255, 0, 0)
        : QApplication::palette(chkReceive).color(QPalette::ButtonText);
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    p.setColor(QPalette::Text, colour);
    chkReceive->setPalette(p);
}

} // namespace MessageWindowParts
