#include "IntroductionDialog.h"

#include "App.h"
#include "Common.h"
#include "Endpoints.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace VUVararer {

HelpDisplay::HelpDisplay(QWidget* parent) : QFrame(parent) {}

void HelpDisplay::setSlide(const QString& path)
{
    m_strSlide = path;
    update();
}

void HelpDisplay::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (m_strSlide.isEmpty())
        return;
    if (m_strLoaded != m_strSlide) {
        m_pixLoaded = QPixmap(m_strSlide);
        m_strLoaded = m_strSlide;
    }
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRect(rect());
    if (m_pixLoaded.isNull())
        return;
    const int nRatio = qMax(1, int(App::theApp()->devicePixelRatio()));
    const QPixmap scaled =
        m_pixLoaded.scaled(width() * nRatio, height() * nRatio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const int nWidth = scaled.width() / nRatio;
    const int nHeight = scaled.height() / nRatio;
    painter.drawPixmap(QRect((width() - nWidth) / 2, (height() - nHeight) / 2, nWidth, nHeight), scaled);
}

HelpViewArea::HelpViewArea(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("HelpViewArea"));
    m_pTimer = new QTimer(this);
    m_pTimer->setInterval(5000);
    connect(m_pTimer, SIGNAL(timeout()), this, SLOT(slotShowNextSlide()));

    m_pDisplay = new HelpDisplay;
    if (App::theApp()->isPocketDevice())
        m_pDisplay->setMinimumSize(280, 220);
    else
        m_pDisplay->setMinimumSize(400, 300);

    m_pGroup = new QButtonGroup(this);
    m_pGroup->setExclusive(true);

    m_phblButtons = new QHBoxLayout;
    m_phblButtons->setContentsMargins(0, 0, 0, 0);
    m_phblButtons->setSpacing(3);
    auto* pRow = new QHBoxLayout;
    pRow->setContentsMargins(0, 0, 0, 0);
    pRow->addStretch(1);
    pRow->addLayout(m_phblButtons);
    pRow->addStretch(1);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(6, 6, 6, 6);
    pLayout->setSpacing(6);
    pLayout->addWidget(m_pDisplay);
    pLayout->addLayout(pRow);
}

QPushButton* HelpViewArea::applyItemButtonProperties(QPushButton* button, const QString& objectName)
{
    button->setFlat(true);
    button->setFixedSize(18, 18);
    button->setCheckable(true);
    button->setObjectName(objectName);
    return button;
}

void HelpViewArea::addSlide(const QString& path)
{
    ++m_nSlides;
    QPushButton* pButton =
        applyItemButtonProperties(new QPushButton(QString::number(m_nSlides)), QStringLiteral("HelpSlideButton"));
    m_pGroup->addButton(pButton);
    m_phblButtons->addWidget(pButton);
    // Both toggles show their slide; in the exclusive group the new one toggles last, so its slide stays.
    connect(pButton, &QPushButton::toggled, this, [this, path](bool) { slotShowSlide(path); });
    connect(pButton, SIGNAL(clicked()), this, SLOT(slotStopSlideShow()));
}

void HelpViewArea::slotShowSlide(const QString& path)
{
    m_pDisplay->setSlide(path);
    m_pDisplay->repaint();
}

void HelpViewArea::slotShowNextSlide()
{
    const QList<QAbstractButton*> buttons = m_pGroup->buttons();
    if (buttons.isEmpty())
        return;
    const int nChecked = buttons.indexOf(m_pGroup->checkedButton());
    buttons.at(nChecked < 0 || nChecked == buttons.size() - 1 ? 0 : nChecked + 1)->setChecked(true);
}

void HelpViewArea::slotStartSlideShow()
{
    if (!m_pGroup->checkedButton() && !m_pGroup->buttons().isEmpty())
        m_pGroup->buttons().first()->setChecked(true);
    m_pTimer->start();
}

void HelpViewArea::slotStopSlideShow() { m_pTimer->stop(); }

