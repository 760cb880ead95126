#include "NativeAudioRecorderInternal.h"

#include "Native/FfmpegEncoder.h"
#include "NativeAudioRecorder.h"

#include <ZADovuzIdida/_VozIdavi/Common/Settings.h>
#include <ZADovuzIdida/_VozIdavi/Output/WaveOutput.h>

#include <QAudioDeviceInfo>
#include <QAudioInput>
#include <QDebug>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace ZADovuzIdida {

namespace {

constexpr float kSilenceDb = -160.0f;

float toDb(double level) { return level > 0.0 ? std::max(kSilenceDb, float(20.0 * std::log10(level))) : kSilenceDb; }

} // namespace

QString NativeAudioRecorderInternal::sm_strLastError;

NativeAudioRecorderInternal::NativeAudioRecorderInternal(QObject* parent) : QObject(parent) {}

NativeAudioRecorderInternal::~NativeAudioRecorderInternal() { endRecording(); }

void NativeAudioRecorderInternal::setFormat(const MAudioFormat& format) { m_format = format; }

bool NativeAudioRecorderInternal::openFile(const QString& fileName)
{
    switch (recorderCodecIndex(m_format)) {
    case 0: {
        const QByteArray path = fileName.toUtf8();
        m_pWave.reset(new WaveOutput(path.constData(), Settings(unsigned(m_nRate), short(m_nChannels), 16, 16),
                                     QString(), MTools::Handle<EBUInfo>(), false));
        if (m_pWave->ok())
            return true;
        m_pWave.reset();
        sm_strLastError = "Cannot create the file " + fileName;
        return false;
    }
    case 1:
    case 2:
    case 3:
    case 4: {
        static const FfmpegEncoder::FileType types[] = {
            FfmpegEncoder::FileType::Aiff, FfmpegEncoder::FileType::Mpeg4Aac, FfmpegEncoder::FileType::CafAlac,
            FfmpegEncoder::FileType::Flac};
        m_pEncoder.reset(new FfmpegEncoder);
        if (m_pEncoder->open(fileName, types[recorderCodecIndex(m_format) - 1], m_nRate, m_nChannels, m_format.bitRate))
            return true;
        sm_strLastError = m_pEncoder->error();
        m_pEncoder.reset();
        return false;
    }
    default:
        return false;
    }
}

void NativeAudioRecorderInternal::slotStart(const QString& fileName)
{
    endRecording();
    m_bStopped = true;
    sm_strLastError.clear();
    m_nRate = m_format.sampleRate;
    m_nChannels = m_format.channels;
    if (m_nRate <= 0 || m_nChannels <= 0 || m_nChannels > 8) {
        sm_strLastError = QString("Unsupported format: %1 Hz, %2 channels").arg(m_nRate).arg(m_nChannels);
        return;
    }
    QAudioFormat format;
    format.setSampleRate(m_nRate);
    format.setChannelCount(m_nChannels);
    format.setSampleSize(16);
    format.setSampleType(QAudioFormat::SignedInt);
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setCodec("audio/pcm");
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultInputDevice();
    if (device.isNull()) {
        sm_strLastError = "No audio input device";
        return;
    }
    if (!device.isFormatSupported(format)) {
        sm_strLastError = "The audio input does not support the format";
        return;
    }
    if (!openFile(fileName))
        return;
    m_pInput = new QAudioInput(device, format, this);
    m_pDevice = m_pInput->start();
    if (!m_pDevice || m_pInput->error() != QAudio::NoError) {
        sm_strLastError = "Cannot open the audio input";
        endRecording();
        return;
    }
    connect(m_pDevice, SIGNAL(readyRead()), this, SLOT(slotReadyRead()));
    m_nFrames = 0;
    m_vecPeak.fill(kSilenceDb, m_nChannels);
    m_vecAverage.fill(kSilenceDb, m_nChannels);
    m_bInitialised = true;
    m_bStopped = false;
}

void NativeAudioRecorderInternal::slotReadyRead()
{
    if (m_pDevice)
        writeBytes(m_pDevice->readAll());
}

