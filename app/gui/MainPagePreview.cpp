#include "MainPage.h"

#include "AddButtonAction.h"
#include "ListView.h"
#include "TracksListDelegate.h"

#include <MTools/TimeInfo.h>
#include <VUVararer/Label.h>
#include <VUVararer/Widgets/DropWidget.h>
#include <ZADovuzIdida/AudioPlayer.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const int kPathRole = Qt::UserRole + 3;

QString timeText(qint64 ms) { return MTools::TimeInfo::msecsToTime(ms).toString(QStringLiteral("hh:mm:ss")); }

} // namespace

void MainPage::createTrackList()
{
    m_pModel = new ZADovuzIdida::PlayListModel(this);
    m_plstTracks = new ListView;
    m_plstTracks->setModel(m_pModel);
    m_plstTracks->setAttribute(Qt::WA_MouseTracking, true);
    m_plstTracks->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_plstTracks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_plstTracks->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_pDelegate = new TracksListDelegate(m_plstTracks);
    m_plstTracks->setItemDelegate(m_pDelegate);
    connect(m_plstTracks, SIGNAL(dropped(QList<QUrl>)), this, SLOT(slotFilesDropped(QList<QUrl>)));

    auto* pButton = new AddButtonAction(nullptr);
    connect(pButton, SIGNAL(triggered(QModelIndex, QPoint)), this, SLOT(slotButtonClicked(QModelIndex, QPoint)));
    m_pDelegate->addAction(pButton);
    connect(m_pDelegate, SIGNAL(play(QModelIndex)), this, SLOT(slotPlay(QModelIndex)));
}

QWidget* MainPage::createPlayPage()
{
    m_plblFileName = new QLabel;
    m_plblFileName->setObjectName(QStringLiteral("m_plblFileName"));
    m_plblPlayed = new QLabel;
    m_plblPlayed->setObjectName(QStringLiteral("m_plblPlayed"));
    m_plblRemained = new QLabel;
    m_plblRemained->setObjectName(QStringLiteral("m_plblRemained"));
    m_psldTimeLine = new QSlider(Qt::Horizontal);
    m_psldTimeLine->setObjectName(QStringLiteral("m_psldTimeLine"));
    m_pcmdPlayAndPause = new QPushButton;
    m_pcmdPlayAndPause->setObjectName(QStringLiteral("m_pcmdPlayAndPause"));
    m_pcmdPlayAndPause->setFlat(true);
    m_pcmdPlayAndPause->setCheckable(true);
    m_pcmdPlayAndPause->setChecked(false);
    m_pcmdStop = new QPushButton;
    m_pcmdStop->setObjectName(QStringLiteral("m_pcmdStop"));
    m_pcmdStop->setFlat(true);

    ZADovuzIdida::AudioPlayer* pPlayer = ZADovuzIdida::AudioPlayer::instance();
    connect(m_pcmdPlayAndPause, SIGNAL(clicked()), this, SLOT(slotPlayOrPause()));
    connect(m_pcmdStop, SIGNAL(clicked()), this, SLOT(slotStop()));
    connect(pPlayer, SIGNAL(stopped()), this, SLOT(slotStop()));
    connect(pPlayer, SIGNAL(finished()), this, SLOT(slotStop()));
    connect(m_psldTimeLine, SIGNAL(valueChanged(int)), this, SLOT(slotPlayPositionChanged(int)));

    m_plblPlayDecoration = new VUVararer::Label;
    m_plblPlayDecoration->setObjectName(QStringLiteral("m_plblPlayDecoration"));
    m_plblPlayDecoration->setRetinaPixmap(QPixmap(QStringLiteral(":/Box.png")));

    auto* pNameRow = new QHBoxLayout;
    pNameRow->addStretch(1);
    pNameRow->addWidget(m_plblFileName);
    pNameRow->addStretch(1);
    auto* pTimeRow = new QHBoxLayout;
    pTimeRow->addWidget(m_plblPlayed);
    pTimeRow->addWidget(m_psldTimeLine);
    pTimeRow->addWidget(m_plblRemained);
    auto* pButtonRow = new QHBoxLayout;
    pButtonRow->setContentsMargins(0, 0, 0, 0);
    pButtonRow->setSpacing(0);
    pButtonRow->addStretch(1);
    pButtonRow->addWidget(m_pcmdStop);
    pButtonRow->addWidget(m_pcmdPlayAndPause);
    pButtonRow->addStretch(1);
    auto* pDecorationLayout = new QVBoxLayout(m_plblPlayDecoration);
    pDecorationLayout->addLayout(pNameRow);
    pDecorationLayout->addLayout(pTimeRow);
    pDecorationLayout->addLayout(pButtonRow);

    auto* pPage = new QWidget;
    pPage->setObjectName(QStringLiteral("m_pwgtPlayPage"));
    auto* pPageLayout = new QVBoxLayout(pPage);
    pPageLayout->setContentsMargins(2, 2, 2, 2);
    pPageLayout->addWidget(m_plblPlayDecoration);
    return pPage;
}

