#include "TopWidget.h"

#include "App.h"
#include "Common.h"

#include <QAction>
#include <QBitmap>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace VUVararer {

TitleLabel::TitleLabel(QWidget* parent) : QLabel(parent) {}

TitleLabel::~TitleLabel() { delete m_pDecoration; }

void TitleLabel::setDecoration(QWidget* widget, const QPoint& offset)
{
    if (m_pDecoration != widget)
        delete m_pDecoration;
    m_pDecoration = widget;
    m_ptDecorationOffset = offset;
    if (widget)
        widget->setWindowFlags(Qt::ToolTip);
}

void TitleLabel::mousePressEvent(QMouseEvent* event)
{
    m_ptPress = event->localPos().toPoint();
    // Wayland clients cannot place their own windows; the compositor moves them instead.
    QWidget* window = parentWidget() ? parentWidget()->window() : nullptr;
    if (event->button() == Qt::LeftButton && window && window->windowHandle() &&
        QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        window->windowHandle()->startSystemMove();
    QLabel::mousePressEvent(event);
}

void TitleLabel::mouseMoveEvent(QMouseEvent* event)
{
    // The press point is kept in the window's coordinates, so the window does not jump by the title's offset.
    if (QWidget* parent = parentWidget())
        parent->move(event->screenPos().toPoint() - mapTo(parent, m_ptPress));
    if (m_pDecoration)
        m_pDecoration->move(mapToGlobal(m_ptDecorationOffset));
    QLabel::mouseMoveEvent(event);
}

void TitleLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (m_pDecoration)
        m_pDecoration->move(mapToGlobal(m_ptDecorationOffset));
}

void TitleLabel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_pDecoration) {
        m_pDecoration->move(mapToGlobal(m_ptDecorationOffset));
        m_pDecoration->show();
    }
}

void TitleLabel::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_pDecoration)
        m_pDecoration->hide();
}

IconLabel::IconLabel(QWidget* parent) : QLabel(parent) {}

void IconLabel::mousePressEvent(QMouseEvent* event) { QLabel::mousePressEvent(event); }

TopWidget::TopWidget(bool overWidget, QWidget* parent) : QFrame(parent)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);

    m_pbtnClose = new QPushButton;
    m_pbtnMaximize = new QPushButton;
    m_pbtnMinimize = new QPushButton;
    m_plblTitle = new TitleLabel;
    m_plblIcon = new IconLabel;
    m_plblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_plblIcon->setFixedSize(24, 24);
    m_plblIcon->hide();

    const struct
    {
        QPushButton* button;
        const char* name;
        QString toolTip;
        QObject* receiver;
        const char* slot;
    } buttons[] = {
        {m_pbtnClose, "TopWidgetClose", tr("Close"), this, SLOT(reject())},
        {m_pbtnMaximize, "TopWidgetMaximize", tr("Maximize"), this, SLOT(showMaximized())},
        {m_pbtnMinimize, "TopWidgetMinimize", tr("Minimize"), this, SLOT(showMinimized())},
    };
    for (const auto& entry : buttons) {
        Common::extend(entry.button, entry.name, entry.toolTip);
        entry.button->setFixedSize(24, 24);
        entry.button->setFlat(true);
        connect(entry.button, SIGNAL(clicked()), entry.receiver, entry.slot);
    }

    Common::extend(m_plblTitle, "TopWidgetTitle", tr("Title"));
    m_plblTitle->setFixedHeight(28);
    m_plblTitle->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(1, 1, 1, 1);
    titleRow->setSpacing(1);
    if (App::isAppStore()) {
        titleRow->addWidget(m_pbtnClose);
        titleRow->addWidget(m_pbtnMaximize);
        titleRow->addWidget(m_pbtnMinimize);
        titleRow->addStretch(1);
        titleRow->addWidget(m_plblIcon);
        titleRow->addStretch(1);
    } else {
        titleRow->addWidget(m_plblIcon);
        titleRow->addStretch(1);
        titleRow->addWidget(m_pbtnMinimize);
        titleRow->addWidget(m_pbtnMaximize);
        titleRow->addWidget(m_pbtnClose);
    }
    m_plblTitle->setLayout(titleRow);

    auto* windowLayout = new QVBoxLayout;
    if (overWidget) {
        auto* over = new QWidget;
        over->setObjectName("TopOverWidget");
        m_pTopLayout = new QVBoxLayout;
        m_pTopLayout->setContentsMargins(0, 0, 0, 0);
        m_pTopLayout->setSpacing(0);
        over->setLayout(m_pTopLayout);
        windowLayout->setContentsMargins(0, 0, 0, 0);
        windowLayout->setSpacing(0);
        windowLayout->addWidget(m_plblTitle);
        windowLayout->addWidget(over);
    } else {
        windowLayout->setContentsMargins(1, 1, 1, 1);
        windowLayout->setSpacing(1);
        windowLayout->addWidget(m_plblTitle);
        m_pTopLayout = windowLayout;
    }
    setLayout(windowLayout);
}

