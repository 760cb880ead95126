#include "WindowTitle.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace VUVararer {

namespace {

QHBoxLayout* row(int margin, int spacing, QWidget* parent = nullptr)
{
    QHBoxLayout* pLayout = new QHBoxLayout(parent);
    pLayout->setContentsMargins(margin, margin, margin, margin);
    pLayout->setSpacing(spacing);
    return pLayout;
}

} // namespace

WindowTitle::WindowTitle(QWidget* parent)
    : QFrame(parent), m_pfrmBar(new QFrame(this)), m_pTools(new QWidget(m_pfrmBar)),
      m_pbtnClose(new QPushButton(QString(QChar(0x00D7)), m_pfrmBar)),
      m_pbtnActions(new QPushButton("Actions", m_pfrmBar)), m_pmnuActions(new QMenu(this))
{
    setCursor(Qt::ArrowCursor);
    m_pfrmBar->setObjectName("WindowTitleBar");
    m_pTools->setObjectName("WindowTitleTools");
    m_pbtnClose->setObjectName("CloseButton");
    m_pbtnClose->setFlat(true);
    m_pbtnClose->setToolTip(tr("Close"));
    m_pbtnActions->setObjectName("Actions");
    m_pbtnActions->setFlat(true);
    m_pbtnActions->setMenu(m_pmnuActions);
    m_pbtnActions->hide();

    m_pmnuActions->addAction(tr("Save as..."));
    m_pmnuActions->addAction(tr("Open with default program"));
    m_pmnuActions->addSeparator();
    m_pmnuActions->addAction(tr("Forward via instant message"));
    m_pmnuActions->addAction(tr("Forward via e-mail"));
    connect(m_pmnuActions, SIGNAL(aboutToShow()), this, SLOT(slotMenuAboutToShow()));
    connect(m_pmnuActions, SIGNAL(aboutToHide()), this, SLOT(slotMenuAboutToHide()));
    connect(m_pbtnClose, SIGNAL(clicked()), this, SIGNAL(closeWindow()));

    QHBoxLayout* pToolRow = row(0, 0);
    QToolButton* ptbtZoomIn = toolButton("ZoomInButton", QString(QChar(0x2212)), tr("Zoom Out"));
    QToolButton* ptbtZoomOut = toolButton("ZoomOutButton", "+", tr("Zoom In"));
    QToolButton* ptbtActual = toolButton("100PercentButton", "100%", tr("Actual Size"));
    QToolButton* ptbtOptimize = toolButton("AlwaysOptimizeButton", tr("Fit"), tr("Always Optimize"));
    ptbtOptimize->setCheckable(true);
    ptbtOptimize->setChecked(true);
    for (QToolButton* pButton : {ptbtZoomIn, ptbtZoomOut, ptbtActual, ptbtOptimize})
        pToolRow->addWidget(pButton);
    pToolRow->addStretch();
    connect(ptbtZoomIn, SIGNAL(clicked()), this, SIGNAL(zoomOutClicked()));
    connect(ptbtZoomOut, SIGNAL(clicked()), this, SIGNAL(zoomInClicked()));
    connect(ptbtActual, SIGNAL(clicked()), this, SIGNAL(actualSizeClicked()));
    connect(ptbtOptimize, SIGNAL(toggled(bool)), this, SIGNAL(alwaysOptimizeToggled(bool)));

    QHBoxLayout* pBar = row(5, 3, m_pfrmBar);
    pBar->addWidget(m_pTools);
    pBar->addLayout(pToolRow);
    pBar->addWidget(m_pbtnActions);
    pBar->addWidget(m_pbtnClose);
    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(m_pfrmBar);
}

QToolButton* WindowTitle::toolButton(const QString& name, const QString& text, const QString& toolTip)
{
    QToolButton* pButton = new QToolButton(m_pfrmBar);
    pButton->setObjectName(name);
    pButton->setText(text);
    pButton->setToolTip(toolTip);
    pButton->setAutoRaise(true);
    return pButton;
}

void WindowTitle::addTools(QLayout* layout)
{
    QHBoxLayout* pHolder = qobject_cast<QHBoxLayout*>(m_pTools->layout());
    if (!pHolder)
        pHolder = row(0, 0, m_pTools);
    pHolder->addLayout(layout);
}

void WindowTitle::mousePressEvent(QMouseEvent* event)
{
    m_ptPress = QPoint(qRound(event->localPos().x()), qRound(event->localPos().y()));
    QFrame::mousePressEvent(event);
}

void WindowTitle::mouseMoveEvent(QMouseEvent* event)
{
    emit changePosition(event->globalPos() - m_ptPress);
    event->accept();
}

MovieLabel::MovieLabel(const QString& fileName, QWidget* parent)
    : QLabel(parent), m_pMovie(new QMovie(fileName, QByteArray(), this)), m_pStopTimer(new QTimer(this))
{
    setObjectName("MovieLabel");
    setAlignment(Qt::AlignCenter);
    setMovie(m_pMovie);
    m_pStopTimer->setSingleShot(true);
    connect(m_pStopTimer, SIGNAL(timeout()), m_pMovie, SLOT(stop()));
}

void MovieLabel::setSpeed(int percent) { m_pMovie->setSpeed(percent); }

void MovieLabel::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    m_pMovie->start();
    // One timer, restarted on each show, so an earlier show cannot cut this one short.
    if (m_nDuration > 0)
        m_pStopTimer->start(m_nDuration);
}

void MovieLabel::hideEvent(QHideEvent* event)
{
    m_pStopTimer->stop();
    m_pMovie->stop();
    QLabel::hideEvent(event);
}

void MovieLabel::resizeEvent(QResizeEvent* event)
{
    m_pMovie->setScaledSize(QSize(qRound(width() / 1.1), qRound(height() / 1.1)));
    QLabel::resizeEvent(event);
}

} // namespace VUVararer
