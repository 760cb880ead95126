#pragma once
// One conversion run on the batch thread: run folder, target names, two-pass conversion, copies, progress.

#include <ZADovuzIdida/MAudioFormat.h>

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVector>

#include <atomic>
#include <memory>

class EncodeQueue;
class GeneralOutput;

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
    void setImageFiles(const QVector<QString>& files);
    void setTextFiles(const QVector<QString>& files);
    void setUnsuportedFiles(const QVector<QString>& files);
    void setDroppedUrls(const QList<QUrl>& urls);
    // Replaces the decoder (the worker takes ownership); for tests.
    void setDecoder(ZADovuzIdida::NativeAudioDecoderBase* pDecoder);

    // Thread-safe. A stop ends a free-space wait, lets a file in its second pass and the running encodes finish,
    // then ends the run.
    void stop();
    // Thread-safe. Holds the worker before the next block of the second pass and in the free-space wait; running
    // encodes go on.
    void pause(bool bPause);

    // Results of the last analysis: peak magnitude and count of interleaved values.
    float maxPeak() const { return m_fPeak; }
    qint64 numSamples() const { return m_nNumSamples; }
    // First and last value index above the threshold; both 0 when soundFound() is false.
    qint64 firstSound() const { return m_nFirstSound; }
    qint64 lastSound() const { return m_nLastSound; }
    bool soundFound() const { return m_bSoundFound; }
    // Frames by which the second pass may differ in length from the first before the file counts as changed.
    static constexpr int PassToleranceFrames = 16;
    QString errors() const { return m_strErrors; }

    // The mirrored target folder of source under runFolder (ending in "/"): the last dropped folder holding the
    // source gives runFolder + its name + the sub-folders below it; a dropped file in the source's own folder
    // gives runFolder; otherwise runFolder.
    QString newPathForForlderStructure(const QString& source, const QString& runFolder) const;

    // Analyses source and writes it, processed as the settings ask, through an output at target.
    void convert(const QString& source, const QString& target);
    // First pass: count, peak, first and last sound.
    void initAudioFileInfo(const QString& source);
    void copyFiles(const QVector<QString>& files, const QString& runFolder);

    // True when the intermediate file of value count (at the target bits and channels) fits a WAV file.
    bool fitsIntermediate(qint64 count) const;

public slots:
    void slotDoWork();
    void slotAppendError(const QString& text);

private slots:
    // The decoder could not open or read the file: the pass under way is void.
    void slotDecoderError(const QString& message);

signals:
    void finished(const QString& runFolder);
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
    // Encodes that may run at once beside the worker; one or fewer encodes each file before the next.
    virtual int encodeSlots() const;

private:
    // Waits while there is not enough space for needed bytes in folder; false when the file is to be skipped.
    bool waitForFreeSpace(const QString& folder, qint64 needed);
    void waitWhilePaused();
    // Starts a decoding pass of source with the target's rate, bits and channels.
    void openSource(const QString& source);
    // The second pass: decodes, processes and writes the file; false when the source failed or changed.
    bool writeProcessed(const QString& source, GeneralOutput* pOutput);
    QString damagedLine(const QString& source) const;
    // Hands the file's lines and its written output, if any, to the encodes of the run.
    void endFile();
    // Target folder of a source or copy, created; empty (and an error line) when it cannot be created.
    QString targetFolder(const QString& path, const QString& runFolder);
    void emitTotalProgress(int nDone, int nSteps);

    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bPause{false};
    ZADovuzIdida::MAudioFormat m_format;
    QVector<QString> m_vecInputFiles;
    QVector<QString> m_vecTextFiles;
    QVector<QString> m_vecImageFiles;
    QVector<QString> m_vecUnsuportedFiles;
    QList<QUrl> m_lstDroppedUrls;
    ZADovuzIdida::NativeAudioDecoderBase* m_pDecoder = nullptr;
    qint64 m_nNumSamples = 0;
    float m_fPeak = 0.0f;
    qint64 m_nFirstSound = 0;
    qint64 m_nLastSound = 0;
    bool m_bSoundFound = false;
    bool m_bDecoderFailed = false;
    QString m_strErrors;
    // During the files of a run: their encodes, the lines and output of the file at hand, and the space its encode
    // may take.
    EncodeQueue* m_pEncodes = nullptr;
    QString m_strFileLines;
    std::unique_ptr<GeneralOutput> m_pWritten;
    qint64 m_nWrittenReserve = 0;
};
