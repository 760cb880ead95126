#include "NativeAudioRecorder.h"

#include "NativeAudioRecorderInternal.h"

namespace ZADovuzIdida {

int recorderCodecIndex(const MAudioFormat& format)
{
    for (int index = 1; index <= 4; ++index) {
        if (format.codec == audioFileTypeName(index))
            return index;
    }
    return 0;
}

QVariantMap recorderSettings(const MAudioFormat& format)
{
    int quality = 96;
    switch (format.quality) {
    case 0:
        quality = 0;
        break;
    case 1:
        quality = 32;
        break;
    case 2:
        quality = 64;
        break;
    case 4:
        quality = 127;
        break;
    default:
        break;
    }
    QVariantMap settings;
    settings["SampleRate"] = float(format.sampleRate);
    settings["NumberOfChannels"] = format.channels;
    settings["EncoderAudioQuality"] = quality;
    switch (recorderCodecIndex(format)) {
    case 2:
    case 3:
        settings["FormatID"] = recorderFourCC('a', 'a', 'c', ' ');
        settings["EncoderBitRate"] = format.bitRate;
        break;
    case 4:
        settings["FormatID"] = recorderFourCC('f', 'l', 'a', 'c');
        settings["LinearPCMBitDepth"] = 16;
        settings["LinearPCMIsBigEndian"] = false;
        settings["LinearPCMIsFloat"] = false;
        break;
    case 1:
        settings["FormatID"] = recorderFourCC('l', 'p', 'c', 'm');
        settings["LinearPCMBitDepth"] = 16;
        settings["LinearPCMIsFloat"] = false;
        settings["LinearPCMIsBigEndian"] = true;
        settings["LinearPCMIsNonInterleaved"] = false;
        break;
    default:
        settings["FormatID"] = recorderFourCC('l', 'p', 'c', 'm');
        break;
    }
    return settings;
}

NativeAudioRecorder::NativeAudioRecorder(QObject* parent)
    : QObject(parent), m_pInternal(new NativeAudioRecorderInternal(this))
{
    connect(m_pInternal, SIGNAL(finished()), this, SIGNAL(finished()));
}

void NativeAudioRecorder::setOutputFileName(const QString& fileName) { m_strOutputFileName = fileName; }

QString NativeAudioRecorder::outputFileName() const { return m_strOutputFileName; }

void NativeAudioRecorder::setFormat(const MAudioFormat& format)
{
    m_format = format;
    m_pInternal->setFormat(format);
}

MAudioFormat NativeAudioRecorder::format() const { return m_format; }

bool NativeAudioRecorder::isStopped() const { return m_pInternal->isStopped(); }

bool NativeAudioRecorder::isRecording() const { return m_pInternal->isRecording(); }

bool NativeAudioRecorder::isErrorOccured() const { return m_pInternal->isErrorOccured(); }

QString NativeAudioRecorder::errorDescription() const { return m_pInternal->errorDescription(); }

long long NativeAudioRecorder::processedUSecs() const { return m_pInternal->processedUSecs(); }

QStringList NativeAudioRecorder::availableInputDevices() const { return m_pInternal->availableInputDevices(); }

QString NativeAudioRecorder::defaultInputDevice() const { return m_pInternal->defaultInputDevice(); }

void NativeAudioRecorder::setInputDevice(const QString& device) { m_pInternal->setInputDevice(device); }

void NativeAudioRecorder::setMeteringEnabled(bool on) { m_pInternal->setMeteringEnabled(on); }

float NativeAudioRecorder::peakPowerForChannel(int channel) const { return m_pInternal->peakPowerForChannel(channel); }

float NativeAudioRecorder::averagePowerForChannel(int channel) const
{
    return m_pInternal->averagePowerForChannel(channel);
}

void NativeAudioRecorder::slotStart() { m_pInternal->slotStart(m_strOutputFileName); }

void NativeAudioRecorder::slotStart(const QString& fileName)
{
    m_strOutputFileName = fileName;
    m_pInternal->slotStart(fileName);
}

void NativeAudioRecorder::slotStop() { m_pInternal->slotStop(); }

void NativeAudioRecorder::slotSuspend() { m_pInternal->slotSuspend(); }

void NativeAudioRecorder::slotResume() { m_pInternal->slotResume(); }

} // namespace ZADovuzIdida
