#include "PromoAdsBar.h"

#include "PromoMenuBar.h"

#include <VUVararer/App.h>

#include <QAction>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QTime>

namespace VUVararer {

PromoAdsBar::PromoAdsBar(QWidget* parent, PromoMenuBar* menuBar) : QFrame(parent), m_pMenuBar(menuBar), m_timer(this)
{
    setObjectName("AdsBar");
    m_timer.setInterval(25000);

    m_pbtnClose = new QPushButton(this);
    m_pbtnClose->setObjectName("AdsBarCloseButton");
    m_pbtnClose->setFlat(true);
    m_pbtnClose->setToolTip(tr("Close the banner"));
    connect(m_pbtnClose, SIGNAL(clicked()), this, SLOT(slotCloseClicked()));

    auto* layout = new QHBoxLayout(this);
    layout->setMargin(1);
    layout->addStretch(1);
    layout->addWidget(m_pbtnClose);

    setCursor(Qt::PointingHandCursor);
    connect(&m_timer, SIGNAL(timeout()), this, SLOT(slotInsertAd()));
}

QAction* PromoAdsBar::currentAction() const { return m_pCurrent; }

void PromoAdsBar::hideCloseButton() { m_pbtnClose->hide(); }

void PromoAdsBar::slotCloseClicked()
{
    if (m_bHideAfterCloseClick)
        hide();
    emit closeClicked();
}

void PromoAdsBar::slotInsertAd()
{
    if (!m_pMenuBar)
        return;
    const QList<QAction*> actions = m_pMenuBar->moreActions();
    const int n = actions.size() - 1;
    const int m = (m_nItemsLimit >= 1 && m_nItemsLimit <= n) ? m_nItemsLimit : n;
    // Drawing only makes sense when some row with text can come up.
    bool bAnyText = false;
    for (int i = 0; i < m && !bAnyText; ++i)
        bAnyText = !actions.at(i)->text().isEmpty();
    if (!bAnyText)
        return;
    do
        m_pCurrent = actions.at(int(m_random.bounded(quint32(m))));
    while (m_pCurrent->text().isEmpty());
    update();
}

void PromoAdsBar::mousePressEvent(QMouseEvent* event)
{
    QFrame::mousePressEvent(event);
    if (m_pCurrent)
        m_pCurrent->activate(QAction::Trigger);
    emit adClicked();
    if (m_bHideAfterClick)
        hide();
}

void PromoAdsBar::paintEvent(QPaintEvent* event)
{
    if (m_pCurrent) {
        QPainter painter(this);
        const int h = height();
        const int k = App::theApp() ? int(App::theApp()->devicePixelRatio()) : 1;
        const QPixmap icon = m_pCurrent->icon().pixmap(h * k, h * k);
        painter.drawPixmap(QRect(0, 0, h, h), icon);

        QString text = m_pCurrent->text();
        text.replace("&&", "&");
        text += "!";
        const bool bClose = !m_pbtnClose->isHidden();
        const int left = h + (bClose ? 10 : 12);
        const int right = width() - (bClose ? 26 : 13);
        painter.setFont(font());
        painter.drawText(QRect(QPoint(left, 0), QPoint(right, h - 1)), Qt::TextWordWrap | Qt::AlignCenter, text);
    }
    QFrame::paintEvent(event);
}

void PromoAdsBar::showEvent(QShowEvent* event)
{
    m_random.seed(quint32(QTime::currentTime().msec()));
    slotInsertAd();
    m_timer.start();
    QFrame::showEvent(event);
}

} // namespace VUVararer
