#include "messaging/frmTimeSet.h"

#include "messaging/ComposeSend.h"
#include "platform/MessageBox.h"
#include "startup/AppContext.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char* const kNames[] = {"cboNen", "cboGetsu", "cboNiti", "cboJi", "cboFun", "cboByo"};
const char16_t* const kUnits[] = {u"年", u"月", u"日", u"時", u"分", u"秒"};

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QChar(u'0'));
}

} // namespace

frmTimeSet::frmTimeSet(AppContext& ctx, QWidget* parent, const QString& date, const QString& time)
    : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmTimeSet"));
    setWindowTitle(QStringLiteral("送信予定日時の設定"));
    setModal(true);

    auto* row = new QGridLayout;
    for (int k = 0; k < FieldCount; ++k) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(kNames[k]));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->lineEdit()->installEventFilter(this);
        box->lineEdit()->setProperty("field", k);
        m_boxes[std::size_t(k)] = box;
        row->addWidget(box, k / 3, (k % 3) * 2);
        row->addWidget(new QLabel(QString::fromUtf16(kUnits[k]), this), k / 3, (k % 3) * 2 + 1);
    }
    cmdSettei = new QPushButton(QStringLiteral("設定"), this);
    cmdSettei->setObjectName(QStringLiteral("cmdSettei"));
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdSettei->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSettei);
    buttons->addWidget(cmdCancel);
    auto* v = new QVBoxLayout(this);
    v->addLayout(row);
    v->addLayout(buttons);
    connect(cmdSettei, &QPushButton::clicked, this, &frmTimeSet::cmdSettei_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Load: a one-digit hour gets its leading zero.
    const QString t = time.size() == 7 ? u'0' + time : time.left(8);
    const int year = date.left(4).toInt();
    for (int y = year; y < year + 10; ++y)
        m_boxes[0]->addItem(QString::number(y));
    m_boxes[0]->setCurrentIndex(0);
    for (int m = 1; m <= 12; ++m)
        m_boxes[1]->addItem(twoDigits(m));
    for (int d = 1; d <= 31; ++d)
        m_boxes[2]->addItem(twoDigits(d));
    for (int h = 0; h <= 23; ++h)
        m_boxes[3]->addItem(twoDigits(h));
    for (int k = 4; k < 6; ++k)
        for (int n = 0; n <= 59; ++n)
            m_boxes[std::size_t(k)]->addItem(twoDigits(n));
    m_boxes[1]->setCurrentIndex(date.mid(5, 2).toInt() - 1);
    m_boxes[2]->setCurrentIndex(date.mid(8, 2).toInt() - 1);
    m_boxes[3]->setCurrentIndex(t.left(2).toInt());
    m_boxes[4]->setEditText(t.mid(3, 2));
    m_boxes[5]->setEditText(t.mid(6, 2));
}

bool frmTimeSet::eventFilter(QObject* watched, QEvent* event)
{
    const QVariant field = watched->property("field");
    if (field.isValid()) {
        auto* edit = static_cast<QLineEdit*>(watched);
        if (event->type() == QEvent::FocusIn)
            QTimer::singleShot(0, edit, &QLineEdit::selectAll); // entering selects the whole text
        else if (event->type() == QEvent::FocusOut && !m_refusing)
            cbo_LostFocus(field.toInt());
    }
    return QDialog::eventFilter(watched, event);
}

void frmTimeSet::refuse(int k, const QString& text)
{
    m_refusing = true;
    m_ctx.msgBox().stop(text, QStringLiteral("入力エラー"));
    m_boxes[std::size_t(k)]->setFocus();
    m_refusing = false;
}

bool frmTimeSet::cbo_LostFocus(int k)
{
    QComboBox* box = m_boxes[std::size_t(k)];
    int value = 0;
    if (!ComposeSend::timeFieldValue(ComposeSend::TimeField(k), box->currentText(), &value)) {
        refuse(k, QStringLiteral("正しい数値を入力してください"));
        return false;
    }
    if (k > 0)
        box->setEditText(twoDigits(value));
    return true;
}

void frmTimeSet::cmdSettei_Click()
{
    int v[FieldCount] = {};
    for (int k = 0; k < FieldCount; ++k) {
        if (!cbo_LostFocus(k))
            return;
        ComposeSend::timeFieldValue(ComposeSend::TimeField(k), m_boxes[std::size_t(k)]->currentText(), &v[k]);
    }
    // Checked box by box, 31 February would pass and wait for ever.
    if (!ComposeSend::isCalendarDate(v[0], v[1], v[2])) {
        refuse(2, QStringLiteral("正しい日付を入力してください"));
        return;
    }
    auto text = [this](int k) { return m_boxes[std::size_t(k)]->currentText().trimmed(); };
    m_date = text(0) + u'/' + text(1) + u'/' + text(2);
    m_time = text(3) + u':' + text(4) + u':' + text(5);
    accept();
}
