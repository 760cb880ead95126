#include "InputDialog.h"

#include "App.h"
#include "Common.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>

namespace VUVararer {

InputDialog::InputDialog(const QString& label, QWidget* parent, const char*, bool, Type type)
    : QDialog(parent), m_type(type)
{
    setObjectName("InputDialog");
    m_pstkPages = new QStackedWidget;
    m_pspbValue = new QSpinBox;
    m_pledString = new QLineEdit;
    m_pledString->setFixedHeight(32);
    m_pstkPages->addWidget(m_pspbValue);
    m_pstkPages->addWidget(m_pledString);
    showPage();

    m_pbtnOk = new QPushButton(tr("Ok"));
    m_pbtnCancel = new QPushButton("Cancel");
    Common::applyPushButtonDetails(m_pbtnOk);
    Common::applyPushButtonDetails(m_pbtnCancel);
    connect(m_pbtnOk, SIGNAL(clicked()), this, SLOT(accept()));
    connect(m_pbtnCancel, SIGNAL(clicked()), this, SLOT(reject()));

    QBoxLayout* buttonRow = App::theApp()->isPocketDevice() ? static_cast<QBoxLayout*>(new QVBoxLayout)
                                                            : static_cast<QBoxLayout*>(new QHBoxLayout);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_pbtnOk);
    buttonRow->addWidget(m_pbtnCancel);

    auto* content = new QVBoxLayout;
    content->addWidget(new QLabel(label));
    content->addWidget(m_pstkPages);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(7);
    layout->addLayout(content);
    layout->addLayout(buttonRow);
    setLayout(layout);
}

void InputDialog::setType(Type type)
{
    m_type = type;
    showPage();
}

void InputDialog::showPage()
{
    QWidget* page = nullptr;
    if (m_type == Value)
        page = m_pspbValue;
    else if (m_type == String)
        page = m_pledString;
    if (!page)
        return;
    m_pstkPages->setCurrentWidget(page);
    page->setFocus(Qt::OtherFocusReason);
}

void InputDialog::accept() { QDialog::accept(); }

void InputDialog::reject() { QDialog::reject(); }

QString InputDialog::getText(QWidget* parent, const QString& title, const QString& label, QLineEdit::EchoMode mode,
                             const QString& text, bool* ok, const char* name)
{
    QPointer<InputDialog> dialog = new InputDialog(label, parent, name, false, String);
    dialog->setWindowTitle(title);
    dialog->stringWidget()->setEchoMode(mode);
    dialog->stringWidget()->setText(text);
    dialog->stringWidget()->setFocus(Qt::OtherFocusReason);
    const int result = dialog->exec();
    if (ok)
        *ok = result == QDialog::Accepted;
    QString typed;
    if (dialog)
        typed = dialog->stringWidget()->text();
    delete dialog;
    return typed;
}

int InputDialog::getInteger(QWidget* parent, const QString& title, const QString& label, int value, int minValue,
                            int maxValue, int, bool* ok, const char* name)
{
    QPointer<InputDialog> dialog = new InputDialog(label, parent, name, false, Value);
    dialog->setWindowTitle(title);
    // The range first, so the value is not clamped to the spin box's initial 0..99.
    dialog->valueWidget()->setRange(minValue, maxValue);
    dialog->valueWidget()->setValue(value);
    const int result = dialog->exec();
    if (ok)
        *ok = result == QDialog::Accepted;
    int chosen = value;
    if (dialog)
        chosen = dialog->valueWidget()->value();
    delete dialog;
    return chosen;
}

} // namespace VUVararer
