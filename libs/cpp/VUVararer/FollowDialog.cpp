#include "FollowDialog.h"

#include "App.h"
#include "Common.h"
#include "Endpoints.h"
#include "FrameMenu.h"
#include "MMessageBox.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace VUVararer {

namespace {

// In builds sold outside the store the networks are reached through the maker's relay.
QString throughJoinRelay(const QString& strLink)
{
    if (!App::theApp()->isIndependent())
        return strLink;
    return Endpoints::current().joinUrl(QString::fromLatin1(QUrl::toPercentEncoding(strLink)));
}

} // namespace

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
    const struct {
        const char* name;
        const char* slot;
        bool visible;
    } buttons[] = {
        {"YouTubeJoinButton", SLOT(slotYouTubeClicked()), true},
        {"FaceBookJoinButton", SLOT(slotFaceBookClicked()), true},
        {"TwitterJoinButton", SLOT(slotTwitterClicked()), true},
        {"VKontakteJoinButton", SLOT(slotVKontakteClicked()), pApp->currentLanguage() == QLatin1String("ru")},
        {"EmailJoinButton", SLOT(slotEmailClicked()), false},
    };
    for (const auto& item : buttons) {
        auto* pButton = new QPushButton;
        applyButtonProperties(pButton, QLatin1String(item.name));
        pButton->setVisible(item.visible);
        connect(pButton, SIGNAL(clicked()), this, item.slot);
        pButtons->addWidget(pButton);
    }
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
    button->setFlat(true);
    button->setFixedSize(190, 35);
    button->setCheckable(true);
    button->setObjectName(name);
}

void JoinWidget::slotYouTubeClicked()
{
    FrameMenu::openLink(
        throughJoinRelay(Endpoints::current().m_strYoutubePage + QStringLiteral("?sub_confirmation=1")));
}

void JoinWidget::slotFaceBookClicked()
{
    MMessageBox::information(App::theApp()->mainWidget(), tr("Information"),
                             tr("<H3>\"Like\" Zembrel on Facebook to join us!<br>Thank you!</H3>"), MMessageBox::Ok, 0);
    FrameMenu::openLink(throughJoinRelay(Endpoints::current().m_strFacebookPage));
}

void JoinWidget::slotTwitterClicked()
{
    FrameMenu::openLink(throughJoinRelay(Endpoints::current().m_strTwitterPage));
}

void JoinWidget::slotVKontakteClicked()
{
    FrameMenu::openLink(Endpoints::current().m_strVkontaktePage);
}

void JoinWidget::slotEmailClicked()
{
    FrameMenu::openLink(m_strLinkTemplate.arg(QCoreApplication::applicationName()).arg(QStringLiteral("email")));
}

JoinDialog::JoinDialog(QWidget* parent) : QDialog(parent)
{
    const bool bPocket = App::theApp()->isPocketDevice();
    setWindowTitle(tr("Join us"));
    setObjectName(QStringLiteral("Dialog"));

    auto* pClose = new QPushButton(tr("&Close"));
    Common::applyPushButtonDetails(pClose);
    connect(pClose, SIGNAL(clicked()), this, SLOT(accept()));

    auto* pPanelRow = new QHBoxLayout;
    pPanelRow->setSpacing(7);
    pPanelRow->setContentsMargins(15, 15, 15, 15);
    pPanelRow->addStretch(1);
    pPanelRow->addWidget(new JoinWidget);
    pPanelRow->addStretch(1);

    QBoxLayout* pButtons = bPocket ? static_cast<QBoxLayout*>(new QVBoxLayout) : new QHBoxLayout;
    pButtons->setContentsMargins(10, 10, 10, 10);
    pButtons->setSpacing(7);
    pButtons->addStretch(1);
    pButtons->addWidget(pClose);
    pButtons->addStretch(1);

    auto* pMain = new QVBoxLayout(this);
    pMain->setSpacing(7);
    pMain->setContentsMargins(10, 10, 10, 10);
    pMain->addLayout(pPanelRow);
    pMain->addLayout(pButtons);
}

JoinReminderDialog::JoinReminderDialog(QWidget* parent) : ReminderDialog(parent)
{
    setWindowTitle(tr("Join Us"));
    m_phblExtra->addStretch(1);
    m_phblExtra->addWidget(new JoinWidget);
    m_phblExtra->addStretch(1);
    m_pbtnRate->setText(tr("&Close"));
    m_pbtnRate->setFocus(Qt::OtherFocusReason);
    m_plblText->hide();
    m_pbtnLater->hide();
    m_pbtnMail->hide();
    connect(m_pbtnRate, SIGNAL(clicked()), this, SLOT(accept()));
    connect(m_pbtnNever, SIGNAL(clicked()), this, SLOT(slotNeverAskMeAgain()));
}

} // namespace VUVararer