void MainPage::createPopupMenu()
{
    m_pmnuPopup = new QMenu(this);
    m_pmnuPopup->addAction(QIcon(QStringLiteral(":/noteplay.png")), tr("Play"), this, SLOT(slotPlay()));
    m_pmnuPopup->addAction(QIcon(QStringLiteral(":/close.png")), tr("Remove from list"), this, SLOT(slotRemove()));
}

int MainPage::timeLineValue(qint64 position, qint64 duration, int maximum)
{
    return int(position * (qint64(maximum) + 1) / (duration + 1));
}

qint64 MainPage::seekPosition(int value, qint64 duration) { return (qint64(value) + 1) * duration / 100; }

void MainPage::slotButtonClicked(const QModelIndex& index, const QPoint& point)
{
    m_indexPopup = index;
    m_pmnuPopup->exec(m_plstTracks->mapToGlobal(QPoint(-20, 28) + point));
}

void MainPage::slotPlay()
{
    if (m_indexPopup.isValid())
        slotPlay(m_indexPopup);
}

void MainPage::slotRemove()
{
    if (m_indexPopup.isValid())
        m_pModel->removeRows(m_indexPopup.row(), 1);
}

void MainPage::slotPlay(const QModelIndex& index)
{
    ZADovuzIdida::AudioPlayer::instance()->play(index.data(kPathRole).toString(), false);
    m_pstkModes->setCurrentWidget(m_pwgtPlayPage);
    m_pPlayTimer->start();
    m_pcmdPlayAndPause->setChecked(false);
    slotUpdatePlayInfo();
}

void MainPage::slotStop()
{
    m_pstkModes->setCurrentWidget(m_pDropArea);
    ZADovuzIdida::AudioPlayer::instance()->slotStop();
    m_pPlayTimer->stop();
}

void MainPage::slotPlayOrPause()
{
    ZADovuzIdida::AudioPlayer* pPlayer = ZADovuzIdida::AudioPlayer::instance();
    if (m_pcmdPlayAndPause->isChecked()) {
        pPlayer->pause();
        m_pPlayTimer->stop();
    } else {
        pPlayer->play();
        m_pPlayTimer->start();
    }
}

void MainPage::slotUpdatePlayInfo()
{
    ZADovuzIdida::AudioPlayer* pPlayer = ZADovuzIdida::AudioPlayer::instance();
    const qint64 nDuration = pPlayer->duration();
    if (nDuration < 1)
        return;
    const qint64 nPosition = pPlayer->position();
    // The name is text, never markup: it is escaped and its blanks are kept.
    m_plblFileName->setText(QStringLiteral("<H2 style=\"white-space:pre\">") +
                            QFileInfo(pPlayer->fileName()).fileName().toHtmlEscaped() + QStringLiteral("</H2>"));
    m_plblPlayed->setText(timeText(nPosition));
    m_plblRemained->setText(timeText(pPlayer->remainingDuration()));
    const bool bBlocked = m_psldTimeLine->blockSignals(true);
    m_psldTimeLine->setValue(timeLineValue(nPosition, nDuration, m_psldTimeLine->maximum()));
    m_psldTimeLine->blockSignals(bBlocked);
}

void MainPage::slotPlayPositionChanged(int value)
{
    ZADovuzIdida::AudioPlayer* pPlayer = ZADovuzIdida::AudioPlayer::instance();
    pPlayer->setPosition(seekPosition(value, pPlayer->duration()));
}
