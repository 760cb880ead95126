// File input that picks a WAV or an AIFF reader for a file and forwards every operation to it.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Input/FileInput.h>

namespace ZADovuzIdida {

class GeneralFileInput : public FileInput
{
public:
    GeneralFileInput() = default;
    ~GeneralFileInput() override = default;

    void dump() const override;
    QString name() const override;
    short fmt() const override;
    // Opens only through load.
    bool open(const char*) override { return false; }
    void createPeakVector() override;
    const PeakInfo& peakInfo(int x, int ch, float zoom) override;
    // Tries a WAV reader, then an AIFF reader; a failure keeps the previous delegate.
    bool load(const char* path, bool force) override;
    int read(char* data, int n) override;
    int read(MTools::Handle<RawBuffer> buffer) override;
    int read(MTools::Handle<AudioFloatBuffer> buffer) override;
    int read(MTools::Handle<AudioFloatBuffer> buffer, unsigned long frame) override;
    int read(float* out, int n) override;
    int seek(qint64 bytes) override;
    qint64 tell() override;
    int flush() override;
    int rewind() override;
    qint64 position() const override;
    int gotoFrame(const qint64& frame, const int& channels) override;
    int gotoFrame(const qint64& frame) override;
    int readFrames(const qint64& frame, float* out, const int& n, const int& channels) override;
    int readFrames(float* out, const int& n, const int& channels) override;
    void saveEnvelope(const char* path, const EBUEnvelope::Format& format) override;
    void loadEnvelope(const char* path) override;
    void saveEbuInfo(const char* path) override;
    void loadEbuInfo(const char* path) override;
    MTools::Handle<EBUInfo> ebuInfo() const override;
    MTools::Handle<EBUEnvelope> ebuEnvelope() const override;
    const FileInfo& fileInfo() const override;
    MTools::Handle<PeakVector> peakVector() const override;
    FILE* filePointer() override;
    int close() override;
    int createLTCData(const int& ch) override;
    LTCData getLTC(const qint64& audioFrame) const override;
    int getAudioFrameLTC(int h, int m, int s, int f) const override;
    int getAudioFrameLTC(const QString& timecode) const override;
    bool isLTCDataAvailable() override;
    int getLTCTrack() override;
    float ltcFps() override;

    unsigned sampleRate() const;
    short channels() const;
    short bitsPerSample() const;

    // "BWF", "WAVE", "AIFF" or "UNKNOWN".
    QString formatString() const;
    // 0 BWF, 1 WAVE, 2 AIFF, 3 unknown.
    int fileFormat() const;

private:
    MTools::Handle<FileInput> m_delegate;

    static const FileInfo sm_emptyFileInfo;
    static const PeakInfo sm_zeroPeakInfo;
};

} // namespace ZADovuzIdida
