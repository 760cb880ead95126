#include "MainPage.h"

#include "AppSettingsDialog.h"
#include "BatchDialog.h"

#include <core/BatchRun.h>
#include <core/BatchWorker.h>

#include <VUVararer/App.h>
#include <VUVararer/MMessageBox.h>
#include <VUVararer/Os.h>
#include <VUVararer/SimpleBookmark.h>
#include <ZADovuzIdida/AudioPlayer.h>
#include <ZADovuzIdida/MediaSearchDialog.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

void MainPage::slotFilesDropped(const QList<QUrl>& urls)
{
    if (!urls.isEmpty())
        m_lstDroppedUrls = urls;
    m_bIntakeRunning = true;
    m_pSearchDialog->reset();
    m_pSearchDialog->setUrls(urls);
    // A search cancelled before it began is not started afterwards and leaves no earlier results behind.
    QPointer<ZADovuzIdida::MediaSearchDialog> pDialog = m_pSearchDialog;
    QTimer::singleShot(300, m_pSearchDialog, [pDialog]() {
        if (pDialog && pDialog->isVisible())
            pDialog->slotStart();
    });
    m_pSearchDialog->setFixedWidth(350);
    m_pSearchDialog->open();
    QEventLoop loop;
    connect(m_pSearchDialog, SIGNAL(finished(int)), &loop, SLOT(quit()));
    loop.exec();
    qDebug() << (m_pSearchDialog->result() == QDialog::Accepted ? "Accepted" : "Rejected");

    const QVector<QString> vecInputs = m_pSearchDialog->audioFiles() + m_pSearchDialog->videoFiles();
    m_vecImageFiles = m_pSearchDialog->artworkFiles();
    m_vecTextFiles = m_pSearchDialog->textFiles();
    m_vecUnsuportedFiles = m_pSearchDialog->unsuportedFiles();
    m_pModel->setPlayList(QStringList(vecInputs.begin(), vecInputs.end()));
    m_bIntakeRunning = false;
}

void MainPage::slotFileOpenRequest(const QString& path)
{
    m_lstPendingUrls.append(QUrl::fromLocalFile(path));
    m_pOpenTimer->stop();
    m_pOpenTimer->start();
}

void MainPage::slotOpenFiles()
{
    // Requests that arrive during an intake wait for its end; the timer keeps polling.
    if (m_bIntakeRunning)
        return;
    m_pOpenTimer->stop();
    const QList<QUrl> lstUrls = m_lstPendingUrls;
    openFiles(lstUrls);
    m_lstPendingUrls.clear();
}

void MainPage::openFiles(const QList<QUrl>& urls)
{
    if (m_lstPendingUrls.isEmpty())
        return;
    slotFilesDropped(urls);
}

bool MainPage::isDefaultDestination() const
{
    return destinationPath() == VUVararer::App::theApp()->musicDirectory(false);
}

void MainPage::slotDoIt()
{
    if (isRunAlive()) {
        qDebug() << "Convert refused: the previous run has not ended yet";
        return;
    }
    const QString strDestination = destinationPath();
    if (!isDefaultDestination()) {
        m_pBookmark->resolvingBookmark();
        m_pBookmark->startAccessingBookmark();
        const QFileInfo destination(strDestination);
        if (!destination.isDir() || !destination.isWritable() || !destination.isExecutable()) {
            m_pBookmark->stopAccessingBookmark();
            QMessageBox box(QMessageBox::Critical, tr("Error"),
                            tr("Can not access the destination folder.\nPlease verify the destination."),
                            QMessageBox::Ok, this);
            box.setTextFormat(Qt::PlainText);
            box.exec();
            return;
        }
    }

    auto* pRun = new BatchRun;
    m_pRun = pRun;
    m_bStopRequested = false;
    connect(pRun, SIGNAL(finished(QString)), this, SLOT(slotDone(QString)));

    BatchWorker* pWorker = pRun->worker();
    pWorker->setSettings(AppSettingsDialog::targetFormat());
    pWorker->setInputFiles(m_pModel->playList().toVector());
    pWorker->setInputDurations(m_pModel->measuredSeconds());
    pWorker->setImageFiles(m_vecImageFiles);
    pWorker->setTextFiles(m_vecTextFiles);
    pWorker->setUnsuportedFiles(m_vecUnsuportedFiles);
    pWorker->setDroppedUrls(m_lstDroppedUrls);
    slotUpdateInfo();

    BatchDialog dialog(this);
    dialog.setWindowOpacity(0.93);
    dialog.setFixedSize(size());
    m_pBatchDialog = &dialog;
    auto* pQuit = new QShortcut(QKeySequence::Quit, &dialog);
    connect(pQuit, SIGNAL(activated()), this, SLOT(slotQuitRequested()));
    dialog.open();

    QEventLoop loop;
    connect(&dialog, SIGNAL(finished(int)), &loop, SLOT(quit()));
    connect(&dialog, SIGNAL(paused(bool)), this, SLOT(slotPauseConvertion(bool)));
    connect(&dialog, SIGNAL(stop()), this, SLOT(slotStopConvertion()));
    connect(pRun, SIGNAL(totalProgress(int)), &dialog, SLOT(slotProgressChanged(int)));
    connect(pRun, SIGNAL(fileProgress(int)), &dialog, SLOT(slotFileProgressChanged(int)));
    connect(pRun, SIGNAL(currentFile(QString)), &dialog, SLOT(slotShowCurrentFile(QString)));
    connect(pRun, SIGNAL(errorsLog(QString)), &dialog, SLOT(slotSetErrors(QString)));
    connect(pRun, SIGNAL(notEnoughtFreeSpace()), &dialog, SLOT(slotNotEnoughtFreeSpace()));
    pRun->start(1500);
    loop.exec();
}

