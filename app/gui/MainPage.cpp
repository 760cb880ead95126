#include "MainPage.h"

#include "ListView.h"
#include "PathComboBox.h"

#include <core/BatchRun.h>
#include <core/BatchWorker.h>

#include <VUVararer/App.h>
#include <VUVararer/Os.h>
#include <VUVararer/SimpleBookmark.h>
#include <VUVararer/Widgets/DropWidget.h>
#include <VUVararer/Widgets/PromoMenuBar.h>
#include <ZADovuzIdida/AudioPlayer.h>
#include <ZADovuzIdida/MediaSearchDialog.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char* const kDestinationKey = "DestinationPath";
const char* const kWidthKey = "Width";
const char* const kHeightKey = "Height";

} // namespace

MainPage::MainPage(QWidget* parent) : VUVararer::PromoMainPage(parent, true)
{
    setMinimumWidth(420);
    m_pBookmark = new VUVararer::SimpleBookmark(this);
    setObjectName(QStringLiteral("MainPage"));

    m_pDropArea = new VUVararer::DropWidget;
    connect(m_pDropArea, SIGNAL(dropped(QList<QUrl>)), this, SLOT(slotFilesDropped(QList<QUrl>)));
    m_pDropArea->setHideAfterDrop(false);
    m_pDropArea->setOpenMode(VUVararer::DropWidget::OpenFolder);
    m_pDropArea->setFixedHeight(140);
    m_pDropArea->setButtonText(tr("Click to open the folder with audio/video files"));
    m_pDropArea->setAreaText(
        tr("<H2><center>Drop the audio/video files<br>and folders here<br><bold>+</bold></center></H2>"));

    QWidget* pDestinationRow = createDestinationRow();

    m_plblInfo = new QLabel;
    m_plblInfo->setObjectName(QStringLiteral("InfoLabel"));

    createTrackList();
    QWidget* pButtonRow = createButtonRow();

    m_plstTracks->setFooter(m_plblInfo);

    connect(m_pModel, SIGNAL(modelReset()), this, SLOT(slotUpdateInfo()));
    connect(m_pModel, SIGNAL(rowsRemoved(QModelIndex, int, int)), this, SLOT(slotUpdateInfo()));

    m_pOpenTimer = new QTimer(this);
    m_pOpenTimer->setInterval(100);
    connect(m_pOpenTimer, SIGNAL(timeout()), this, SLOT(slotOpenFiles()));
    connect(VUVararer::App::theApp(), SIGNAL(fileOpenRequest(QString)), this, SLOT(slotFileOpenRequest(QString)));

    m_pSearchDialog = new ZADovuzIdida::MediaSearchDialog(this);

    m_pPlayTimer = new QTimer(this);
    m_pPlayTimer->setInterval(1000);
    connect(m_pPlayTimer, SIGNAL(timeout()), this, SLOT(slotUpdatePlayInfo()));
    m_pwgtPlayPage = createPlayPage();
    createPopupMenu();

    m_pstkModes = new QStackedWidget;
    m_pstkModes->setObjectName(QStringLiteral("m_pstkModes"));
    m_pstkModes->setFixedHeight(140);
    m_pstkModes->addWidget(m_pDropArea);
    m_pstkModes->addWidget(m_pwgtPlayPage);

    auto* pModesBox = new QVBoxLayout;
    pModesBox->setContentsMargins(2, 2, 2, 2);
    pModesBox->addWidget(m_pstkModes);

    auto* pLayout = new QVBoxLayout;
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(promoMenuBar());
    pLayout->addLayout(pModesBox);
    pLayout->addWidget(m_plstTracks);
    pLayout->addWidget(pDestinationRow);
    pLayout->addWidget(pButtonRow);
    setLayout(pLayout);

    VUVararer::App* pApp = VUVararer::App::theApp();
    resize(pApp->settingsValue(kWidthKey, 370).toInt(), pApp->settingsValue(kHeightKey, 600).toInt());
    m_pstkModes->setCurrentWidget(m_pDropArea);
    ZADovuzIdida::AudioPlayer::instance()->setVolume(100.0);
    // The menu's Quit and the platform's quit shortcut ask first while a run is alive.
    connect(this, SIGNAL(quitApp()), this, SLOT(slotQuitRequested()));
    auto* pQuit = new QShortcut(QKeySequence::Quit, this);
    connect(pQuit, SIGNAL(activated()), this, SLOT(slotQuitRequested()));
    slotUpdateInfo();
}

MainPage::~MainPage()
{
    if (!isFullScreen()) {
        VUVararer::App* pApp = VUVararer::App::theApp();
        pApp->setSettingsValue(kWidthKey, width());
        pApp->setSettingsValue(kHeightKey, height());
    }
    // No thread may write files once the window is gone: the current file and running encodes are finished.
    delete m_pRun.data();
}

