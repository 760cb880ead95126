// Abstract reader of one audio file: sample access, positioning, peak envelope and timecode texts.
#pragma once

#include <MTools/Handle.h>
#include <ZADovuzIdida/_VozIdavi/Common/AudioFloatBuffer.h>
#include <ZADovuzIdida/_VozIdavi/Common/EBUEnvelope.h>
#include <ZADovuzIdida/_VozIdavi/Common/EBUInfo.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileInfo.h>
#include <ZADovuzIdida/_VozIdavi/Common/PeakInfoCache.h>
#include <ZADovuzIdida/_VozIdavi/Common/PeakVector.h>
#include <ZADovuzIdida/_VozIdavi/Common/RawBuffer.h>
#include <ZADovuzIdida/_VozIdavi/Input/BaseInput.h>
#include <ZADovuzIdida/_VozIdavi/Input/LTCData.h>

#include <QString>

#include <cstdio>
#include <list>

namespace ZADovuzIdida {

class LTCDecoder;

// A chunk header as stored: 4-character identifier, 32-bit size.
struct Chunk
{
    char id[4];
    unsigned int size;
};

class FileInput : public BaseInput
{
public:
    // Widest stream a reader accepts: the peak vector serves 32 channels; rates up to 768 kHz.
    static constexpr int MaxChannels = 32;
    static constexpr double MaxSampleRate = 768000.0;

    FileInput();
    FileInput(const FileInput&) = delete;
    FileInput& operator=(const FileInput&) = delete;
    ~FileInput() override;

    void dump() const override;
    QString name() const override { return QStringLiteral("FileInput"); }

    // Reads one chunk header; a non-zero swap turns a big-endian size into the host's value.
    virtual int readChunk(Chunk* chunk, int swap);
    // Parses the header and leaves the file at the first sample byte.
    virtual bool open(const char* path) = 0;
    virtual void createPeakVector();
    // Peak under display column x at zoom frames per column; the reference may be overwritten by the next call.
    virtual const PeakInfo& peakInfo(int x, int ch, float zoom);
    virtual bool load(const char* path, bool force);
    // Raw sample bytes; only bytes up to the end of the sample data count.
    virtual int read(char* data, int n);
    virtual int read(MTools::Handle<RawBuffer> buffer);
    virtual int read(MTools::Handle<AudioFloatBuffer> buffer);
    virtual int read(MTools::Handle<AudioFloatBuffer> buffer, unsigned long frame);
    // n samples (all channels) converted to float; returns the samples read.
    virtual int read(float* out, int n);
    virtual int readChannel(float* out, int frames, int ch);
    virtual int seek(qint64 bytes);
    virtual qint64 tell();
    virtual int flush();
    virtual int rewind();
    virtual qint64 position() const;
    virtual int gotoFrame(const qint64& frame, const int& channels);
    virtual int gotoFrame(const qint64& frame);
    virtual int readFrames(const qint64& frame, float* out, const int& n, const int& channels);
    virtual int readFrames(float* out, const int& n, const int& channels);
    virtual void saveEnvelope(const char* path, const EBUEnvelope::Format& format);
    virtual void loadEnvelope(const char* path);
    virtual void saveEbuInfo(const char* path);
    virtual void loadEbuInfo(const char* path);
    virtual MTools::Handle<EBUInfo> ebuInfo() const { return m_ebuInfo; }
    virtual MTools::Handle<EBUEnvelope> ebuEnvelope() const { return m_ebuEnvelope; }
    virtual const FileInfo& fileInfo() const { return m_fileInfo; }
    // Space-separated suffixes that load accepts without force.
    virtual QString extentions() const { return QString(); }
    virtual MTools::Handle<PeakVector> peakVector() const { return m_peakVector; }
    virtual FILE* filePointer() { return m_pFile; }
    virtual int close();
    // Makes the timecode decoder when there is none; ch >= 0 decodes that channel, ch < 0 the detected one
    // (-1 when none was found).
    virtual int createLTCData(const int& ch);
    virtual LTCData getLTC(const qint64& audioFrame) const;
    virtual int getAudioFrameLTC(int h, int m, int s, int f) const;
    // From "hh:mm:ss:ff"; -1 with fewer than four parts.
    virtual int getAudioFrameLTC(const QString& timecode) const;
    virtual bool isLTCDataAvailable();
    virtual int getLTCTrack();
    virtual QString ltcTimeCode(const qint64& audioFrame, bool userBits);
    virtual float ltcFps();

    // True for sample layouts the readers can convert: 8, 16, 24 or 32 bits, 1 to MaxChannels channels,
    // a finite rate above 0 and up to MaxSampleRate.
    static bool isReadableLayout(double sampleRate, int channels, int bitsPerSample);

    bool hasSupportedExtention(const char* path);
    void buildPeakVectorFromChunk(FILE* file, const long& offset);
    void buildPeakVectorFromAudioData();
    // Peak side file in the per-user cache: a name made from a hash of the file's absolute path.
    QString envelopeLocation() const;
    static QString tempFilePath();
    // A name in the private temporary folder (created when missing) unique to this file's absolute path.
    QString tempFilePathAndName() const;
    float fps() const;
    // Frames per display column when the whole file spans width columns.
    float calculateZoom(int width) const;
    int readID(void* out);

    QString duration() const;
    QString start() const;
    QString end() const;
    QString absoluteTimecode(const long long& sampleFrame) const;
    QString timecode(const long long& sampleFrame) const;
    QString scene() const;
    QString take() const;

    static const std::list<FileInput*>& filesInUse() { return sm_filesInUse; }
    static void setTempPath(const QString& path) { sm_strTempPath = path; }
    // The per-user cache folder unless setTempPath chose another.
    static QString tempPath();

protected:
    FileInfo m_fileInfo;
    MTools::Handle<EBUInfo> m_ebuInfo;
    MTools::Handle<EBUEnvelope> m_ebuEnvelope;
    MTools::Handle<LTCDecoder> m_ltcDecoder;
    FILE* m_pFile = nullptr;
    qint64 m_nDataEnd = 0;
    int m_nBlockSize = 256;
    MTools::Handle<PeakVector> m_peakVector;
    PeakInfo m_peakResult;
    PeakInfoCache m_peakCache;
    qint64 m_nLastPosition = 0;
    QString m_strEnvelopeFolder;
    // Absolute path of the loaded file.
    QString m_strPath;

    static QString absolutePath(const char* path);

private:
    LTCDecoder& ltcDecoder();
    // Forgets everything learnt from a previous file.
    void resetState();
    void readEnvelope(FILE* file);
    bool loadCachedEnvelope(const QString& path);
    void saveCachedEnvelope(const QString& path);
    static bool makePrivateFolder(const QString& path);
    float timecodeRate() const;
    long long timeReference() const;
    QString timecodeOfSamples(double samples) const;
    const PeakInfo& singleSample(int ch);

    static std::list<FileInput*> sm_filesInUse;
    static QString sm_strTempPath;
};

} // namespace ZADovuzIdida
