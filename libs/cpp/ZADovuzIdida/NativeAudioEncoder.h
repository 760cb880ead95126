#pragma once
// Writes interleaved float samples into a FLAC file of the given rate, channels and depth.

#include "MAudioFormat.h"

#include <QObject>
#include <QString>

#include <memory>

namespace ZADovuzIdida {

class FlacStreamWriter;

class NativeAudioEncoder : public QObject
{
    Q_OBJECT
public:
    // Creates the file at once, replacing an existing one; a failure shows on each later write.
    NativeAudioEncoder(const QString& path, const MAudioFormat& format, QObject* parent = nullptr);
    ~NativeAudioEncoder() override;

    // count floats of all channels; a trailing partial frame is dropped. Always true; failures are logged.
    bool write(float* samples, int count);
    // Completes and closes the file; nothing may be written after it.
    void finish();
    // True for status 0; otherwise emits error() with the status text and returns false.
    bool checkResult(int status, const char* operation);

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

} // namespace ZADovuzIdida
