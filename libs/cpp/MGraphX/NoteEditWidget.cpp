#include "NoteEditWidget.h"

#include "ImageNotePictures.h"

#include <VUVararer/App.h>

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace VUVararer {

NoteEditWidget::NoteEditWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("NoteEditWidget"));
    if (App* pApp = App::theApp())
        pApp->setSaveDirPath(pApp->workDirectory(true));

    m_ptxtEdit = new QTextEdit;
    m_ptxtEdit->setAttribute(Qt::WA_TranslucentBackground);
    m_ptxtEdit->setAcceptRichText(false);
    m_pcmdAccept = createButton(QStringLiteral("NoteEditWidgetAccept"), tr("Accept"));
    m_pcmdCancel = createButton(QStringLiteral("NoteEditWidgetReject"), tr("Cancel"));
    QPushButton* pcmdInc = createButton(QStringLiteral("NoteEditWidgetInc"), tr("Increase"));
    QPushButton* pcmdDec = createButton(QStringLiteral("NoteEditWidgetDec"), tr("Decrease"));
    connect(pcmdInc, SIGNAL(clicked()), this, SLOT(slotIncrease()));
    connect(pcmdDec, SIGNAL(clicked()), this, SLOT(slotDecrease()));
    connect(m_pcmdCancel, SIGNAL(clicked()), this, SIGNAL(cancelClicked()));
    connect(m_pcmdAccept, SIGNAL(clicked()), this, SIGNAL(okClicked()));

    QHBoxLayout* pButtons = new QHBoxLayout;
    pButtons->setContentsMargins(0, 0, 0, 0);
    pButtons->setSpacing(0);
    pButtons->addWidget(m_pcmdAccept);
    pButtons->addWidget(m_pcmdCancel);
    pButtons->addStretch();
    pButtons->addWidget(pcmdInc);
    pButtons->addWidget(pcmdDec);
    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(m_ptxtEdit);
    pLayout->addLayout(pButtons);
}

qreal NoteEditWidget::fontPointSize() const { return m_ptxtEdit->fontPointSize(); }

void NoteEditWidget::hideAll()
{
    hide();
    m_ptxtEdit->hide();
    m_pcmdAccept->hide();
    m_pcmdCancel->hide();
}

void NoteEditWidget::showAll()
{
    show();
    m_ptxtEdit->show();
    m_pcmdAccept->show();
    m_pcmdCancel->show();
    m_ptxtEdit->setFocus(Qt::OtherFocusReason);
}

void NoteEditWidget::slotIncrease() { changePointSize(5); }

void NoteEditWidget::slotDecrease() { changePointSize(-5); }

void NoteEditWidget::changePointSize(qreal delta)
{
    m_ptxtEdit->selectAll();
    m_ptxtEdit->setFontPointSize(qMax<qreal>(1, m_ptxtEdit->currentFont().pointSizeF() + delta));
}

QPushButton* NoteEditWidget::createButton(const QString& objectName, const QString& toolTip)
{
    QPushButton* pButton = new QPushButton;
    pButton->setObjectName(objectName);
    pButton->setToolTip(toolTip);
    pButton->setFlat(true);
    pButton->setIcon(ImageNotePictures::buttonIcon(objectName));
    return pButton;
}

} // namespace VUVararer
