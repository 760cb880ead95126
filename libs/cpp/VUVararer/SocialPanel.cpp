#include "SocialPanel.h"

#include "App.h"
#include "Common.h"
#include "Endpoints.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>
#include <QUrl>

namespace VUVararer {
namespace SocialPanel {

QString networkName(const QString& buttonName)
{
    static const struct
    {
        const char* prefix;
        const char* name;
    } kNetworks[] = {{"FaceBook", "Facebook"}, {"Twitter", "Twitter"},
                     {"Linkedin", "LinkedIn"}, {"VKontakte", "VKontakte"},
                     {"YouTube", "YouTube"},   {"Email", QT_TRANSLATE_NOOP("SocialPanel", "E-mail")}};
    for (const auto& network : kNetworks)
        if (buttonName.startsWith(QLatin1String(network.prefix)))
            return QCoreApplication::translate("SocialPanel", network.name);
    return QString();
}

void applyButtonProperties(QPushButton* button, const QString& name)
{
    button->setText(networkName(name));
    button->setFlat(true);
    button->setFixedSize(190, 35);
    button->setCheckable(true);
    button->setObjectName(name);
}

void addButtons(QObject* receiver, QBoxLayout* layout, std::initializer_list<Button> buttons)
{
    for (const Button& item : buttons) {
        auto* pButton = new QPushButton;
        applyButtonProperties(pButton, QLatin1String(item.name));
        pButton->setVisible(item.visible);
        QObject::connect(pButton, SIGNAL(clicked()), receiver, item.slot);
        layout->addWidget(pButton);
    }
}

QString throughRelay(const QString& strLink, QString (Endpoints::*relay)(const QString&) const)
{
    if (!App::theApp()->isIndependent())
        return strLink;
    return (Endpoints::current().*relay)(QString::fromLatin1(QUrl::toPercentEncoding(strLink)));
}

void layOutDialog(QDialog* dialog, QWidget* text, QWidget* panel, const QString& strClose)
{
    auto* pClose = new QPushButton(strClose);
    Common::applyPushButtonDetails(pClose);
    QObject::connect(pClose, SIGNAL(clicked()), dialog, SLOT(accept()));

    auto* pPanelRow = new QHBoxLayout;
    pPanelRow->setSpacing(7);
    pPanelRow->setContentsMargins(15, 15, 15, 15);
    pPanelRow->addStretch(1);
    pPanelRow->addWidget(panel);
    pPanelRow->addStretch(1);

    QBoxLayout* pButtons =
        App::theApp()->isPocketDevice() ? static_cast<QBoxLayout*>(new QVBoxLayout) : new QHBoxLayout;
    pButtons->setContentsMargins(10, 10, 10, 10);
    pButtons->setSpacing(7);
    pButtons->addStretch(1);
    pButtons->addWidget(pClose);
    pButtons->addStretch(1);

    auto* pMain = new QVBoxLayout(dialog);
    pMain->setSpacing(7);
    pMain->setContentsMargins(10, 10, 10, 10);
    if (text)
        pMain->addWidget(text);
    pMain->addLayout(pPanelRow);
    pMain->addLayout(pButtons);
}

} // namespace SocialPanel
} // namespace VUVararer
