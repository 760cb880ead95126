#include "AboutDialog.h"

#include "App.h"
#include "Common.h"
#include "Endpoints.h"

#include <QBoxLayout>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

namespace VUVararer {

QString AboutDialog::sm_strLegalNotices;
int AboutDialog::sm_nLegalNoticesAdded = 0;

namespace {

QHBoxLayout* centred(QWidget* widget)
{
    auto* pRow = new QHBoxLayout;
    pRow->addStretch(1);
    pRow->addWidget(widget);
    pRow->addStretch(1);
    return pRow;
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog"));
    // Each extra notice joins the application's notices once, however often the dialog opens.
    App::theApp()->addLegalNotices(sm_strLegalNotices.mid(sm_nLegalNoticesAdded));
    sm_nLegalNoticesAdded = sm_strLegalNotices.size();

    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint);
    setWindowTitle(QCoreApplication::applicationName() + tr(" Info"));

    m_plblLogo = new QLabel;
    m_plblLogo->setObjectName(QStringLiteral("LogoLabel"));
    m_plblLogo->setFixedSize(290, 290);
    m_plblLogo->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    m_plblLogo->setLineWidth(5);
    m_plblLogo->setAutoFillBackground(true);

    m_pbtnLegalNotices = new QPushButton(tr("&Legal Notices"));
    auto* pOk = new QPushButton(tr("&Ok"));
    Common::applyPushButtonDetails(m_pbtnLegalNotices);
    Common::applyPushButtonDetails(pOk);
    connect(m_pbtnLegalNotices, SIGNAL(clicked()), this, SLOT(slotLegalNoticesClicked()));
    connect(pOk, SIGNAL(clicked()), this, SLOT(slotOkClicked()));

    m_plblInfo = new QLabel;
    m_ptbLegal = new QTextBrowser;
    m_ptbLegal->hide();
    m_ptbLegal->setReadOnly(true);
    m_ptbLegal->setOpenLinks(false);
    m_ptbLegal->setObjectName(QStringLiteral("AboutLegalInfo"));
    connect(m_ptbLegal, SIGNAL(anchorClicked(QUrl)), this, SLOT(slotAnchorClicked(QUrl)));
    m_plblInfo->setObjectName(QStringLiteral("AboutInfoLabel"));
    m_plblInfo->setStyleSheet(QStringLiteral("background: black;"));
    m_plblInfo->setOpenExternalLinks(true);
    m_plblInfo->setFixedHeight(87);
    m_plblInfo->setText(infoText());

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(4, 4, 4, 4);
    pLayout->setSpacing(5);
    pLayout->addLayout(centred(m_plblLogo));
    pLayout->addWidget(m_plblInfo);
    pLayout->addWidget(m_ptbLegal);
    pLayout->addLayout(centred(m_pbtnLegalNotices));
    pLayout->addLayout(centred(pOk));
    pOk->setFocus(Qt::OtherFocusReason);
}

QString AboutDialog::infoText() const
{
    App* pApp = App::theApp();
    const QDate buildDate = pApp->buildDate();
    const QString strAddress = Endpoints::current().m_strAboutAddress;
    QString strText = QStringLiteral("<BODY BGCOLOR=#000000><FONT COLOR=#00A0E0 SIZE=2><CENTER>");
    strText += QCoreApplication::applicationName() + QStringLiteral(" v") + QCoreApplication::applicationVersion() +
               QStringLiteral(" Build: ") + buildDate.toString(QStringLiteral("dd.MM.yyyy"));
    strText += QStringLiteral("<BR>") +
               tr("Copyright &copy; %1 Zembrel. All rights reserved.").arg(buildDate.toString(QStringLiteral("yyyy"))) +
               QStringLiteral("<BR>");
    if (pApp->isKidsMode())
        strText += strAddress;
    else
        strText +=
            QStringLiteral("<A HREF=\"") + strAddress + QStringLiteral("\">") + strAddress + QStringLiteral("</A>");
    strText += QStringLiteral("<BR><IMG SRC=\":/pix/zembrellogo.png\"></CENTER>");
    return strText;
}

void AboutDialog::addLegalNotices(const QString& text)
{
    QString strText = text;
    strText.replace(QLatin1String("<!bundlepath!>"), App::theApp()->bundleResourcePath());
    sm_strLegalNotices += strText;
}

void AboutDialog::setMainInfoVisible(bool visible)
{
    const QSize size = this->size();
    m_plblInfo->setVisible(visible);
    m_plblLogo->setVisible(visible);
    m_ptbLegal->setVisible(!visible);
    if (!visible) {
        m_pbtnLegalNotices->setText(tr("&Back"));
        m_ptbLegal->setHtml(QStringLiteral("<BODY><CENTER>") + App::theApp()->legalNotices() +
                            QStringLiteral("</CENTER></BODY>"));
    } else {
        m_pbtnLegalNotices->setText(tr("&Legal Notices"));
    }
    setFixedSize(size);
}

void AboutDialog::slotLegalNoticesClicked() { setMainInfoVisible(m_plblLogo->isHidden()); }

void AboutDialog::slotOkClicked()
{
    close();
    setMainInfoVisible(true);
}

void AboutDialog::slotAnchorClicked(const QUrl& url)
{
    if (!url.toLocalFile().contains(QLatin1String(".LGPL"))) {
        Common::openUrl(url);
        return;
    }
    QFile file(App::theApp()->bundleResourcePath() + QStringLiteral("LICENSE.LGPL"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    m_ptbLegal->setPlainText(
        QString::fromUtf8(content.left(content.indexOf('\0') < 0 ? content.size() : content.indexOf('\0'))));
}

} // namespace VUVararer