HelpDialog::HelpDialog(QWidget* parent) : QDialog(parent), m_opener(&Common::openUrl)
{
    setWindowTitle(QCoreApplication::applicationName() + tr(" Introduction"));
    setObjectName(QStringLiteral("Dialog"));
    const bool bPocket = App::theApp()->isPocketDevice();

    auto* pClose = new QPushButton(tr("&Close"));
    m_pbtnNeverShow = new QPushButton(tr("&Always skip intro"));
    m_pbtnVideo = new QPushButton(tr("&Watch videos"));
    Common::applyPushButtonDetails(pClose);
    Common::applyPushButtonDetails(m_pbtnNeverShow);
    m_pbtnVideo->setFlat(true);
    m_pbtnVideo->setObjectName(QStringLiteral("VideoButton"));
    m_pbtnVideo->hide();
    connect(pClose, SIGNAL(clicked()), this, SLOT(slotReject()));
    connect(m_pbtnNeverShow, SIGNAL(clicked()), this, SLOT(slotNeverShowItAgain()));
    connect(m_pbtnVideo, SIGNAL(clicked()), this, SLOT(slotWatchVideo()));

    m_pViewArea = new HelpViewArea;

    QBoxLayout* pButtons = bPocket ? static_cast<QBoxLayout*>(new QVBoxLayout) : new QHBoxLayout;
    pButtons->setContentsMargins(0, 0, 0, 0);
    pButtons->setSpacing(5);
    pButtons->addWidget(m_pbtnVideo);
    pButtons->addStretch(1);
    pButtons->addWidget(m_pbtnNeverShow);
    pButtons->addWidget(pClose);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(6, 6, 6, 6);
    pLayout->setSpacing(6);
    pLayout->addWidget(m_pViewArea);
    pLayout->addLayout(pButtons);
    pClose->setFocus(Qt::OtherFocusReason);
}

void HelpDialog::addSlide(const QString& path) { m_pViewArea->addSlide(path); }

void HelpDialog::setVideoLink(const QString& link)
{
    if (link.isEmpty() || App::theApp()->isKidsMode())
        return;
    m_strVideoLink = link;
    m_pbtnVideo->show();
}

bool HelpDialog::isShowOnStartAvailable()
{
    return !App::theApp()->settingsValue(QStringLiteral("NeverShowItAgain"), false).toBool();
}

QStringList HelpDialog::slidesFor(const QString& folder, const QString& language)
{
    static const QStringList lstOwnSlides = {"en", "de", "ru"};
    const QString strLanguage = lstOwnSlides.contains(language) ? language : QStringLiteral("en");
    QStringList lstSlides;
    for (int i = 1; i <= 8; ++i)
        lstSlides << folder + QStringLiteral("Slide%1_%2.jpg").arg(i).arg(strLanguage);
    return lstSlides;
}

void HelpDialog::slotReject() { reject(); }

void HelpDialog::slotNeverShowItAgain()
{
    App::theApp()->setSettingsValue(QStringLiteral("NeverShowItAgain"), true);
    accept();
}

void HelpDialog::slotWatchVideo()
{
    if (m_strVideoLink.isEmpty())
        return;
    if (m_opener(QUrl(m_strVideoLink, QUrl::TolerantMode)))
        return;
    static const QStringList lstDomains = {"de", "ru", "fr", "it", "nl"};
    const QString strLanguage = App::theApp()->currentLanguage();
    const Endpoints endpoints = Endpoints::current();
    const QString strPage = endpoints.videoUrl(lstDomains.contains(strLanguage) ? strLanguage : "org", QString());
    QString strCandidate = m_strVideoLink;
    strCandidate.replace(endpoints.m_strVideoShortPrefix, strPage);
    if (!strCandidate.startsWith(strPage)) {
        strCandidate = m_strVideoLink;
        strCandidate.replace(endpoints.m_strVideoWatchPrefix, strPage);
    }
    if (!m_opener(QUrl(strCandidate, QUrl::TolerantMode)))
        App::theApp()->slotSupportPage();
}

void HelpDialog::showEvent(QShowEvent* event)
{
    m_pbtnNeverShow->setVisible(!m_bNoNeverShowButton && isShowOnStartAvailable());
    m_pViewArea->slotStartSlideShow();
    QDialog::showEvent(event);
}

void HelpDialog::hideEvent(QHideEvent* event)
{
    m_pViewArea->slotStopSlideShow();
    QWidget::hideEvent(event);
}

} // namespace VUVararer