void NativeAudioRecorderInternal::writeBytes(const QByteArray& bytes)
{
    m_arrPartial.append(bytes);
    const int frameBytes = 2 * m_nChannels;
    const int frames = m_arrPartial.size() / frameBytes;
    if (frames == 0)
        return;
    const int n = frames * m_nChannels;
    std::vector<float> samples(static_cast<size_t>(n));
    std::vector<double> peak(static_cast<size_t>(m_nChannels), 0.0);
    std::vector<double> power(static_cast<size_t>(m_nChannels), 0.0);
    for (int i = 0; i < n; ++i) {
        qint16 value;
        std::memcpy(&value, m_arrPartial.constData() + 2 * i, 2);
        samples[size_t(i)] = float(value) / 32768.0f;
        const double level = std::fabs(double(samples[size_t(i)]));
        const size_t c = size_t(i % m_nChannels);
        peak[c] = std::max(peak[c], level);
        power[c] += level * level;
    }
    m_arrPartial.remove(0, frames * frameBytes);
    m_nFrames += frames;
    if (m_bMetering) {
        for (int c = 0; c < m_nChannels; ++c) {
            m_vecPeak[c] = toDb(peak[size_t(c)]);
            m_vecAverage[c] = toDb(std::sqrt(power[size_t(c)] / frames));
        }
    }
    bool written = true;
    if (m_pWave)
        written = m_pWave->write(samples.data(), n);
    else if (m_pEncoder)
        written = m_pEncoder->write(samples.data(), n);
    if (!written)
        qWarning() << "NativeAudioRecorder: cannot write the recording";
}

void NativeAudioRecorderInternal::endRecording()
{
    if (m_pInput) {
        if (m_pDevice)
            writeBytes(m_pDevice->readAll());
        m_pInput->stop();
        delete m_pInput;
        m_pInput = nullptr;
        m_pDevice = nullptr;
    }
    m_arrPartial.clear();
    if (m_pWave) {
        if (!m_pWave->close())
            qWarning() << "NativeAudioRecorder: error closing the recording";
        m_pWave.reset();
    }
    if (m_pEncoder) {
        if (!m_pEncoder->close())
            qWarning() << "NativeAudioRecorder:" << m_pEncoder->error();
        m_pEncoder.reset();
    }
}

void NativeAudioRecorderInternal::slotStop()
{
    endRecording();
    m_bStopped = true;
    emit finished();
}

void NativeAudioRecorderInternal::slotSuspend()
{
    if (m_pInput)
        m_pInput->suspend();
}

void NativeAudioRecorderInternal::slotResume()
{
    if (m_pInput)
        m_pInput->resume();
}

bool NativeAudioRecorderInternal::isStopped() const { return m_bStopped; }

bool NativeAudioRecorderInternal::isRecording() const
{
    if (!m_bInitialised || !m_pInput)
        return false;
    const QAudio::State state = m_pInput->state();
    return state == QAudio::ActiveState || state == QAudio::IdleState;
}

bool NativeAudioRecorderInternal::isErrorOccured() const { return !sm_strLastError.isEmpty(); }

QString NativeAudioRecorderInternal::errorDescription() const { return sm_strLastError; }

long long NativeAudioRecorderInternal::processedUSecs() const
{
    return m_nRate > 0 ? std::llround(double(m_nFrames) * 1000.0 / m_nRate) : 0;
}

QStringList NativeAudioRecorderInternal::availableInputDevices() const { return {defaultInputDevice()}; }

QString NativeAudioRecorderInternal::defaultInputDevice() const
{
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultInputDevice();
    return device.isNull() ? QString() : device.deviceName();
}

void NativeAudioRecorderInternal::setInputDevice(const QString&) {}

void NativeAudioRecorderInternal::setMeteringEnabled(bool on) { m_bMetering = on; }

float NativeAudioRecorderInternal::peakPowerForChannel(int channel) const
{
    return m_vecPeak.value(channel, kSilenceDb);
}

float NativeAudioRecorderInternal::averagePowerForChannel(int channel) const
{
    return m_vecAverage.value(channel, kSilenceDb);
}

} // namespace ZADovuzIdida
