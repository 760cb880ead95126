#include "ErrorsDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

ErrorsDialog::ErrorsDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("ERRORS LOG"));
    m_pteText = new QTextEdit(this);
    m_pteText->setObjectName(QStringLiteral("ErrorsText"));
    m_pteText->setReadOnly(true);

    auto* pbtnOk = new QPushButton(tr("&Ok"), this);
    pbtnOk->setObjectName(QStringLiteral("PushButton"));
    pbtnOk->setFlat(true);
    connect(pbtnOk, SIGNAL(clicked()), this, SLOT(accept()));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(pbtnOk);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pteText);
    layout->addLayout(buttons);
}

void ErrorsDialog::setText(const QString& text) { m_pteText->setPlainText(text); }
