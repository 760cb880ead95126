#pragma once
// One conversion run on the batch thread: run folder, target names, two-pass conversion, copies, progress.

#include <ZADovuzIdida/MAudioFormat.h>
#include <ZADovuzIdida/ProcessGroups.h>

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class CoreBudget;
class EncodeQueue;
class GeneralOutput;
struct ConversionJob;

namespace ZADovuzIdida {
class NativeAudioDecoderBase;
}

class BatchWorker : public QObject
{
    Q_OBJECT

public:
    // Values per block of both decoding passes.
    static constexpr int BlockSize = 32000;
    // A value counts as sound when its magnitude is above this.
    static constexpr float SoundThreshold = 0.02f;

    explicit BatchWorker(QObject* parent = nullptr);
    ~BatchWorker() override;

    void setSettings(const ZADovuzIdida::MAudioFormat& format);
    void setInputFiles(const QVector<QString>& files);
    // Whole seconds of each input file as the list knows them, -1 where it does not: a run converts the longest
    // first, and the unknown ones last.
    void setInputDurations(const QVector<qint64>& seconds);
    void setImageFiles(const QVector<QString>& files);
    void setTextFiles(const QVector<QString>& files);
    void setUnsuportedFiles(const QVector<QString>& files);
    void setDroppedUrls(const QList<QUrl>& urls);
    // Replaces the decoder of convert() and initAudioFileInfo() (the worker takes ownership); for tests.
    void setDecoder(ZADovuzIdida::NativeAudioDecoderBase* pDecoder);

    // Thread-safe. A stop ends a free-space wait, lets the shown file finish its second pass and the running
    // encodes end (a paused run goes on for that), drops the files after it, encoded beside it or not, then ends
    // the run.
    void stop();
    // Thread-safe. Ends the run at once: every file being converted or encoded is dropped, its encoder ended and
    // its files removed; complete results stay, but for those of files after the one shown.
    void cancel();
    // Thread-safe. Holds the files being converted before their next block and in the free-space wait, and
    // suspends the running encoders.
    void pause(bool bPause);

    // Results of the last analysis: peak magnitude and count of interleaved values.
    float maxPeak() const { return m_fPeak; }
    qint64 numSamples() const { return m_nNumSamples; }
    // Frames by which the second pass may differ in length from the first before the file counts as changed.
    static constexpr int PassToleranceFrames = 16;
    QString errors() const { return m_strErrors; }

    // The mirrored target folder of source under runFolder (ending in "/"): the last dropped folder holding the
    // source gives runFolder + its name + the sub-folders below it; a dropped file in the source's own folder
    // gives runFolder; otherwise runFolder.
    QString newPathForForlderStructure(const QString& source, const QString& runFolder) const;

    // Analyses source and writes it, processed as the settings ask, through an output at target, with the
    // worker's own decoder.
    void convert(const QString& source, const QString& target);
    // First pass with the worker's own decoder: count, peak, first and last sound.
    void initAudioFileInfo(const QString& source);
    void copyFiles(const QVector<QString>& files, const QString& runFolder);

