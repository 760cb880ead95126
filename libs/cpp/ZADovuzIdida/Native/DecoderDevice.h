#pragma once
// Sequential read-only device that hands out a file's sound as 16-bit stereo PCM, with a stereo pan.

#include "FfmpegDecoder.h"

#include <QIODevice>

namespace ZADovuzIdida {

class DecoderDevice : public QIODevice
{
public:
    explicit DecoderDevice(QObject* parent = nullptr);

    // Opens path for reading at sampleRate; false when it cannot be decoded.
    bool openFile(const QString& path, int sampleRate);
    // -1 left only, 0 centred, 1 right only.
    void setPan(float pan) { m_fPan = pan; }
    // Continues at ms from the start of the file.
    bool seekTo(qint64 ms);
    bool decoderAtEnd() const { return m_decoder.atEnd(); }
    // Sound handed out since the last resetDelivered(), in microseconds.
    qint64 deliveredUSecs() const;
    void resetDelivered() { m_nFramesDelivered = 0; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    FfmpegDecoder m_decoder;
    float m_fPan = 0.0f;
    qint64 m_nFramesDelivered = 0;
};

} // namespace ZADovuzIdida
