#include "FollowDialog.h"

#include "App.h"
#include "Endpoints.h"
#include "FrameMenu.h"
#include "MMessageBox.h"
#include "SocialPanel.h"

#include <QBoxLayout>
#include <QLabel>

namespace VUVararer {

JoinWidget::JoinWidget(QWidget* parent) : QFrame(parent)
{
    App* pApp = App::theApp();
    const bool bPocket = pApp->isPocketDevice();
    auto* pHeading = new QLabel((bPocket ? "<H5>" : "<H3>") + tr("Follow us and stay informed<br>about our") +
                                (bPocket ? "</H5>" : "</H3>") + (bPocket ? "<H4>" : "<H3>") +
                                tr("   1. Important News<br>") + tr("   2. New APPs<br>") +
                                tr("   3. APP Updates<br>") + tr("   and more...") + (bPocket ? "</H4>" : "</H3>"));

    auto* pButtons = new QVBoxLayout;
    pButtons->setSpacing(6);
    pButtons->setContentsMargins(10, 10, 10, 10);
    SocialPanel::addButtons(
        this, pButtons,
        {
            {"YouTubeJoinButton", SLOT(slotYouTubeClicked()), true},
            {"FaceBookJoinButton", SLOT(slotFaceBookClicked()), true},
            {"TwitterJoinButton", SLOT(slotTwitterClicked()), true},
            {"VKontakteJoinButton", SLOT(slotVKontakteClicked()), pApp->currentLanguage() == QLatin1String("ru")},
            {"EmailJoinButton", SLOT(slotEmailClicked()), false},
        });
    auto* pCentred = new QHBoxLayout;
    pCentred->setSpacing(0);
    pCentred->setContentsMargins(0, 0, 0, 0);
    pCentred->addStretch();
    pCentred->addLayout(pButtons);
    pCentred->addStretch();

    auto* pMain = new QVBoxLayout(this);
    pMain->setSpacing(0);
    pMain->setContentsMargins(0, 0, 0, 0);
    pMain->addWidget(pHeading);
    pMain->addLayout(pCentred);
}

void JoinWidget::applyButtonProperties(QPushButton* button, const QString& name)
{
    SocialPanel::applyButtonProperties(button, name);
}

void JoinWidget::slotYouTubeClicked()
{
    FrameMenu::openLink(SocialPanel::throughRelay(
        Endpoints::current().m_strYoutubePage + QStringLiteral("?sub_confirmation=1"), &Endpoints::joinUrl));
}

void JoinWidget::slotFaceBookClicked()
{
    MMessageBox::information(App::theApp()->mainWidget(), tr("Information"),
                             tr("<H3>\"Like\" Zembrel on Facebook to join us!<br>Thank you!</H3>"), MMessageBox::Ok, 0);
    FrameMenu::openLink(SocialPanel::throughRelay(Endpoints::current().m_strFacebookPage, &Endpoints::joinUrl));
}

void JoinWidget::slotTwitterClicked()
{
    FrameMenu::openLink(SocialPanel::throughRelay(Endpoints::current().m_strTwitterPage, &Endpoints::joinUrl));
}

void JoinWidget::slotVKontakteClicked() { FrameMenu::openLink(Endpoints::current().m_strVkontaktePage); }

void JoinWidget::slotEmailClicked()
{
    FrameMenu::openLink(m_strLinkTemplate.arg(QCoreApplication::applicationName()).arg(QStringLiteral("email")));
}

JoinDialog::JoinDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Join us"));
    setObjectName(QStringLiteral("Dialog"));
    SocialPanel::layOutDialog(this, nullptr, new JoinWidget, tr("&Close"));
}

JoinReminderDialog::JoinReminderDialog(QWidget* parent) : ReminderDialog(parent)
{
    setWindowTitle(tr("Join Us"));
    showPanelOnly(new JoinWidget, tr("&Close"));
}

} // namespace VUVararer
