#pragma once
// Recorder facade with Qt types only: records the default audio input into a WAV, AIFF, AAC, CAF or FLAC file.

#include "MAudioFormat.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace ZADovuzIdida {

class NativeAudioRecorderInternal;

// Four-character code as the recorder settings carry it ("lpcm", "aac ", "flac").
constexpr quint32 recorderFourCC(char a, char b, char c, char d)
{
    return (quint32(quint8(a)) << 24) | (quint32(quint8(b)) << 16) | (quint32(quint8(c)) << 8) | quint32(quint8(d));
}

// File type index of the format's codec: 1 "AIFF", 2 "MPEG4ACC", 3 "CAF", 4 "FLAC" (exact case), else 0 (WAV).
int recorderCodecIndex(const MAudioFormat& format);

// Recorder settings of a format: "SampleRate" (float), "FormatID" (four-character code), "NumberOfChannels",
// "EncoderAudioQuality" (0, 32, 64, 96 or 127), and per file type "EncoderBitRate" (AAC),
// "LinearPCMBitDepth", "LinearPCMIsBigEndian", "LinearPCMIsFloat", "LinearPCMIsNonInterleaved".
QVariantMap recorderSettings(const MAudioFormat& format);

class NativeAudioRecorder : public QObject
{
    Q_OBJECT

public:
    explicit NativeAudioRecorder(QObject* parent = nullptr);

    void setOutputFileName(const QString& fileName);
    QString outputFileName() const;
    void setFormat(const MAudioFormat& format);
    MAudioFormat format() const;

    bool isStopped() const;
    bool isRecording() const;
    // The error of the latest start of any recorder in the process.
    bool isErrorOccured() const;
    QString errorDescription() const;
    // Recorded time in milliseconds.
    long long processedUSecs() const;

    // One entry: the default input's name (empty without a device).
    QStringList availableInputDevices() const;
    QString defaultInputDevice() const;
    // No effect: recording always uses the default input.
    void setInputDevice(const QString& device);

    void setMeteringEnabled(bool on);
    // Level of the latest block of a channel in dB (0 is full scale, -160 silence).
    float peakPowerForChannel(int channel) const;
    float averagePowerForChannel(int channel) const;

signals:
    void finished();

public slots:
    // Records into the stored output file name.
    void slotStart();
    void slotStart(const QString& fileName);
    void slotStop();
    void slotSuspend();
    void slotResume();

private:
    NativeAudioRecorderInternal* m_pInternal;
    QString m_strOutputFileName;
    MAudioFormat m_format;
};

} // namespace ZADovuzIdida
