#include "ShareDialog.h"

#include "App.h"
#include "Common.h"
#include "Endpoints.h"
#include "FrameMenu.h"
#include "Os.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace VUVararer {

namespace {

// In builds sold outside the store the networks are reached through the maker's relay.
QString throughShareRelay(const QString& strLink)
{
    if (!App::theApp()->isIndependent())
        return strLink;
    return Endpoints::current().shareUrl(QString::fromLatin1(QUrl::toPercentEncoding(strLink)));
}

} // namespace

TellWidget::TellWidget(QWidget* parent) : QFrame(parent)
{
    App* pApp = App::theApp();
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setSpacing(6);
    pLayout->setContentsMargins(10, 10, 10, 10);
    const struct {
        const char* name;
        const char* slot;
        bool visible;
    } buttons[] = {
        {"FaceBookShareButton", SLOT(slotFaceBookClicked()), !pApp->facebookShareLink().isEmpty()},
        {"TwitterShareButton", SLOT(slotTwitterClicked()), !pApp->twitterShareLink().isEmpty()},
        {"LinkedinShareButton", SLOT(slotLinkedinClicked()), false},
        {"VKontakteShareButton", SLOT(slotVKontakteClicked()), false},
        {"EmailShareButton", SLOT(slotEmailClicked()), true},
    };
    for (const auto& item : buttons) {
        auto* pButton = new QPushButton;
        applyButtonProperties(pButton, QLatin1String(item.name));
        pButton->setVisible(item.visible);
        connect(pButton, SIGNAL(clicked()), this, item.slot);
        pLayout->addWidget(pButton);
    }
}

void TellWidget::applyButtonProperties(QPushButton* button, const QString& name)
{
    button->setFlat(true);
    button->setFixedSize(190, 35);
    button->setCheckable(true);
    button->setObjectName(name);
}

void TellWidget::slotFaceBookClicked()
{
    FrameMenu::openLink(throughShareRelay(App::theApp()->facebookShareLink()));
}

void TellWidget::slotTwitterClicked()
{
    FrameMenu::openLink(throughShareRelay(App::theApp()->twitterShareLink()));
}

void TellWidget::slotLinkedinClicked() {}

void TellWidget::slotVKontakteClicked()
{
    FrameMenu::openLink(App::theApp()->vkontakteShareLink());
}

void TellWidget::slotEmailClicked()
{
    App* pApp = App::theApp();
    const QString strText =
        pApp->shareMessage() + QStringLiteral(" - ") +
        pApp->storeLink(pApp->appSupportPage()).replace(QLatin1String("macappstore"), QLatin1String("http"));
    QPixmap image(QStringLiteral(":/app.png"));
    if (!image.isNull())
        image = image.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Os::postToEmail(strText, image, QUrl());
}

TellDialog::TellDialog(QWidget* parent) : QDialog(parent)
{
    const bool bPocket = App::theApp()->isPocketDevice();
    setWindowTitle(QStringLiteral("Share ") + QCoreApplication::applicationName());
    setObjectName(QStringLiteral("Dialog"));

    auto* pText = new QLabel(QStringLiteral("<CENTER>") + (bPocket ? "<H4>" : "<H2>") + tr("If you like the app") +
                             tr("<br>please share it with<br>your friends.<br>Thanks!") +
                             (bPocket ? "</H4>" : "</H2>") + "</CENTER>");
    auto* pClose = new QPushButton(tr("&Close"));
    Common::applyPushButtonDetails(pClose);
    connect(pClose, SIGNAL(clicked()), this, SLOT(accept()));

    auto* pPanelRow = new QHBoxLayout;
    pPanelRow->setSpacing(7);
    pPanelRow->setContentsMargins(15, 15, 15, 15);
    pPanelRow->addStretch(1);
    pPanelRow->addWidget(new TellWidget);
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
    pMain->addWidget(pText);
    pMain->addLayout(pPanelRow);
    pMain->addLayout(pButtons);
}

TellReminderDialog::TellReminderDialog(QWidget* parent) : ReminderDialog(parent)
{
    const bool bPocket = App::theApp()->isPocketDevice();
    setWindowTitle(tr("Share"));
    m_plblText->setText(QStringLiteral("<CENTER>") + (bPocket ? "<H4>" : "<H3>") + tr("If you like the app") + tr(",") +
                        tr("<br>Share it with Your Friends.<br>Thanks!") + (bPocket ? "</H4>" : "</H3>") + "</CENTER>");
    m_phblExtra->addStretch(1);
    m_phblExtra->addWidget(new TellWidget);
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
