#include "LicenseDialog.h"

#include "App.h"
#include "Common.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace VUVararer {

namespace {

QString licenseKey() { return QCoreApplication::applicationName() + "/License"; }

} // namespace

LicenseDialog::LicenseDialog(QWidget* parent) : TopWidget(true, parent)
{
    hideMaximize();
    hideMinimize();
    hideClose();
    setTitleLabel(QCoreApplication::applicationName() + " " + tr("License Agreement"));

    auto* pbtnAgree = new QPushButton(tr("&Agree"));
    auto* pbtnDisagree = new QPushButton(tr("&Disagree"));
    Common::applyPushButtonDetails(pbtnAgree);
    Common::applyPushButtonDetails(pbtnDisagree);
    connect(pbtnAgree, SIGNAL(clicked()), this, SLOT(slotAccept()));
    connect(pbtnDisagree, SIGNAL(clicked()), this, SLOT(reject()));

    m_pteText = new QTextEdit;
    m_pteText->setStyleSheet("background:white; color:black");
    m_pteText->setReadOnly(true);

    auto* buttons = new QHBoxLayout;
    buttons->setMargin(2);
    buttons->setSpacing(2);
    buttons->addStretch(1);
    buttons->addWidget(pbtnAgree);
    buttons->addWidget(pbtnDisagree);

    auto* layout = new QVBoxLayout;
    layout->setMargin(6);
    layout->setSpacing(6);
    layout->addWidget(m_pteText);
    layout->addLayout(buttons);
    topLayout()->addLayout(layout);
}

void LicenseDialog::setHtml(const QString& html) { m_pteText->setHtml(html); }

bool LicenseDialog::isLicenseAccepted() { return App::theApp()->settingsValue(licenseKey(), false).toBool(); }

void LicenseDialog::slotAccept()
{
    App::theApp()->setSettingsValue(licenseKey(), true);
    accept();
}

void LicenseDialog::slotDisagree() {}

} // namespace VUVararer
