#include "platform/HelpViewer.h"

#include "platform/FileOps.h"
#include "platform/MessageBox.h"

#include <QDialog>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace HelpViewer {

bool show(QWidget* parent, IMessageBox& box, const QString& helpFile, int context)
{
    int err = 0;
    const QByteArray html = Fs::readBytes(helpFile, &err);
    if (err) {
        box.show({QStringLiteral("ヘルプファイルが見つかりません\n") + helpFile, QStringLiteral("ヘルプ"),
                  MsgIcon::Exclamation, MsgButtons::Ok});
        return false;
    }
    static QPointer<QDialog> window;
    if (!window) {
        window = new QDialog(parent);
        window->setObjectName(QStringLiteral("frmHelp"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("Porlune ヘルプ"));
        window->resize(560, 480);
        auto* layout = new QVBoxLayout(window);
        auto* text = new QTextBrowser(window);
        text->setObjectName(QStringLiteral("txtHelp"));
        text->setOpenExternalLinks(true);
        layout->addWidget(text);
    }
    auto* text = window->findChild<QTextBrowser*>(QStringLiteral("txtHelp"));
    text->setHtml(QString::fromUtf8(html));
    text->scrollToAnchor(QStringLiteral("c%1").arg(context));
    window->show();
    window->raise();
    return true;
}

} // namespace HelpViewer
