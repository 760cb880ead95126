#include "WaitIndicators.h"

#include <QHBoxLayout>
#include <QMovie>
#include <QTimer>
#include <QVBoxLayout>

namespace VUVararer {

namespace {

const char* const kLoadingAnimation = ":/pix/loading.gif";
const int kCloseAfterMs = 10000;
const Qt::WindowFlags kIndicatorFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

} // namespace

UpdateIndicationDialog::UpdateIndicationDialog(QWidget* parent)
    : QDialog(parent, kIndicatorFlags), m_plblAnimation(new QLabel(this)), m_plblText(new QLabel(this)),
      m_pMovie(new QMovie(kLoadingAnimation, QByteArray(), this)), m_pTimer(new QTimer(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowOpacity(0.8);
    setMinimumHeight(70);
    m_pMovie->setSpeed(300);
    m_plblAnimation->setMovie(m_pMovie);
    m_plblText->setTextFormat(Qt::PlainText);
    m_pTimer->setInterval(kCloseAfterMs);
    connect(m_pTimer, SIGNAL(timeout()), this, SLOT(slotTimeOut()));
    auto* phblMain = new QHBoxLayout(this);
    phblMain->setContentsMargins(2, 2, 2, 2);
    phblMain->setSpacing(3);
    phblMain->addWidget(m_plblAnimation);
    phblMain->addWidget(m_plblText);
}

void UpdateIndicationDialog::setText(const QString& text) { m_plblText->setText(text); }

void UpdateIndicationDialog::slotTimeOut() { accept(); }

void UpdateIndicationDialog::showEvent(QShowEvent* event)
{
    m_pMovie->start();
    m_plblAnimation->setFixedSize(m_pMovie->currentPixmap().size());
    QDialog::showEvent(event);
    m_pTimer->start();
}

void UpdateIndicationDialog::hideEvent(QHideEvent* event)
{
    m_pMovie->stop();
    m_pTimer->stop();
    QDialog::hideEvent(event);
}

WaitLabel::WaitLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent, kIndicatorFlags), m_plblAnimation(new QLabel(this)),
      m_pMovie(new QMovie(kLoadingAnimation, QByteArray(), this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowOpacity(0.5);
    setFixedSize(width(), 300);
    m_plblAnimation->setMovie(m_pMovie);
    m_pMovie->start();
    m_plblAnimation->setFixedSize(m_pMovie->frameRect().size() + QSize(5, 5));
    auto* pvblMain = new QVBoxLayout(this);
    pvblMain->setContentsMargins(20, 20, 20, 20);
    pvblMain->setSpacing(10);
    pvblMain->addWidget(m_plblAnimation);
}

} // namespace VUVararer
