#include "EmailEdit.h"

#include <MTools/RegExps.h>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace VUVararer {

namespace {

QPushButton* makeSendButton(const QString& glyph, const QString& name, const QString& toolTip, QWidget* parent)
{
    auto* pcmdSend = new QPushButton(glyph, parent);
    pcmdSend->setObjectName(name);
    pcmdSend->setToolTip(toolTip);
    pcmdSend->setFlat(true);
    pcmdSend->setFixedSize(24, 24);
    pcmdSend->setEnabled(false);
    return pcmdSend;
}

} // namespace

EmailEdit::EmailEdit(QWidget* parent)
    : QWidget(parent), m_pledAddress(new QLineEdit(this)),
      m_pcmdECard(makeSendButton(QString(QChar(0x2665)), "CardEditButton", tr("Send an ecard"), this)),
      m_pcmdEmail(makeSendButton("@", "EmailEditButton", tr("Send an email"), this))
{
    auto* phblMain = new QHBoxLayout(this);
    phblMain->setContentsMargins(0, 0, 0, 0);
    phblMain->setSpacing(0);
    phblMain->addWidget(m_pledAddress);
    phblMain->addWidget(m_pcmdECard);
    phblMain->addWidget(m_pcmdEmail);
    connect(m_pledAddress, SIGNAL(textChanged(QString)), this, SLOT(slotTextChanged()));
    connect(m_pcmdEmail, SIGNAL(clicked()), this, SLOT(slotSendEmail()));
    connect(m_pcmdECard, SIGNAL(clicked()), this, SLOT(slotSendECard()));
}

// The field's own textChanged signal reaches slotTextChanged, which signals and sets the buttons.
void EmailEdit::setText(const QString& text) { m_pledAddress->setText(text); }

QString EmailEdit::text() const { return m_pledAddress->text(); }

void EmailEdit::slotTextChanged()
{
    emit textChanged(text());
    const bool bValid = MTools::RegExps::email().exactMatch(text());
    m_pcmdECard->setEnabled(bValid);
    m_pcmdEmail->setEnabled(bValid);
}

void EmailEdit::slotSendEmail() { emit sendEmail(text()); }

void EmailEdit::slotSendECard() { emit sendECard(text()); }

} // namespace VUVararer
