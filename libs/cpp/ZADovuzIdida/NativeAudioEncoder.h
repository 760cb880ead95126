#pragma once
// Writes interleaved float samples into a FLAC file of the given rate, channels and depth.

#include "MAudioFormat.h"

#include <QObject>
#include <QString>

#include <memory>

namespace ZADovuzIdida {

class FlacStreamWriter;

// Data format of a stream: how the encoder describes its file and the samples it is given.
struct EncoderStreamFormat
{
    enum : unsigned { FormatFlac = 0x666C6163 /* 'flac' */, FormatLinearPCM = 0x6C70636D /* 'lpcm' */ };

    double sampleRate = 0.0;
    unsigned formatID = 0;
    unsigned formatFlags = 0;
    unsigned bytesPerPacket = 0;
    unsigned framesPerPacket = 0;
    unsigned bytesPerFrame = 0;
    unsigned channelsPerFrame = 0;
    unsigned bitsPerChannel = 0;
    unsigned reserved = 0;
};

class NativeAudioEncoder : public QObject
{
    Q_OBJECT
public:
    // Creates the file at once, replacing an existing one; a failure is logged and emitted through error(), and
    // isOpen() is false.
    NativeAudioEncoder(const QString& path, const MAudioFormat& format, QObject* parent = nullptr);
    ~NativeAudioEncoder() override;

    bool isOpen() const;
    // count floats of all channels; a trailing partial frame is dropped. False (and error()) when the file was
    // not created or the samples could not be written.
    bool write(float* samples, int count);
    // Completes and closes the file; nothing may be written after it. False (and error()) when that failed.
    bool finish();
    // True for status 0; otherwise emits error() with the status text and returns false.
    bool checkResult(int status, const char* operation);

    // The FLAC file's format: variable packets of 1024 frames, the stored rate, channels and bits.
    void createOutputFormat(EncoderStreamFormat* d) const;
    // What write() takes: packed 32-bit floats, one frame per packet; d's reserved field stays as it is.
    void createCanonicalFormat(EncoderStreamFormat* d) const;

    QString path() const { return m_strPath; }
    int bitsPerSample() const { return m_nBitsPerSample; }
    int channels() const { return m_nChannels; }
    int sampleRate() const { return m_nSampleRate; }
    QString name() const { return QStringLiteral("NativeAudioEncoder"); }
    void dump() const;

signals:
    void error(const QString& message);

private:
    QString m_strPath;
    int m_nBitsPerSample = 16;
    int m_nChannels = 2;
    int m_nSampleRate = 44100;
    std::unique_ptr<FlacStreamWriter> m_pFile;
};

// Sets the encode bit rate of an open file and returns the status: a FLAC stream, being lossless, has no bit
// rate, so an open file answers that the property is not there.
int setBitRate(FlacStreamWriter* file, unsigned bitRate);

} // namespace ZADovuzIdida
