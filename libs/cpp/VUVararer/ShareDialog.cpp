#include "ShareDialog.h"

#include "App.h"
#include "Endpoints.h"
#include "FrameMenu.h"
#include "Os.h"
#include "SocialPanel.h"

#include <QBoxLayout>
#include <QLabel>
#include <QUrl>

namespace VUVararer {

TellWidget::TellWidget(QWidget* parent) : QFrame(parent)
{
    App* pApp = App::theApp();
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setSpacing(6);
    pLayout->setContentsMargins(10, 10, 10, 10);
    SocialPanel::addButtons(
        this, pLayout,
        {
            {"FaceBookShareButton", SLOT(slotFaceBookClicked()), !pApp->facebookShareLink().isEmpty()},
            {"TwitterShareButton", SLOT(slotTwitterClicked()), !pApp->twitterShareLink().isEmpty()},
            {"LinkedinShareButton", SLOT(slotLinkedinClicked()), false},
            {"VKontakteShareButton", SLOT(slotVKontakteClicked()), false},
            {"EmailShareButton", SLOT(slotEmailClicked()), true},
        });
}

void TellWidget::applyButtonProperties(QPushButton* button, const QString& name)
{
    SocialPanel::applyButtonProperties(button, name);
}

void TellWidget::slotFaceBookClicked()
{
    FrameMenu::openLink(SocialPanel::throughRelay(App::theApp()->facebookShareLink(), &Endpoints::shareUrl));
}

void TellWidget::slotTwitterClicked()
{
    FrameMenu::openLink(SocialPanel::throughRelay(App::theApp()->twitterShareLink(), &Endpoints::shareUrl));
}

void TellWidget::slotLinkedinClicked() {}

void TellWidget::slotVKontakteClicked() { FrameMenu::openLink(App::theApp()->vkontakteShareLink()); }

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
    SocialPanel::layOutDialog(this, pText, new TellWidget, tr("&Close"));
}

TellReminderDialog::TellReminderDialog(QWidget* parent) : ReminderDialog(parent)
{
    const bool bPocket = App::theApp()->isPocketDevice();
    setWindowTitle(tr("Share"));
    m_plblText->setText(QStringLiteral("<CENTER>") + (bPocket ? "<H4>" : "<H3>") + tr("If you like the app") + tr(",") +
                        tr("<br>Share it with Your Friends.<br>Thanks!") + (bPocket ? "</H4>" : "</H3>") + "</CENTER>");
    showPanelOnly(new TellWidget, tr("&Close"));
}

} // namespace VUVararer
