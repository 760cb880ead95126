#include "NativeAudioDecoder.h"

#include "Native/FfmpegDecoder.h"
#include "Native/MediaStatus.h"
#include "Native/SectionedDecode.h"
#include "NativeAudioPlayer.h"

#include <ZADovuzIdida/_VozIdavi/Common/Util.h>

#include <QDebug>

#include <vector>

namespace ZADovuzIdida {

NativeAudioDecoder::NativeAudioDecoder(QObject* parent)
    : NativeAudioDecoderBase(parent), m_pFile(std::make_unique<FfmpegDecoder>())
{
}

NativeAudioDecoder::~NativeAudioDecoder() = default;

int NativeAudioDecoder::bytesPerFrame() const { return m_nBitsPerSample == 32 ? 8 : m_nBitsPerSample == 24 ? 6 : 4; }

void NativeAudioDecoder::initInputInfo(const QString& path)
{
    NativeAudioPlayer probe;
    probe.setMedia(path);
    m_nSourceDuration = probe.duration();
    m_nSourceChannels = probe.numberOfChannels();
}

void NativeAudioDecoder::setFile(const QString& path, const int& sampleRate, const int& bitsPerSample,
                                 const int& channels)
{
    finish();
    m_nSectionsDamaged = 0;
    m_nChannels = channels;
    m_nBitsPerSample = bitsPerSample;
    m_nFramesRead = 0;
    m_strPath = path;

    initInputInfo(path);
    m_bFinished = false;
    m_nOpenStatus = m_pFile->open(path);
    checkResult(m_nOpenStatus, "ExtAudioFileOpenURL failed");
    const FfmpegDecoder::SampleFormat format = bitsPerSample == 24 || bitsPerSample == 32
                                                   ? FfmpegDecoder::SampleFormat::S32
                                                   : FfmpegDecoder::SampleFormat::S16;
    if (!checkResult(m_pFile->setOutputFormat(sampleRate, format), "Couldn't set client data format on input ext file"))
        return;
    if (m_nSectionThreads > 0 && SectionedDecode::suits(*m_pFile, sampleRate))
        m_pSections =
            std::make_unique<SectionedDecode>(path, sampleRate, format, m_nSectionThreads, *m_pFile, m_pLender);
}

int NativeAudioDecoder::read(float* buffer, int count)
{
    if (m_strPath.isEmpty()) {
        qDebug() << "File not set";
        return 0;
    }
    if (m_bFinished)
        return 0;
    const quint32 byteCount = quint32(count) * quint32(bytesPerFrame()) / 2;
    const quint32 frames = byteCount / quint32(bytesPerFrame());
    if (!m_pFile->isReady()) {
        checkResult(m_nOpenStatus != 0 ? m_nOpenStatus : kStatusUnspecified, "Couldn't read from input file");
        return 0;
    }
    if (frames == 0)
        return 0;

    m_vecRaw.resize(size_t(frames) * size_t(m_pFile->bytesPerFrame()));
    std::vector<char>& raw = m_vecRaw;
    int status = 0;
    const int got = m_pSections ? m_pSections->read(raw.data(), int(frames), &status)
                                : m_pFile->read(raw.data(), int(frames), &status);
    if (!checkResult(status, "Couldn't read from input file") || got <= 0)
        return 0;

    const int samples = got * 2;
    if (m_nBitsPerSample == 32) {
        Util::convertRaw32ToFloat(raw.data(), buffer, samples, true);
    } else if (m_nBitsPerSample == 24) {
        // Keep the top three bytes of each 32-bit sample, least significant first.
        for (int i = 0; i < samples; ++i) {
            raw[size_t(3 * i)] = raw[size_t(4 * i + 1)];
            raw[size_t(3 * i + 1)] = raw[size_t(4 * i + 2)];
            raw[size_t(3 * i + 2)] = raw[size_t(4 * i + 3)];
        }
        Util::convertRaw24ToFloat(raw.data(), buffer, samples, true);
    } else {
        Util::convertRaw16ToFloat(raw.data(), buffer, samples, true);
    }
    m_nFramesRead += quint32(got);
    if (m_nChannels >= 2)
        return samples;

    for (int i = 0; i < got; ++i) {
        const float a = buffer[2 * i];
        const float b = buffer[2 * i + 1];
        float m;
        if (a < 0.0f && b < 0.0f)
            m = a * b + (a + b);
        else if (a > 0.0f && b > 0.0f)
            m = (a + b) - a * b;
        else
            m = a + b;
        buffer[i] = qBound(-1.0f, m, 1.0f);
    }
    return got;
}

int NativeAudioDecoder::damagedPackets() const
{
    return m_pSections ? m_pSections->damagedPackets() : m_nSectionsDamaged + m_pFile->damagedPackets();
}

void NativeAudioDecoder::finish()
{
    if (m_pSections)
        m_nSectionsDamaged = m_pSections->damagedPackets();
    m_pSections.reset();
    m_pFile->close();
    m_bFinished = true;
}

bool NativeAudioDecoder::checkResult(int status, const char* operation)
{
    if (status == 0)
        return true;
    emit error(statusMessage(status, operation));
    return false;
}

} // namespace ZADovuzIdida
