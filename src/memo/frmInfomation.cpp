#include "memo/frmInfomation.h"

#include "board/MainHost.h"
#include "dialogs/ButtonRow.h"
#include "ftp/frmInetMsg.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"
#include "platform/Twips.h"
#include "startup/AppContext.h"
#include "startup/SharedRoutines.h"

#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Window heights without and with the banner area.
constexpr int kHeightPlain = 5010;
constexpr int kHeightBanner = 7950;
constexpr int kWidth = 6900;
constexpr int kHelpContext = 5;

} // namespace

frmInfomation::frmInfomation(AppContext& ctx, MainHost& main)
    : frmInfomation(ctx, main.hostWidget())
{
}

frmInfomation::frmInfomation(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmInfomation"));
    setWindowTitle(QStringLiteral("今日は何の日？"));
    m_showBanner = ctx.settings().intValue(102) == 1;
    buildControls();
    resize(Twips::toPixels(kWidth), Twips::toPixels(m_showBanner ? kHeightBanner : kHeightPlain));
    if (m_showBanner)
        loadBanner();
    cmdToday_Click();
    txtInfo2->setFocus();
}

void frmInfomation::buildControls()
{
    lblToday = new QLabel(this);
    lblToday->setObjectName(QStringLiteral("lblToday"));
    QFont big = lblToday->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    lblToday->setFont(big);

    txtInfo = new QPlainTextEdit(this);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setReadOnly(true);
    // Only to be read: a click goes on to the memo and leaves no selection.
    txtInfo->setTextInteractionFlags(Qt::NoTextInteraction);
    txtInfo->setFocusPolicy(Qt::NoFocus);
    txtInfo->viewport()->installEventFilter(this);

    auto* memoLabel = new QLabel(QStringLiteral("メモ"), this);
    txtInfo2 = new QPlainTextEdit(this);
    txtInfo2->setObjectName(QStringLiteral("txtInfo2"));
    txtInfo2->setTabChangesFocus(true);
    memoLabel->setBuddy(txtInfo2);

    const ButtonRow nav = makeButtonRow(this, {{"cmdBeforeMonth", QStringLiteral("<<")},
                                               {"cmdBeforeDay", QStringLiteral("<")},
                                               {"cmdToday", QStringLiteral("◆")},
                                               {"cmdAfterDay", QStringLiteral(">")},
                                               {"cmdAfterMonth", QStringLiteral(">>")}},
                                        false);
    nav.layout->insertStretch(0); // centred
    const DayKey::Step steps[] = {DayKey::Step::MonthBack, DayKey::Step::DayBack, DayKey::Step::DayForward,
                                  DayKey::Step::MonthForward};
    for (int k : {0, 1, 3, 4})
        connect(nav[k], &QPushButton::clicked, this, [this, how = steps[k < 2 ? k : k - 1]] { step(how); });
    connect(nav[2], &QPushButton::clicked, this, &frmInfomation::cmdToday_Click);
    for (QPushButton* b : nav.buttons) {
        b->setAutoDefault(false);
        b->setMinimumWidth(40);
    }

    const ButtonRow foot = makeButtonRow(this, {{"cmdMemoWrite", QStringLiteral("メモを書き込む")},
                                                {"cmdClose", QStringLiteral("閉じる")},
                                                {"cmdHelp", QStringLiteral("ヘルプ")}},
                                         false);
    cmdClose = foot[1];
    connect(foot[0], &QPushButton::clicked, this, &frmInfomation::cmdMemoWrite_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(foot[2], &QPushButton::clicked, this, [this] {
        HelpViewer::show(this, m_ctx.msgBox(), m_ctx.programPath(QStringLiteral("Porlune.HLP")), kHelpContext);
    });

    auto* v = new QVBoxLayout(this);
    v->addWidget(lblToday);
    v->addWidget(txtInfo, 3);
    v->addWidget(memoLabel);
    v->addWidget(txtInfo2, 2);
    v->addLayout(nav.layout);
    v->addLayout(foot.layout);

    m_bannerArea = new QWidget(this);
    m_bannerArea->setObjectName(QStringLiteral("fraKoukoku"));
    auto* bannerLayout = new QVBoxLayout(m_bannerArea);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    for (std::size_t i = 0; i < 3; ++i) {
        auto* column = new QVBoxLayout;
        pctKoukoku[i] = new QLabel(m_bannerArea);
        pctKoukoku[i]->setObjectName(QStringLiteral("pctKoukoku%1").arg(i));
        pctKoukoku[i]->setFixedSize(Twips::toPixels(2100), Twips::toPixels(900));
        pctKoukoku[i]->setFrameShape(QFrame::Box);
        pctKoukoku[i]->setAlignment(Qt::AlignCenter);
        pctKoukoku[i]->installEventFilter(this);
        lblKoukoku[i] = new QLabel(m_bannerArea);
        lblKoukoku[i]->setObjectName(QStringLiteral("lblKoukoku%1").arg(i));
        lblKoukoku[i]->setWordWrap(true);
        lblKoukoku[i]->setMaximumWidth(Twips::toPixels(2100));
        column->addWidget(pctKoukoku[i]);
        column->addWidget(lblKoukoku[i]);
        column->addStretch();
        row->addLayout(column);
    }
    bannerLayout->addLayout(row);
    lblUrl = new QLabel(m_bannerArea);
    lblUrl->setObjectName(QStringLiteral("lblUrl"));
    lblUrl->setCursor(Qt::PointingHandCursor);
    lblUrl->installEventFilter(this);
    bannerLayout->addWidget(lblUrl);
    v->addWidget(m_bannerArea);
    m_bannerArea->setVisible(m_showBanner);
}

void frmInfomation::loadBanner()
{
    const BannerServer& server = m_ctx.bannerServer();
    if (server.configured()) {
        // The user can close the window only once the fetching has ended.
        cmdClose->setEnabled(false);
        frmInetMsg notice(parentWidget());
        notice.showNow();
        m_banner = BannerFetch::fetch(m_ctx.ftpClient(), server);
        notice.hide();
        cmdClose->setEnabled(true);
    } else {
        m_banner = Banner::empty();
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const QImage& picture = m_banner.pictures[i];
        if (picture.isNull())
            pctKoukoku[i]->clear();
        else
            pctKoukoku[i]->setPixmap(QPixmap::fromImage(
                picture.scaled(pctKoukoku[i]->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        pctKoukoku[i]->setCursor(BannerFetch::openableLink(m_banner.links[i]) ? Qt::PointingHandCursor
                                                                              : Qt::ArrowCursor);
        lblKoukoku[i]->setText(m_banner.comments[i]);
    }
    lblUrl->setText(server.siteUrl);
}

void frmInfomation::showDay(const QString& key)
{
    m_key = key;
    lblToday->setText(DayKey::caption(key));
    txtInfo->setPlainText(DayTexts::textFor(m_ctx.programFolder(), key));
    txtInfo2->setPlainText(MemoFile(m_ctx.programPath(QStringLiteral("memo.dat"))).memoFor(key));
}

void frmInfomation::step(DayKey::Step how)
{
    showDay(DayKey::step(m_key, how));
}

void frmInfomation::cmdToday_Click()
{
    showDay(DayKey::today(m_ctx.clock()));
}

void frmInfomation::cmdMemoWrite_Click()
{
    const QString text = txtInfo2->toPlainText();
    if (!Sjis::isEncodable(text)) {
        m_ctx.msgBox().stop(QStringLiteral("メモに保存できない文字が含まれています。\n絵文字などを除いてから書き込んでください"),
                            QStringLiteral("入力エラー"));
        txtInfo2->setFocus();
        return;
    }
    const MemoFile memo(m_ctx.programPath(QStringLiteral("memo.dat")));
    bool failedReading = false;
    if (const int err = memo.save(m_key, text, &failedReading))
        reportFileError(m_ctx.msgBox(), QStringLiteral("(cmdMemoWrite_Click)"), memo.path(),
                        failedReading ? FileErrorKind::Open : FileErrorKind::Write, err);
    txtInfo2->setFocus();
}

void frmInfomation::openLink(const QString& link)
{
    if (const std::optional<QUrl> url = BannerFetch::openableLink(link))
        QDesktopServices::openUrl(*url);
}

bool frmInfomation::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && watched == txtInfo->viewport()) {
        txtInfo2->setFocus();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (std::size_t i = 0; i < 3; ++i)
            if (watched == pctKoukoku[i]) {
                openLink(m_banner.links[i]);
                return true;
            }
        if (watched == lblUrl) {
            openLink(lblUrl->text());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
