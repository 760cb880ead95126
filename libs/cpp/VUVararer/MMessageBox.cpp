#include "MMessageBox.h"

#include "App.h"
#include "Common.h"

#include <QApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

namespace VUVararer {

MMessageBox::MMessageBox(Icon icon, const QString& title, const QString& text, int buttons, QWidget* parent,
                         const QString& userButtonText)
    : QDialog(parent)
{
    setMinimumSize(300, 200);
    setObjectName("MessageBox");
    setWindowTitle(title);

    m_plblText = new QLabel;
    m_plblText->setWordWrap(true);
    m_plblText->setText(text);
    m_plblIcon = new QLabel;
    const QPixmap pixmap = this->icon(icon);
    m_plblIcon->setPixmap(pixmap);
    m_plblIcon->setFixedSize(pixmap.width() + 5, pixmap.height() + 5);

    QBoxLayout* buttonRow = App::theApp()->isPocketDevice() ? static_cast<QBoxLayout*>(new QVBoxLayout)
                                                            : static_cast<QBoxLayout*>(new QHBoxLayout);
    buttonRow->setContentsMargins(1, 1, 1, 1);
    buttonRow->setSpacing(3);
    buttonRow->addStretch(1);
    const struct
    {
        int flag;
        QString label;
        const char* slot;
    } table[] = {
        {Ok, tr("Ok"), SLOT(slotOk())},
        {Cancel, tr("Cancel"), SLOT(slotCancel())},
        {No, tr("No"), SLOT(slotNo())},
        {Yes, tr("Yes"), SLOT(slotYes())},
        {Abort, tr("Abort"), SLOT(slotAbort())},
        {Retry, tr("Retry"), SLOT(slotRetry())},
        {Ignore, tr("Ignore"), SLOT(slotIgnore())},
        {YesAll, tr("YesAll"), SLOT(slotYesAll())},
        {NoAll, tr("NoAll"), SLOT(slotNoAll())},
    };
    auto addButton = [this, buttonRow](const QString& label, const char* slot) {
        auto* button = new QPushButton(label);
        connect(button, SIGNAL(clicked()), this, slot);
        Common::applyPushButtonDetails(button);
        buttonRow->addWidget(button);
    };
    for (const auto& entry : table)
        if (buttons & entry.flag)
            addButton(entry.label, entry.slot);
    if (!userButtonText.isEmpty())
        addButton(userButtonText, SLOT(slotUserDefined()));
    buttonRow->addStretch(1);

    auto* topRow = new QHBoxLayout;
    topRow->setContentsMargins(1, 1, 1, 1);
    topRow->setSpacing(1);
    topRow->addWidget(m_plblIcon);
    topRow->addWidget(m_plblText);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(5);
    layout->addLayout(topRow);
    layout->addLayout(buttonRow);
    setLayout(layout);
}

QPixmap MMessageBox::icon(Icon icon)
{
    QStyle::StandardPixmap standard;
    switch (icon) {
    case Information:
        standard = QStyle::SP_MessageBoxInformation;
        break;
    case Warning:
        standard = QStyle::SP_MessageBoxWarning;
        break;
    case Critical:
        standard = QStyle::SP_MessageBoxCritical;
        break;
    case Question:
        standard = QStyle::SP_MessageBoxQuestion;
        break;
    default:
        return QPixmap();
    }
    return QApplication::style()->standardPixmap(standard);
}

int MMessageBox::run(Icon icon, QWidget* parent, const QString& title, const QString& text, int buttons)
{
    QPointer<MMessageBox> box = new MMessageBox(icon, title, text, buttons, parent);
    const int result = box->exec();
    // The parent may have gone while the box ran; the box went with it then.
    delete box;
    return result;
}

int MMessageBox::critical(QWidget* parent, const QString& title, const QString& text, int buttons, int)
{
    return run(Critical, parent, title, text, buttons);
}

int MMessageBox::information(QWidget* parent, const QString& title, const QString& text, int buttons, int)
{
    return run(Information, parent, title, text, buttons);
}

int MMessageBox::question(QWidget* parent, const QString& title, const QString& text, int buttons, int)
{
    return run(Question, parent, title, text, buttons);
}

int MMessageBox::warning(QWidget* parent, const QString& title, const QString& text, int buttons, int)
{
    return run(Warning, parent, title, text, buttons);
}

void MMessageBox::slotOk() { done(Ok); }

void MMessageBox::slotCancel() { done(Cancel); }

void MMessageBox::slotYes() { done(Yes); }

void MMessageBox::slotNo() { done(No); }

void MMessageBox::slotAbort() { done(Abort); }

void MMessageBox::slotRetry() { done(Retry); }

void MMessageBox::slotIgnore() { done(Ignore); }

void MMessageBox::slotYesAll() { done(YesAll); }

void MMessageBox::slotNoAll() { done(NoAll); }

void MMessageBox::slotUserDefined() { done(UserDefined); }

} // namespace VUVararer
