#pragma once
// The application's one window: menu bar, drop area or player strip, track list, destination row, Convert.

#include <VUVararer/Widgets/PromoMainPage.h>

#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QUrl>
#include <QVector>

class BatchDialog;
class BatchRun;
class ListView;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QStackedWidget;
class QTimer;
class TracksListDelegate;

namespace VUVararer {
class DropWidget;
class Label;
class SimpleBookmark;
} // namespace VUVararer

namespace ZADovuzIdida {
class MediaSearchDialog;
class PlayListModel;
} // namespace ZADovuzIdida

class MainPage : public VUVararer::PromoMainPage
{
    Q_OBJECT

public:
    explicit MainPage(QWidget* parent = nullptr);
    // Stores the window size unless the page is full screen; a run still going is stopped and waited for.
    ~MainPage() override;

    // The "DestinationPath" setting, ending in "/"; the application's music folder (created) by default.
    QString destinationPath() const;
    // Stores the path with a trailing "/"; nothing changes on screen.
    void setDestinationPath(const QString& path);
    // The display form of a folder: a sandbox container path shows as the matching home path; others unchanged.
    static QString sandboxToRealDir(const QString& path);
    // The URLs of the last non-empty intake.
    QList<QUrl> droppedUrls() const { return m_lstDroppedUrls; }
    QVector<QString> imageFiles() const { return m_vecImageFiles; }
    QVector<QString> textFiles() const { return m_vecTextFiles; }
    QVector<QString> unsuportedFiles() const { return m_vecUnsuportedFiles; }
    // True from Convert until the run's thread has ended; Convert is refused meanwhile.
    bool isRunAlive() const { return !m_pRun.isNull(); }

    // The time line's value for a play position: position * (maximum + 1) / (duration + 1).
    static int timeLineValue(qint64 position, qint64 duration, int maximum);
    // The play position of a time-line value: (value + 1) * duration / 100.
    static qint64 seekPosition(int value, qint64 duration);

    // Runs an intake of urls, unless no open request is pending.
    virtual void openFiles(const QList<QUrl>& urls);

public slots:
    void slotUpdateInfo();
    void slotDestinationActivated(int index);
    void slotGotoFilesLocation();
    void slotError(const QString& error);

    // Sorts urls through the media search and replaces the track list and the side lists with what it found.
    void slotFilesDropped(const QList<QUrl>& urls);
    // Collects requests less than 100 ms apart into one intake.
    void slotFileOpenRequest(const QString& path);
    void slotOpenFiles();
    // Checks the destination, starts a run and waits until its dialog closes; refused while a run is alive.
    void slotDoIt();
    void slotDone(const QString& runFolder);
    void slotPauseConvertion(bool paused);
    void slotStopConvertion();
    void slotShowSettings();
    // Quits; while a run is alive and not already being stopped, asks first whether to stop it, then stops it as
    // slotStopAndQuit() does.
    void slotQuitRequested();
    // Stops a run (its current file is finished and its intermediate files removed), shows "Stopping…" meanwhile,
    // then quits the application; without a run it quits at once.
    void slotStopAndQuit();
    // For termination signals: ends a run at once (the files being converted are dropped and their encoders
    // ended; complete results stay), shows "Stopping…" meanwhile, then quits; without a run it quits at once.
    void slotCancelAndQuit();

    void slotButtonClicked(const QModelIndex& index, const QPoint& point);
    void slotPlay();
    void slotRemove();
    void slotPlay(const QModelIndex& index);
    void slotStop();
    void slotPlayOrPause();
    void slotUpdatePlayInfo();
    void slotPlayPositionChanged(int value);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // While a run is alive the window stays and the request goes to slotQuitRequested().
    void closeEvent(QCloseEvent* event) override;
    // Ends the application's event loops; a seam for tests.
    virtual void quitApplication();

private:
    QWidget* createDestinationRow();
    QWidget* createButtonRow();
    void createTrackList();
    QWidget* createPlayPage();
    void createPopupMenu();
    void refreshDestinationBox();
    bool isDefaultDestination() const;
    // Ends the current run's bookkeeping when its thread has ended or never started.
    void releaseRun(BatchRun* pRun);
    // Stops the current run, or cancels it at once.
    void endRun(bool bCancel);
    void endRunAndQuit(bool bCancel);

    VUVararer::DropWidget* m_pDropArea = nullptr;
    QList<QUrl> m_lstDroppedUrls;
    QPushButton* m_pcmdSettings = nullptr;
    QPushButton* m_pcmdConvert = nullptr;
    ZADovuzIdida::MediaSearchDialog* m_pSearchDialog = nullptr;
    QList<QUrl> m_lstPendingUrls;
    QTimer* m_pOpenTimer = nullptr;
    bool m_bIntakeRunning = false;
    ListView* m_plstTracks = nullptr;
    TracksListDelegate* m_pDelegate = nullptr;
    ZADovuzIdida::PlayListModel* m_pModel = nullptr;
    QStackedWidget* m_pstkModes = nullptr;
    QPersistentModelIndex m_indexPopup;
    QLabel* m_plblInfo = nullptr;
    QComboBox* m_pcbxDestination = nullptr;
    QPointer<BatchRun> m_pRun;
    QPointer<BatchDialog> m_pBatchDialog;
    bool m_bQuitAfterRun = false;
    bool m_bStopRequested = false;
    QVector<QString> m_vecImageFiles;
    QVector<QString> m_vecTextFiles;
    QVector<QString> m_vecUnsuportedFiles;
    QMenu* m_pmnuPopup = nullptr;
    QWidget* m_pwgtPlayPage = nullptr;
    QTimer* m_pPlayTimer = nullptr;
    QPushButton* m_pcmdPlayAndPause = nullptr;
    QPushButton* m_pcmdStop = nullptr;
    VUVararer::Label* m_plblPlayDecoration = nullptr;
    QSlider* m_psldTimeLine = nullptr;
    QLabel* m_plblFileName = nullptr;
    QLabel* m_plblPlayed = nullptr;
    QLabel* m_plblRemained = nullptr;
    VUVararer::SimpleBookmark* m_pBookmark = nullptr;
};