void MainPage::slotDone(const QString& runFolder)
{
    // The run that ended, not whatever run is current by now; Convert is back before any window shows.
    if (auto* pRun = qobject_cast<BatchRun*>(sender()))
        releaseRun(pRun);

    // A run ended on the way out leaves no folder window, bell or review request behind.
    if (AppSettingsDialog::openFolderAfter() && !m_bQuitAfterRun)
        Os::openFolderAndSelectFile(runFolder);
    if (AppSettingsDialog::playSoundAfter() && !m_bQuitAfterRun)
        ZADovuzIdida::AudioPlayer::instance()->play(
            VUVararer::App::theApp()->bundleResourcePath() + QStringLiteral("bell.wav"), false);
    if (!isDefaultDestination()) {
        m_pBookmark->resolvingBookmark();
        m_pBookmark->stopAccessingBookmark();
    }
    if (!m_bQuitAfterRun)
        Os::requestReview(false);
}

void MainPage::releaseRun(BatchRun* pRun)
{
    if (m_pRun == pRun)
        m_pRun = nullptr;
    pRun->deleteLater();
    slotUpdateInfo();
    if (m_bQuitAfterRun && !isRunAlive())
        quitApplication();
}

void MainPage::slotPauseConvertion(bool paused)
{
    if (m_pRun)
        m_pRun->pause(paused);
}

void MainPage::slotStopConvertion() { endRun(false); }

void MainPage::endRun(bool bCancel)
{
    BatchRun* pRun = m_pRun.data();
    if (!pRun)
        return;
    m_bStopRequested = true;
    slotUpdateInfo();
    if (!(bCancel ? pRun->cancel() : pRun->stop())) {
        // Stopped before the delayed start: nothing ran, nothing is written.
        if (!isDefaultDestination()) {
            m_pBookmark->resolvingBookmark();
            m_pBookmark->stopAccessingBookmark();
        }
        releaseRun(pRun);
    }
}

void MainPage::slotShowSettings()
{
    AppSettingsDialog dialog(m_pcmdSettings);
    dialog.open();
    QEventLoop loop;
    connect(&dialog, SIGNAL(finished(int)), &loop, SLOT(quit()));
    loop.exec();
}

void MainPage::slotQuitRequested()
{
    if (m_bQuitAfterRun)
        return;
    if (isRunAlive() && !m_bStopRequested) {
        QWidget* pParent = m_pBatchDialog ? static_cast<QWidget*>(m_pBatchDialog.data()) : this;
        // No comes first in the frame's box and so is its default button.
        const int answer = VUVararer::MMessageBox::question(
            pParent, tr("Quit"),
            tr("A conversion is running.\nStop it and quit? The file being converted is finished first."),
            VUVararer::MMessageBox::Yes | VUVararer::MMessageBox::No);
        if (answer != VUVararer::MMessageBox::Yes || m_bQuitAfterRun)
            return;
    }
    slotStopAndQuit();
}

void MainPage::slotStopAndQuit() { endRunAndQuit(false); }

void MainPage::slotCancelAndQuit() { endRunAndQuit(true); }

void MainPage::endRunAndQuit(bool bCancel)
{
    m_bQuitAfterRun = true;
    if (!isRunAlive()) {
        quitApplication();
        return;
    }
    if (m_pBatchDialog)
        m_pBatchDialog->slotShowStopping();
    endRun(bCancel);
}

void MainPage::closeEvent(QCloseEvent* event)
{
    if (!isRunAlive()) {
        VUVararer::PromoMainPage::closeEvent(event);
        return;
    }
    event->ignore();
    slotQuitRequested();
}

void MainPage::quitApplication() { QCoreApplication::quit(); }