    // True when the intermediate file of value count (at the target bits and channels) fits a WAV file.
    bool fitsIntermediate(qint64 count) const;

public slots:
    void slotDoWork();
    void slotAppendError(const QString& text);

signals:
    void finished(const QString& runFolder);
    // The shown step's percent; 0 while what it does is not measured, as the encode after a file's second pass.
    void fileProgress(int percent);
    void totalProgress(int percent);
    void currentFile(const QString& text);
    void errorsLog(const QString& errors);
    void notEnoughtFreeSpace();

protected:
    // Bytes available on the volume of folder; -1 when that cannot be told.
    virtual qint64 availableBytes(const QString& folder) const;
    // The output of one file; the caller owns it.
    virtual GeneralOutput* createOutput(const QString& target);
    // The cores a run keeps busy: files converted and encoded at once, and the threads of an encode split in
    // parts at the end of a run; with one or fewer each file is encoded before the next is begun.
    virtual int encodeSlots() const;
    // The decoder of one file of a run; the caller owns it.
    virtual ZADovuzIdida::NativeAudioDecoderBase* createDecoder() const;

private:
    // The jobs of the input files in list order, with their target folders and every intermediate and result name
    // decided; the run folder is new, so no file of the run can take a name another one was given.
    std::vector<std::unique_ptr<ConversionJob>> planJobs(const QString& runFolder);
    // The planned jobs in order (list indices): each begins on a core of cores, the files are converted side by
    // side, each passes the gate (free space) as soon as its first pass ends and reaches the encodes as soon as its
    // second ends; the first file in that order whose passes have not ended is the one shown.
    void convertInputs(std::vector<std::unique_ptr<ConversionJob>>& jobs, const std::vector<int>& order,
                       EncodeQueue& encodes, CoreBudget& cores);
    // On the job's thread once its passes have ended: its outcome and core go to the encodes, or, when a stop drops
    // it beside the file shown, nothing of it is kept.
    void handOver(ConversionJob& job);
    // A file on the worker's own decoder, at once: the first pass alone without a target, else the whole
    // conversion; its lines join the errors text.
    void runOnOwnDecoder(const QString& source, const QString& target);
    // Both passes of one file; its outcome stays in the job.
    void convertJob(ConversionJob& job);
    void convertPasses(ConversionJob& job);
    void analyse(ConversionJob& job);
    // The second pass: decodes, processes and writes the file; false when the source failed or changed, or the
    // file was dropped by a stop.
    bool writeProcessed(ConversionJob& job, GeneralOutput* pOutput);
    // Starts a decoding pass of the job's source with the target's rate, bits and channels, its decoder's threads
    // on the run's spare cores, and some of them measuring beside it when bMeasuring: returns how many threads
    // measure. Each thread holds a core only while it works.
    int openSource(ConversionJob& job, bool bMeasuring);
    // Before a block: holds a paused file; false when a stop drops it (every file but the shown one). The shown
    // file's first pass runs to its end.
    bool goOn(ConversionJob& job, bool bFirstPass);
    // In a run, waits for the gate, free of other files, and takes the free space of needed bytes; false when the
    // file is to be skipped.
    bool passGate(ConversionJob& job, qint64 needed);
    // Waits while there is not enough space for needed bytes in folder; false when the file is to be skipped.
    bool waitForFreeSpace(ConversionJob& job, const QString& folder, qint64 needed);
    void waitWhilePaused();
    QString damagedLine(const QString& source) const;
    // What the job shows while it is the file shown; emitted at once when it is.
    void showText(ConversionJob& job, const QString& text);
    void showPercent(ConversionJob& job, int percent);
    bool isShown(const ConversionJob& job);
    // Under the jobs' mutex.
    bool shownLocked(const ConversionJob& job) const;
    // Makes pJob (null when not begun yet), at index, the file shown, and shows how far it is.
    void showJob(int index, const ConversionJob* pJob);
    // Target folder of a source or copy, ending in "/".
    QString targetFolder(const QString& path, const QString& runFolder) const;
    // Creates folder; false, and an error line in lines, when it cannot be.
    bool makeTargetFolder(const QString& folder, QString& lines) const;
    void emitTotalProgress(int nDone, int nSteps);

    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bPause{false};
    std::atomic<bool> m_bCancel{false};
    ZADovuzIdida::ProcessGroups m_encoders;
    ZADovuzIdida::MAudioFormat m_format;
    QVector<QString> m_vecInputFiles;
    QVector<qint64> m_vecInputDurations;
    QVector<QString> m_vecTextFiles;
    QVector<QString> m_vecImageFiles;
    QVector<QString> m_vecUnsuportedFiles;
    QList<QUrl> m_lstDroppedUrls;
    ZADovuzIdida::NativeAudioDecoderBase* m_pDecoder = nullptr;
    // Of the last analysed file.
    float m_fPeak = 0.0f;
    qint64 m_nNumSamples = 0;
    QString m_strErrors;
    // During the files of a run: their encodes; under the mutex, the jobs' shown state and done flags and the index
    // of the file shown; the gate, held by the file that tells the free space.
    EncodeQueue* m_pEncodes = nullptr;
    CoreBudget* m_pCores = nullptr;
    std::mutex m_jobsMutex;
    std::condition_variable m_jobsChanged;
    int m_nShown = 0;
    std::mutex m_gateMutex;
};
