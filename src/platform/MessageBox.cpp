#include "platform/MessageBox.h"

#include "platform/FileOps.h"
#include "platform/TextCodec.h"

#include <algorithm>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace {

std::vector<MsgResult> buttonsOf(MsgButtons b)
{
    switch (b) {
    case MsgButtons::Ok: return {MsgResult::Ok};
    case MsgButtons::OkCancel: return {MsgResult::Ok, MsgResult::Cancel};
    case MsgButtons::AbortRetryIgnore: return {MsgResult::Abort, MsgResult::Retry, MsgResult::Ignore};
    case MsgButtons::YesNoCancel: return {MsgResult::Yes, MsgResult::No, MsgResult::Cancel};
    case MsgButtons::YesNo: return {MsgResult::Yes, MsgResult::No};
    case MsgButtons::RetryCancel: return {MsgResult::Retry, MsgResult::Cancel};
    }
    return {MsgResult::Ok};
}

QMessageBox::StandardButton standardOf(MsgResult r)
{
    switch (r) {
    case MsgResult::Ok: return QMessageBox::Ok;
    case MsgResult::Cancel: return QMessageBox::Cancel;
    case MsgResult::Abort: return QMessageBox::Abort;
    case MsgResult::Retry: return QMessageBox::Retry;
    case MsgResult::Ignore: return QMessageBox::Ignore;
    case MsgResult::Yes: return QMessageBox::Yes;
    case MsgResult::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QString captionOf(MsgResult r)
{
    switch (r) {
    case MsgResult::Ok: return QStringLiteral("OK");
    case MsgResult::Cancel: return QStringLiteral("キャンセル");
    case MsgResult::Abort: return QStringLiteral("中止(&A)");
    case MsgResult::Retry: return QStringLiteral("再試行(&R)");
    case MsgResult::Ignore: return QStringLiteral("無視(&I)");
    case MsgResult::Yes: return QStringLiteral("はい(&Y)");
    case MsgResult::No: return QStringLiteral("いいえ(&N)");
    }
    return {};
}

} // namespace

MsgResult defaultAnswer(const MsgBoxRequest& request)
{
    const auto buttons = buttonsOf(request.buttons);
    const std::size_t k = std::size_t(request.defaultButton);
    return k < buttons.size() ? buttons[k] : buttons.front();
}

MsgResult QtMessageBox::show(const MsgBoxRequest& request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("PorluneMessageBox"));
    box.setText(request.text);
    box.setWindowTitle(request.title);
    switch (request.icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    const auto buttons = buttonsOf(request.buttons);
    for (MsgResult r : buttons) {
        QPushButton* b = box.addButton(standardOf(r));
        b->setText(captionOf(r));
    }
    box.setDefaultButton(standardOf(defaultAnswer(request)));
    if (buttons.size() == 1 || request.buttons == MsgButtons::YesNoCancel
        || request.buttons == MsgButtons::OkCancel || request.buttons == MsgButtons::RetryCancel)
        box.setEscapeButton(standardOf(buttons.back()));
    if (request.systemModal) {
        box.setWindowModality(Qt::ApplicationModal);
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (MsgResult r : buttons)
        if (standardOf(r) == clicked)
            return r;
    return buttons.size() == 1 ? buttons.front() : MsgResult::Cancel;
}

namespace {

// One box per line: icon, title and text, the text's line ends written as "\n".
QString escaped(QString text)
{
    return text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\r', QString()).replace(u'\n', QStringLiteral("\\n"));
}

QString unescaped(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == u'n' ? QChar(u'\n') : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

MsgResult DeferringMessageBox::show(const MsgBoxRequest& request)
{
    if (m_deferTo.isEmpty())
        return m_shown.show(request);
    const QString line = QString::number(int(request.icon)) + u'\t' + escaped(request.title) + u'\t'
        + escaped(request.text) + QStringLiteral("\r\n");
    Fs::appendBytes(m_deferTo, Sjis::encode(line));
    return defaultAnswer(request);
}

QList<MsgBoxRequest> DeferringMessageBox::takeDeferred(const QString& file)
{
    QList<MsgBoxRequest> boxes;
    int err = 0;
    const QByteArray bytes = Fs::readBytes(file, &err);
    if (err)
        return boxes;
    Fs::remove(file);
    for (QString line : Sjis::decode(bytes).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringList f = line.split(u'\t');
        if (f.size() != 3)
            continue;
        MsgBoxRequest r;
        r.icon = MsgIcon(std::clamp(f[0].toInt(), 0, int(MsgIcon::Information)));
        r.title = unescaped(f[1]);
        r.text = unescaped(f[2]);
        boxes.append(r);
    }
    return boxes;
}
