#pragma once
// Recording engine behind NativeAudioRecorder: reads the default input and writes the file of the chosen type.

#include "MAudioFormat.h"

#include <QObject>
#include <QStringList>
#include <QVector>

#include <memory>

class QAudioInput;
class QIODevice;

namespace ZADovuzIdida {

class FfmpegEncoder;
class WaveOutput;

class NativeAudioRecorderInternal : public QObject
{
    Q_OBJECT

public:
    explicit NativeAudioRecorderInternal(QObject* parent);
    // Stops a running recording without finished().
    ~NativeAudioRecorderInternal() override;

    void setFormat(const MAudioFormat& format);
    bool isStopped() const;
    bool isRecording() const;
    bool isErrorOccured() const;
    QString errorDescription() const;
    long long processedUSecs() const;
    QStringList availableInputDevices() const;
    QString defaultInputDevice() const;
    void setInputDevice(const QString& device);
    void setMeteringEnabled(bool on);
    float peakPowerForChannel(int channel) const;
    float averagePowerForChannel(int channel) const;

signals:
    void finished();

public slots:
    // A start while recording ends the running file first.
    void slotStart(const QString& fileName);
    void slotStop();
    void slotSuspend();
    void slotResume();

private slots:
    void slotReadyRead();

private:
    bool openFile(const QString& fileName);
    void writeBytes(const QByteArray& bytes);
    void endRecording();

    QAudioInput* m_pInput = nullptr;
    QIODevice* m_pDevice = nullptr;
    bool m_bStopped = true;
    MAudioFormat m_format;
    bool m_bInitialised = false;
    int m_nChannels = 2;
    int m_nRate = 44100;
    std::unique_ptr<WaveOutput> m_pWave;
    std::unique_ptr<FfmpegEncoder> m_pEncoder;
    QByteArray m_arrPartial;
    long long m_nFrames = 0;
    bool m_bMetering = false;
    QVector<float> m_vecPeak;
    QVector<float> m_vecAverage;

    // The error of the latest start of any recorder.
    static QString sm_strLastError;
};

} // namespace ZADovuzIdida