TopWidget::~TopWidget()
{
    // A running exec() notices the destruction through its guard and returns 0.
    if (m_pLoop)
        m_pLoop->exit(0);
}

void TopWidget::setTitleLabel(const QString& text)
{
    m_plblTitle->setText(text);
    setWindowTitle(text);
}

void TopWidget::setTitleHeight(int height) { m_plblTitle->setFixedHeight(height); }

void TopWidget::setIcon(const QPixmap& pixmap)
{
    m_plblIcon->setPixmap(pixmap.scaled(24, 24, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    m_plblIcon->show();
}

void TopWidget::hideClose() { m_pbtnClose->hide(); }

void TopWidget::hideMaximize() { m_pbtnMaximize->hide(); }

void TopWidget::hideMinimize() { m_pbtnMinimize->hide(); }

void TopWidget::showClose() { m_pbtnClose->show(); }

void TopWidget::showMaximize() { m_pbtnMaximize->show(); }

void TopWidget::showMinimize() { m_pbtnMinimize->show(); }

void TopWidget::setDecoration(QWidget* widget, const QPoint& offset) { m_plblTitle->setDecoration(widget, offset); }

void TopWidget::setDecoration(QMovie* movie, const QPoint& offset)
{
    auto* label = new QLabel;
    label->setMovie(movie);
    m_plblTitle->setDecoration(label, offset);
    movie->start();
    const QPixmap frame = movie->currentPixmap();
    label->setFixedSize(frame.size());
    label->setAutoFillBackground(false);
    label->setMask(frame.mask());
}

void TopWidget::setDecoration(const QPixmap& pixmap, const QPoint& offset)
{
    auto* label = new QLabel;
    label->setPixmap(pixmap);
    m_plblTitle->setDecoration(label, offset);
    label->setFixedSize(pixmap.size());
    label->setAutoFillBackground(false);
    label->setMask(pixmap.mask());
}

int TopWidget::exec()
{
    if (m_pLoop) {
        qWarning("TopWidget::exec: the window is already running modally");
        return -1;
    }
    setAttribute(Qt::WA_ShowModal, true);
    show();
    if (!m_pEscapeAction) {
        m_pEscapeAction = new QAction(this);
        m_pEscapeAction->setShortcut(Qt::Key_Escape);
        connect(m_pEscapeAction, SIGNAL(triggered()), this, SLOT(reject()));
        addAction(m_pEscapeAction);
    }
    QPointer<TopWidget> guard(this);
    QEventLoop loop;
    m_pLoop = &loop;
    const int result = loop.exec(QEventLoop::DialogExec);
    if (guard.isNull())
        return 0;
    m_pLoop = nullptr;
    hide();
    return result;
}

void TopWidget::accept()
{
    if (m_pLoop)
        m_pLoop->exit(1);
}

void TopWidget::reject()
{
    if (m_pLoop)
        m_pLoop->exit(0);
    else
        hide();
}

} // namespace VUVararer
