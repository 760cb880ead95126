#include "CommunityButton.h"

#include <VUVararer/Common.h>

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QUrl>

namespace VUVararer {

namespace {

void openLink(const QString& link)
{
    if (!link.isEmpty())
        Common::openUrl(QUrl(link, QUrl::TolerantMode));
}

} // namespace

CommunityButton::CommunityButton(QWidget* parent) : QPushButton(tr("Share"), parent)
{
    auto* pMenu = new QMenu(this);
    pMenu->addAction(QIcon(":/share_hover.png"), tr("Share"), qApp, SLOT(slotShareApp()));
    pMenu->addSeparator();
    pMenu->addAction(QIcon(":/pix/facebook.png"), "FaceBook", this, SLOT(slotFaceBook()));
    pMenu->addAction(QIcon(":/pix/youtube.png"), "YouTube", this, SLOT(slotYouTube()));
    pMenu->addAction(QIcon(":/pix/xing.png"), "Xing", this, SLOT(slotXing()));
    pMenu->addAction(QIcon(":/pix/mailru.png"), "MoiMir", this, SLOT(slotMoiMir()));
    setMenu(pMenu);
}

void CommunityButton::slotFaceBook() { openLink(m_strFaceBook); }

void CommunityButton::slotYouTube() { openLink(m_strYouTube); }

void CommunityButton::slotTwitter() { openLink(m_strTwitter); }

void CommunityButton::slotMoiMir() { openLink(m_strMoiMir); }

void CommunityButton::slotXing() { openLink(m_strXing); }

void MenuButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    const int nHalf = height() / 2;
    QPainter painter(this);
    painter.setFont(QFont("Arial", 11, QFont::Normal));
    painter.setPen(Qt::white);
    painter.drawText(QRect(QPoint(0, nHalf), QPoint(width() - 1, 2 * nHalf - 1)), Qt::AlignCenter, tr("Menu"));
}

} // namespace VUVararer
