#include "SearchFilter.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace VUVararer {

SearchFilter::SearchFilter(QWidget* parent) : QLineEdit(parent), m_pcmdClear(new QPushButton(this))
{
    setObjectName("SearchFilter");
    setToolTip(tr("Search Filter"));
    m_pcmdClear->setObjectName("SearchFilterDel");
    m_pcmdClear->setToolTip(tr("Clear"));
    m_pcmdClear->setFlat(true);
    m_pcmdClear->setFixedSize(16, 16);
    m_pcmdClear->setMouseTracking(true);
    m_pcmdClear->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
    m_pcmdClear->hide();
    auto* phblMain = new QHBoxLayout(this);
    phblMain->setContentsMargins(0, 0, 0, 0);
    phblMain->setSpacing(0);
    phblMain->addStretch();
    phblMain->addWidget(m_pcmdClear);

    auto* pactClose = new QAction("Close", this);
    pactClose->setShortcut(QKeySequence(Qt::Key_Escape));
    pactClose->setShortcutContext(Qt::WidgetShortcut);
    addAction(pactClose);
    connect(pactClose, SIGNAL(triggered()), this, SLOT(slotClearClicked()));
    connect(m_pcmdClear, SIGNAL(clicked()), this, SLOT(slotClearClicked()));
    connect(this, SIGNAL(textChanged(QString)), this, SLOT(slotTextChanged(QString)));
}

void SearchFilter::slotTextChanged(const QString& text)
{
    if (m_pcmdClear->isHidden())
        m_pcmdClear->show();
    else if (text.isEmpty())
        m_pcmdClear->hide();
}

void SearchFilter::slotClearClicked()
{
    clear();
    m_pcmdClear->hide();
}

void SearchFilter::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    if (text().isEmpty()) {
        painter.setPen(Qt::white);
        painter.drawText(rect().translated(5, 0), Qt::AlignVCenter | Qt::AlignLeft, tr("Search:"));
    }
    const int h = height();
    painter.drawPixmap(QRect(width() - h, 0, h, h), QPixmap(":/pix/search.png"));
}

} // namespace VUVararer