QWidget* MainPage::createDestinationRow()
{
    m_pcbxDestination = new PathComboBox;
    m_pcbxDestination->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* pcmdBrowse = new QPushButton;
    pcmdBrowse->setFlat(true);
    pcmdBrowse->setMinimumHeight(32);
    pcmdBrowse->setObjectName(QStringLiteral("BrowseButton"));
    pcmdBrowse->setToolTip(tr("Opens the destination folder in finder"));
    connect(pcmdBrowse, SIGNAL(clicked()), this, SLOT(slotGotoFilesLocation()));

    m_pcbxDestination->addItem(sandboxToRealDir(destinationPath()), 0);
    m_pcbxDestination->addItem(QStringLiteral("Change destination folder..."), 1);
    m_pcbxDestination->addItem(QStringLiteral("Reset"), 2);
    connect(m_pcbxDestination, SIGNAL(activated(int)), this, SLOT(slotDestinationActivated(int)));

    auto* plblDestination = new QLabel(tr("Destination:"));
    plblDestination->setObjectName(QStringLiteral("SimpleLabel"));

    auto* pRow = new QWidget;
    auto* pLayout = new QHBoxLayout(pRow);
    pLayout->setContentsMargins(5, 5, 5, 5);
    pLayout->setSpacing(4);
    pLayout->addWidget(plblDestination);
    pLayout->addWidget(m_pcbxDestination);
    pLayout->addWidget(pcmdBrowse);
    return pRow;
}

QWidget* MainPage::createButtonRow()
{
    m_pcmdConvert = new QPushButton;
    m_pcmdConvert->setFlat(true);
    m_pcmdConvert->setObjectName(QStringLiteral("RunBatchButton"));
    connect(m_pcmdConvert, SIGNAL(clicked()), this, SLOT(slotDoIt()));
    m_pcmdSettings = new QPushButton;
    m_pcmdSettings->setFlat(true);
    m_pcmdSettings->setObjectName(QStringLiteral("ExportSettingsButton"));
    connect(m_pcmdSettings, SIGNAL(clicked()), this, SLOT(slotShowSettings()));

    auto* pRow = new QWidget;
    auto* pLayout = new QHBoxLayout(pRow);
    pLayout->setContentsMargins(8, 8, 8, 8);
    pLayout->setSpacing(3);
    pLayout->addStretch(1);
    pLayout->addWidget(m_pcmdSettings);
    pLayout->addWidget(m_pcmdConvert);
    pLayout->addStretch(1);
    return pRow;
}

QString MainPage::destinationPath() const
{
    VUVararer::App* pApp = VUVararer::App::theApp();
    const QVariant value = pApp->settingsValue(kDestinationKey);
    return value.isValid() ? value.toString() : pApp->musicDirectory(true);
}

void MainPage::setDestinationPath(const QString& path)
{
    QString strPath = path;
    if (!strPath.endsWith(QLatin1Char('/')))
        strPath += QLatin1Char('/');
    VUVararer::App::theApp()->setSettingsValue(kDestinationKey, strPath);
}

QString MainPage::sandboxToRealDir(const QString& path)
{
    // Only the container pattern <home>/Library/Containers/com.zembrel.<app>/Data/ is rewritten.
    static const QRegularExpression container(QStringLiteral("/Library/Containers/com\\.zembrel\\.[^/]*/Data(?=/|$)"));
    QString strPath = path;
    strPath.replace(container, QString());
    if (!strPath.endsWith(QLatin1Char('/')))
        strPath += QLatin1Char('/');
    return strPath;
}

void MainPage::refreshDestinationBox()
{
    m_pcbxDestination->setCurrentIndex(0);
    m_pcbxDestination->setItemText(0, sandboxToRealDir(destinationPath()));
}

void MainPage::slotDestinationActivated(int index)
{
    if (index == 2) {
        setDestinationPath(VUVararer::App::theApp()->musicDirectory(true));
    } else if (index == 1) {
        const QString strFolder = QFileDialog::getExistingDirectory(this, tr("Set destination folder"),
                                                                    destinationPath(), QFileDialog::ShowDirsOnly);
        if (!strFolder.isEmpty()) {
            setDestinationPath(strFolder);
            m_pBookmark->createBookmark(QUrl::fromLocalFile(destinationPath()));
        }
    }
    refreshDestinationBox();
}

void MainPage::slotGotoFilesLocation() { Os::openFolderAndSelectFile(destinationPath()); }

void MainPage::slotUpdateInfo()
{
    const int nCount = m_pModel->rowCount();
    // A stopped run still finishes its file; the button says so until the run has ended.
    m_pcmdConvert->setText(isRunAlive() && m_bStopRequested ? tr("Stopping…") : QStringLiteral("Convert"));
    m_pcmdConvert->setEnabled(nCount != 0 && !isRunAlive());
    m_plblInfo->setText(QStringLiteral("<H2><CENTER>") + QString::number(nCount) + QStringLiteral(" media file") +
                        (nCount == 1 ? QString() : QStringLiteral("s")) + QStringLiteral("</CENTER></H2>"));
}

void MainPage::slotError(const QString&) {}

void MainPage::resizeEvent(QResizeEvent* event) { QWidget::resizeEvent(event); }
