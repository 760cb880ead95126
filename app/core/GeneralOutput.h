#pragma once
// Sink of one converted file: writes the intermediate WAV, then makes the M4A result and copies the tags.

#include <ZADovuzIdida/MAudioFormat.h>

#include <QObject>
#include <QString>

#include <memory>

namespace ZADovuzIdida {
class EncoderBase;
class WaveOutput;
} // namespace ZADovuzIdida

class GeneralOutput : public QObject
{
    Q_OBJECT

public:
    // Creates the intermediate file fileName at once, with the format's rate, channels and bits; when an encoder
    // factory is installed and gives an encoder ("mp3", else "flac"), that encoder takes the samples instead.
    GeneralOutput(const QString& fileName, ZADovuzIdida::MAudioFormat format, QObject* parent = nullptr);
    ~GeneralOutput() override;

    // The source whose tags the result receives.
    void setMetaInfoFile(const QString& path);
    // count interleaved values.
    virtual void write(float* data, qint64 count);
    // The intermediate file until close() has chosen the ".m4a" name.
    QString outputFile() const { return m_strOutputFile; }
    // Completes the intermediate file; in the "m4a" variant encodes it to a free ".m4a" name beside it, removes
    // it and copies the tags. A failure emits one errorsLog line: an incomplete intermediate is removed, a failed
    // encode removes its partial result and keeps the intermediate. True when the result is complete.
    virtual bool close();

signals:
    void errorsLog(const QString& line);

protected:
    // Encodes input into output with the stored quality and bit rate; true when output is there.
    virtual bool encode(const QString& input, const QString& output);

private:
    QString m_strFileName;
    QString m_strMetaInfoFile;
    ZADovuzIdida::MAudioFormat m_format;
    std::unique_ptr<ZADovuzIdida::WaveOutput> m_pWave;
    std::unique_ptr<ZADovuzIdida::EncoderBase> m_pEncoder;
    QString m_strOutputFile;
    bool m_bClosed = false;
    bool m_bResult = false;
};
