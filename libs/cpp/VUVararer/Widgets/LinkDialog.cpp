#include "LinkDialog.h"

#include <VUVararer/App.h>
#include <VUVararer/Common.h>
#include <VUVararer/Endpoints.h>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace VUVararer {

namespace {

const char* const kShowKey = "ShowTutoralDialog";

} // namespace

LinkDialog::LinkDialog(QWidget* parent) : QDialog(parent), m_pchbRemember(new QCheckBox(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QCoreApplication::applicationName() + " Information");

    auto* plblPicture = new QLabel(this);
    plblPicture->setFixedSize(360, 177);
    plblPicture->setStyleSheet("QLabel{background-image: url(:/pix/nemo2.jpg);}");
    plblPicture->setText("<CENTER><H3>" + tr("Do you want to know what you can achieve with Snaplivet?") +
                         tr("<BR>(Watch the Video Introduction)</H3></CENTER>"));
    plblPicture->setWordWrap(true);

    auto* pcmdYes = new QPushButton(tr("&Yes"), this);
    auto* pcmdNo = new QPushButton(tr("&No"), this);
    Common::applyPushButtonDetails(pcmdYes);
    Common::applyPushButtonDetails(pcmdNo);
    auto* phblButtons = new QHBoxLayout;
    phblButtons->setContentsMargins(0, 0, 0, 0);
    phblButtons->setSpacing(5);
    phblButtons->addWidget(pcmdYes);
    phblButtons->addWidget(pcmdNo);

    m_pchbRemember->setChecked(!App::theApp()->settingsValue(kShowKey, true).toBool());
    auto* phblRemember = new QHBoxLayout;
    phblRemember->setContentsMargins(0, 0, 0, 0);
    phblRemember->setSpacing(1);
    phblRemember->addWidget(m_pchbRemember);
    phblRemember->addWidget(new QLabel(tr("Do not show this dialog again"), this));
    phblRemember->addStretch();

    auto* pvblMain = new QVBoxLayout(this);
    pvblMain->setContentsMargins(6, 6, 6, 6);
    pvblMain->setSpacing(6);
    pvblMain->addWidget(plblPicture);
    pvblMain->addLayout(phblButtons);
    pvblMain->addLayout(phblRemember);

    connect(pcmdYes, SIGNAL(clicked()), this, SLOT(slotGoToLink()));
    connect(pcmdNo, SIGNAL(clicked()), this, SLOT(slotReject()));
    connect(m_pchbRemember, SIGNAL(toggled(bool)), this, SLOT(slotRememberToggled(bool)));
}

QString LinkDialog::tutorialUrl(const QString& language)
{
    QString strBase = Endpoints::current().m_strProductSite;
    if (!strBase.endsWith('/'))
        strBase += '/';
    const QString strLanguage = language.contains("en") ? QString() : language + "/";
    return strBase + strLanguage + "tutorial/tutorial.htm";
}

void LinkDialog::slotGoToLink()
{
    const QString strUrl = tutorialUrl(App::theApp()->currentLanguage());
    accept();
    Common::openUrl(QUrl(strUrl));
}

void LinkDialog::slotReject() { reject(); }

void LinkDialog::slotRememberToggled(bool checked) { App::theApp()->setSettingsValue(kShowKey, !checked); }

} // namespace VUVararer
