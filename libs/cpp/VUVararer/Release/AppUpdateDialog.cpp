#include "AppUpdateDialog.h"

#include <QMRequest/Downloader.h>
#include <VUVararer/App.h>
#include <VUVararer/Common.h>
#include <VUVararer/Endpoints.h>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace MRelease {

AppUpdateDialog::AppUpdateDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UpdateDialog"));
    setWindowTitle(QCoreApplication::applicationName() + tr(" Updates Notification"));

    m_plblPic = new QLabel(this);
    m_plblMessage = new QLabel(this);
    m_pchbCheck = new QCheckBox(tr("Check for updates on start"), this);
    m_plblPic->setAlignment(Qt::AlignHCenter);
    connect(m_pchbCheck, SIGNAL(toggled(bool)), this, SLOT(slotSetChecked(bool)));

    QPushButton* pbtnYes = new QPushButton(tr("Yes"), this);
    connect(pbtnYes, SIGNAL(clicked()), this, SLOT(slotUpdate()));
    QPushButton* pbtnNo = new QPushButton(tr("No"), this);
    connect(pbtnNo, SIGNAL(clicked()), this, SLOT(slotCancel()));
    VUVararer::Common::applyPushButtonDetails(pbtnYes);
    VUVararer::Common::applyPushButtonDetails(pbtnNo);

    QHBoxLayout* pButtons = new QHBoxLayout;
    pButtons->setContentsMargins(0, 0, 0, 0);
    pButtons->setSpacing(3);
    pButtons->addWidget(pbtnYes);
    pButtons->addWidget(pbtnNo);

    QHBoxLayout* pCheckRow = new QHBoxLayout;
    pCheckRow->setContentsMargins(2, 2, 2, 2);
    pCheckRow->setSpacing(1);
    pCheckRow->addWidget(m_pchbCheck);
    pCheckRow->addStretch(1);

    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(6, 6, 6, 6);
    pLayout->setSpacing(6);
    pLayout->addWidget(m_plblPic);
    pLayout->addWidget(m_plblMessage);
    pLayout->addLayout(pButtons);
    pLayout->addLayout(pCheckRow);

    if (isChecked())
        m_pchbCheck->setChecked(true);
}

bool AppUpdateDialog::isChecked()
{
    return VUVararer::App::theApp()->settingsValue(QStringLiteral("checkupdates"), true).toBool();
}

void AppUpdateDialog::setChecked(bool bChecked)
{
    VUVararer::App::theApp()->setSettingsValue(QStringLiteral("checkupdates"), bChecked);
}

void AppUpdateDialog::setMessage(const QString& strMessage) { m_plblMessage->setText(strMessage); }

void AppUpdateDialog::setPic(const QPixmap& pixmap) { m_plblPic->setPixmap(pixmap); }

void AppUpdateDialog::slotCancel() { reject(); }

void AppUpdateDialog::slotUpdate()
{
    const QString strPage =
        QMRequest::Downloader::withScheme(VUVararer::Endpoints::current().m_strUpdateServer +
                                          VUVararer::Endpoints::updatePagePath(QCoreApplication::applicationName()));
    VUVararer::Common::openUrl(QUrl(strPage, QUrl::TolerantMode));
    reject();
}

void AppUpdateDialog::slotSetChecked(bool bChecked) { setChecked(bChecked); }

} // namespace MRelease
