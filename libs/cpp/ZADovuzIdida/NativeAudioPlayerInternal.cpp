#include "NativeAudioPlayerInternal.h"

#include "Native/DecoderDevice.h"

#include <QAudioDeviceInfo>
#include <QAudioOutput>
#include <QDebug>

namespace ZADovuzIdida {

namespace {

enum State { Playing = 0, Stopped = 1, Paused = 2 };

qreal outputVolume(double volume) { return qBound(0.0, volume, 1.0); }

// Polls (500 ms each) of an output clock that stands still before the sound counts as lost.
constexpr int StalledPollsLimit = 20;

} // namespace

NativeAudioPlayerInternal::NativeAudioPlayerInternal(QObject* parent) : QObject(parent)
{
    m_timer.setInterval(500);
    connect(&m_timer, SIGNAL(timeout()), this, SLOT(slotPositionChanged()));
}

NativeAudioPlayerInternal::~NativeAudioPlayerInternal() { unload(); }

void NativeAudioPlayerInternal::releaseOutput()
{
    if (!m_pOutput)
        return;
    // A Qt output destroyed while it runs can still feed the stream it has just closed.
    m_pOutput->stop();
    m_pOutput.reset();
}

void NativeAudioPlayerInternal::unload()
{
    releaseOutput();
    m_pDevice.reset();
    m_bLoaded = false;
    m_probe = MediaProbe();
    m_nStartMs = 0;
}

void NativeAudioPlayerInternal::setBalance(float pan)
{
    m_fBalance = pan;
    if (!m_bLoaded)
        return;
    m_fPan = pan;
    if (m_pDevice)
        m_pDevice->setPan(pan);
}

void NativeAudioPlayerInternal::setMedia(const QString& path)
{
    if (m_bLoaded && m_pOutput)
        m_pOutput->stop();
    unload();
    m_probe = MediaProbe::probe(path);
    m_bLoaded = m_probe.playable;
    m_strPath = path;
    m_fPan = 0.0f;
}

bool NativeAudioPlayerInternal::makeOutput()
{
    if (m_pOutput)
        return true;
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    if (device.isNull()) {
        qWarning() << "NativeAudioPlayer: no audio output device";
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(device.preferredFormat().sampleRate() > 0 ? device.preferredFormat().sampleRate() : 44100);
    format.setChannelCount(2);
    format.setSampleSize(16);
    format.setSampleType(QAudioFormat::SignedInt);
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setCodec("audio/pcm");
    if (!device.isFormatSupported(format)) {
        format = device.nearestFormat(format);
        if (format.channelCount() != 2 || format.sampleSize() != 16 || format.sampleType() != QAudioFormat::SignedInt ||
            format.byteOrder() != QAudioFormat::LittleEndian) {
            qWarning() << "NativeAudioPlayer: the output device takes no 16-bit stereo";
            return false;
        }
    }
    auto source = std::make_unique<DecoderDevice>();
    if (!source->openFile(m_strPath, format.sampleRate()) || (m_nStartMs > 0 && !source->seekTo(m_nStartMs))) {
        qWarning() << "NativeAudioPlayer: cannot decode" << m_strPath;
        return false;
    }
    source->setPan(m_fPan);
    m_pDevice = std::move(source);
    m_pOutput = std::make_unique<QAudioOutput>(device, format);
    return true;
}

void NativeAudioPlayerInternal::play()
{
    if (!m_bLoaded)
        return;
    // Without an output the next poll sees a player that is not playing and ends the file.
    if (makeOutput()) {
        m_pOutput->setVolume(outputVolume(m_dVolume));
        if (m_pOutput->state() == QAudio::SuspendedState)
            m_pOutput->resume();
        else if (m_pOutput->state() == QAudio::StoppedState)
            startOutput();
    }
    m_nStalledPolls = 0;
    m_timer.start();
    m_nState = Playing;
}

void NativeAudioPlayerInternal::play(const QString& path)
{
    setMedia(path);
    play();
}

void NativeAudioPlayerInternal::stop()
{
    if (!m_bLoaded)
        return;
    m_timer.stop();
    if (m_pOutput)
        m_pOutput->stop();
    if (m_pDevice)
        m_pDevice->seekTo(0);
    m_nStartMs = 0;
    m_nState = Stopped;
}

void NativeAudioPlayerInternal::pause()
{
    if (!m_bLoaded)
        return;
    if (m_pOutput && m_pOutput->state() != QAudio::StoppedState)
        m_pOutput->suspend();
    m_nState = Paused;
}

bool NativeAudioPlayerInternal::isPaused() const { return m_nState == Paused; }

bool NativeAudioPlayerInternal::isStopped() const { return m_nState == Stopped; }

bool NativeAudioPlayerInternal::isPlaying() const
{
    if (!m_bLoaded || !m_pOutput)
        return false;
    const QAudio::State state = m_pOutput->state();
    if (state == QAudio::ActiveState || (state == QAudio::IdleState && !m_pDevice->decoderAtEnd()))
        return true;
    if (state != QAudio::IdleState)
        return false;
    // All sound is handed over; it plays until the output's clock reaches its end.
    return m_pOutput->processedUSecs() + 20000 < m_pDevice->deliveredUSecs();
}

bool NativeAudioPlayerInternal::outputAdvancing()
{
    if (!m_pOutput)
        return true;
    const qint64 played = m_pOutput->processedUSecs();
    const bool moving = played != m_nLastPlayedUSecs;
    m_nLastPlayedUSecs = played;
    m_nStalledPolls = moving ? 0 : m_nStalledPolls + 1;
    // All sound handed over: an output clock that stopped between two polls ends the file even short of its end.
    if (m_pOutput->state() == QAudio::IdleState && m_pDevice->decoderAtEnd())
        return moving;
    // Before that, only a clock that stood still for a long while ends it: a stream the sound server dropped.
    return m_nStalledPolls < StalledPollsLimit;
}

void NativeAudioPlayerInternal::startOutput()
{
    m_pDevice->resetDelivered();
    m_nLastPlayedUSecs = -1;
    m_nStalledPolls = 0;
    m_pOutput->start(m_pDevice.get());
}

double NativeAudioPlayerInternal::seconds() const
{
    double value = m_nStartMs / 1000.0;
    if (m_pOutput && m_pOutput->state() != QAudio::StoppedState)
        value += m_pOutput->processedUSecs() / 1e6;
    return value;
}

qint64 NativeAudioPlayerInternal::position() const
{
    if (!m_bLoaded)
        return 0;
    return qRound64(float(seconds() * 1000.0));
}

void NativeAudioPlayerInternal::setPosition(long long ms)
{
    if (!m_bLoaded)
        return;
    ms = qMax(0LL, ms);
    if (!m_pOutput) {
        m_nStartMs = ms;
        return;
    }
    const QAudio::State state = m_pOutput->state();
    m_pOutput->stop();
    m_nStartMs = m_pDevice->seekTo(ms) ? ms : 0;
    if (state != QAudio::StoppedState) {
        startOutput();
        if (state == QAudio::SuspendedState)
            m_pOutput->suspend();
    }
}

void NativeAudioPlayerInternal::setVolume(int v)
{
    if (v > 100)
        v = 100;
    m_dVolume = double(float(v) / 100.0f);
    if (m_pOutput)
        m_pOutput->setVolume(outputVolume(m_dVolume));
}

int NativeAudioPlayerInternal::volume() const { return int(m_dVolume * 100.0); }

qint64 NativeAudioPlayerInternal::duration() const { return m_bLoaded ? m_probe.durationMs : 0; }

int NativeAudioPlayerInternal::numberOfChannels() const { return m_bLoaded ? m_probe.channels : 0; }

void NativeAudioPlayerInternal::slotPositionChanged()
{
    if (!m_bLoaded)
        return;
    if (isPlaying() && outputAdvancing()) {
        emit positionChanged(position());
        return;
    }
    if (m_nState == Stopped || m_nState == Paused)
        return;
    m_timer.stop();
    unload();
    emit finished();
}

} // namespace ZADovuzIdida
