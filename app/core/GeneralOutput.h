#pragma once
// Sink of one converted file: writes the intermediate WAV, then makes the M4A result and copies the tags.

#include <ZADovuzIdida/MAudioFormat.h>

#include <QObject>
#include <QString>

#include <memory>

namespace ZADovuzIdida {
class EncoderBase;
class NativeMetaTags;
class ProcessGroups;
class WaveOutput;
} // namespace ZADovuzIdida

class CoreBudget;

class GeneralOutput : public QObject
{
    Q_OBJECT

public:
    // Creates the intermediate file fileName at once, or the next free name of its base when anything is there, with
    // the format's rate, channels and bits; when an encoder factory is installed and gives an encoder ("mp3", else
    // "flac"), that encoder takes the samples instead.
    GeneralOutput(const QString& fileName, ZADovuzIdida::MAudioFormat format, QObject* parent = nullptr);
    ~GeneralOutput() override;

    // The source whose tags the result receives; they are read now.
    void setMetaInfoFile(const QString& path);
    // The result's name, decided before the run, and the base name of the next free names it takes when a file was
    // made under it meanwhile; by default close() takes the first free ".m4a" name of the intermediate's base name.
    void setResultName(const QString& path, const QString& base);
    // When limit is above 0, the M4A result's decoded peak never lies above limit and is held in the window
    // [limit - 1 dB, limit] where the level allows: a result outside it is encoded again at the level the peaks
    // measured so far ask for (PeakSearch), the intermediate raised by at most maxRaise (which brings its own peak to
    // limit). The result nearest the window at or below limit is kept; when there is none, the encode fails.
    void setPeakLimit(float limit, float maxRaise);
    // The factor of the peak limit at which a normalized intermediate's true peak within encodedBandwidth() is
    // aimed: the middle of the window, less what the encoder's noise adds on average.
    static float headroom();
    // The highest frequency in Hz that the AAC encoder keeps at the format's bit rate and channels.
    static double encodedBandwidth(const ZADovuzIdida::MAudioFormat& format);
    // The run's encoder processes: held while it is paused, ended when it is cancelled; a cancelled encode leaves
    // no file and no line.
    void setProcessGroups(ZADovuzIdida::ProcessGroups* pGroups) { m_pGroups = pGroups; }
    // The run's cores: an encode is cut in as many parts as they give for its length (CoreBudget::encodeParts), run
    // on the cores they lend it; none by default.
    void setCores(CoreBudget* pCores) { m_pCores = pCores; }
    // count interleaved values.
    virtual void write(float* data, qint64 count);
    // The intermediate file until close() has chosen the ".m4a" name; the result's name once it is complete.
    QString outputFile() const { return m_strOutputFile; }
    // Completes the intermediate file; in the "m4a" variant encodes it into the result (encodeStep). Every encode
    // goes to a file beside the result, and only the kept one, tagged and on the disk, takes the result's name, or
    // the next free one when a file was made there meanwhile. A failed write or encode emits one errorsLog line and
    // leaves no file behind; a finished encode that can not take its name, or whose folder can not be flushed,
    // stays where it is, named in the line; a failed tag write keeps the result and emits one line. True when the
    // result is complete.
    virtual bool close();
    // The first half of close(), on the writing thread: completes the intermediate file and, in the "m4a" variant,
    // settles the result's name; true when encodeResult() is to follow.
    virtual bool completeIntermediate();
    // The second half of close(), on any thread: encodeStep into the chosen name.
    bool encodeResult();
    // Drops what was written: the intermediate file is closed and removed, nothing is made.
    void discard();

signals:
    void errorsLog(const QString& line);

protected:
    // Encodes input, every value multiplied by gain, into output with the stored quality and bit rate; true when
    // output is there, else the reason. output is made empty beforehand, so that nothing else takes its name; the
    // encoder's working file beside it may be taken meanwhile, which it notes in m_bWorkingNameTaken. With a peak
    // limit, the encoder's measure of output's decoded peak goes to m_fEncodedPeak, and when the encode ended early
    // as it passed the limit, the peak it reached goes to m_fPassedPeak. A finished encode that the encoder could not
    // flush or name counts; when it was left under the working name, it is moved to output.
    virtual bool encode(const QString& input, const QString& output, float gain, QString* pReason);
    // The file system's steps that settle a result: MTools::DurableFiles' move that never replaces, and its flush
    // of a folder's entries.
    virtual int moveNoReplace(const QString& from, const QString& to);
    virtual bool flushFolder(const QString& path);

private:
    std::unique_ptr<ZADovuzIdida::WaveOutput> makeWriter(const QString& path) const;
    // The closed intermediate in, the tagged result out; removes the intermediate in any case.
    bool encodeStep(const QString& result);
    // encode() into files beside result, with the peak kept at or below the limit and in its window when one is set;
    // the one kept is named in kept, the others are removed. An encode that fails ends the search, and the best
    // earlier one, when there is one, is kept; a cancelled run keeps none.
    bool encodeWithinPeak(const QString& result, QString* pKept, QString* pReason);
    // The next free name for an encode beside result, created empty: result + ".encode-" + a number from 1, the
    // result's name cut short where the encoder's working name beside it would be too long for the folder.
    QString besideName(const QString& result);
    // encode() into the next free name beside result, named in encoded; when the encoder finds that name's working
    // file taken, into the next one. A failed encode leaves no file.
    bool encodeBeside(const QString& result, float gain, QString* pEncoded, QString* pReason);
    // Copies the source's tags into encoded, reporting any failure for result.
    void copyTags(const QString& encoded, const QString& result);
    // Flushes encoded and moves it to the output file's name, or the next free one; then flushes the folder. When a
    // step fails, the file stays where it is and the reason names it.
    bool moveToResult(const QString& encoded, QString* pReason);
    // encodeBeside() with gain, then the decoded peak: the encoder's measure, else a decode of the result; a result
    // that can not be decoded is removed. An encode that ended early above the limit leaves encoded empty and gives
    // the peak it reached.
    bool encodeScaled(const QString& result, float gain, QString* pEncoded, float* pPeak, QString* pReason);

    QString m_strFileName;
    QString m_strMetaInfoFile;
    std::unique_ptr<ZADovuzIdida::NativeMetaTags> m_pTags;
    ZADovuzIdida::MAudioFormat m_format;
    std::unique_ptr<ZADovuzIdida::WaveOutput> m_pWave;
    std::unique_ptr<ZADovuzIdida::EncoderBase> m_pEncoder;
    QString m_strOutputFile;
    QString m_strResultName;
    QString m_strResultBase;
    // Read where the output is made, since the encode may run on another thread.
    int m_nQuality;
    int m_nBitRate;
    bool m_bCopyMetaTags;
    float m_fPeakLimit = 0.0f;
    float m_fMaxRaise = 1.0f;
    ZADovuzIdida::ProcessGroups* m_pGroups = nullptr;
    CoreBudget* m_pCores = nullptr;
    int m_nEncodes = 0;
    // Values written into the intermediate.
    qint64 m_nWritten = 0;
    // Set by encode() when the encoder refused to start because a file was under its output's working name.
    bool m_bWorkingNameTaken = false;
    // Set by encode(): the decoded peak of its output as the encoder measured it; -1 when it told none.
    float m_fEncodedPeak = -1.0f;
    // Set by encode(): the decoded peak the encode reached when it ended early above the limit; -1 otherwise.
    float m_fPassedPeak = -1.0f;
    bool m_bClosed = false;
    bool m_bResult = false;
};
