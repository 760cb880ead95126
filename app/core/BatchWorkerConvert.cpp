#include "BatchWorker.h"

#include "ConversionSettings.h"
#include "GeneralOutput.h"

#include <ZADovuzIdida/NativeAudioDecoderBase.h>
#include <ZADovuzIdida/_VozIdavi/Common/EBUEnvelope.h>

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr unsigned long WaitMs = 500;
// Below this peak a file counts as silent and keeps its level.
constexpr float SilentPeak = 1e-9f;
// Room for the RIFF, bext, fmt and data chunk headers of the intermediate file.
constexpr quint64 IntermediateHeaderBytes = 4096;
// Frames per peak of the intermediate file's envelope chunk.
constexpr quint64 EnvelopeBlockFrames = 256;
// Extra room beside the intermediate file and the estimated result.
constexpr qint64 SpaceMargin = 1 << 20;

int readBlock(ZADovuzIdida::NativeAudioDecoderBase* pDecoder, float* buffer)
{
    return std::clamp(pDecoder->read(buffer, BatchWorker::BlockSize), 0, BatchWorker::BlockSize);
}

} // namespace

void BatchWorker::initAudioFileInfo(const QString& source)
{
    m_nNumSamples = 0;
    m_fPeak = 0.0f;
    m_nFirstSound = 0;
    m_nLastSound = 0;
    m_bSoundFound = false;

    m_pDecoder->setFile(source, m_format.sampleRate, m_format.bitsPerSample, m_format.channels);
    std::vector<float> buffer(BlockSize);
    float fMin = 0.0f;
    float fMax = 0.0f;
    for (int n = readBlock(m_pDecoder, buffer.data()); n > 0; n = readBlock(m_pDecoder, buffer.data())) {
        for (int i = 0; i < n; ++i) {
            const float x = buffer[size_t(i)];
            if (x < fMin)
                fMin = x;
            else if (x > fMax)
                fMax = x;
            if (std::fabs(x) > SoundThreshold) {
                if (!m_bSoundFound)
                    m_nFirstSound = m_nNumSamples + i;
                m_bSoundFound = true;
                m_nLastSound = m_nNumSamples + i;
            }
        }
        m_nNumSamples += n;
    }
    m_pDecoder->finish();
    m_fPeak = fMax > std::fabs(fMin) ? fMax : std::fabs(fMin);
}

bool BatchWorker::fitsIntermediate(qint64 count) const
{
    const quint64 channels = quint64(std::max(m_format.channels, 1));
    const quint64 dataBytes = quint64(count) * quint64(std::max(m_format.bitsPerSample, 8)) / 8;
    const quint64 envelopeBytes = ZADovuzIdida::EBUEnvelope::chunkBytes(
        int(channels), qint64(quint64(count) / channels / EnvelopeBlockFrames + 1),
        ZADovuzIdida::EBUEnvelope::SixteenBit);
    return IntermediateHeaderBytes + dataBytes + envelopeBytes <= 0xFFFFFFFFull;
}

void BatchWorker::convert(const QString& source, const QString& target)
{
    emit fileProgress(0);
    emit currentFile(tr("ANALYZING"));
    initAudioFileInfo(source);

    const qint64 count = m_nNumSamples;
    if (!fitsIntermediate(count)) {
        slotAppendError(tr("Can not convert, because the duration is to long. Please reduce the conversion sample "
                           "rate and try again: ") +
                        source + tr("\n"));
        return;
    }
    if (count == 0) {
        slotAppendError(tr("Can not convert: ") + source + tr("\n"));
        return;
    }

    const int channels = std::max(m_format.channels, 1);
    const qint64 valuesPerSecond = qint64(std::max(m_format.sampleRate, 1)) * channels;
    const qint64 resultBytes = qint64(double(m_format.bitRate) / 8.0 * double(count) / double(valuesPerSecond));
    const qint64 needed = count * m_format.bitsPerSample / 8 + resultBytes + SpaceMargin;
    if (!waitForFreeSpace(QFileInfo(target).absolutePath(), needed) || m_bStop)
        return;

    emit currentFile(QFileInfo(source).completeBaseName());
    std::unique_ptr<GeneralOutput> output(createOutput(target));
    output->setMetaInfoFile(source);
    connect(output.get(), SIGNAL(errorsLog(QString)), this, SLOT(slotAppendError(QString)));

    const bool bNormalize = ConversionSettings::normalizationActive() && m_fPeak > SilentPeak;
    const float fGain = bNormalize ? float(ConversionSettings::normalization()) / 100.0f / m_fPeak : 1.0f;

    const bool bFades = ConversionSettings::fadeInOutActive();
    const qint64 fadeInLength = bFades ? std::min(ConversionSettings::fadeIn() * valuesPerSecond, count) : 0;
    const qint64 fadeOutStart =
        bFades ? std::max(count - ConversionSettings::fadeOut() * valuesPerSecond, qint64(0)) : count;
    const bool bFadeIn = fadeInLength > 0;
    const bool bFadeOut = fadeOutStart < count;
    const float fFadeInStep = bFadeIn ? 1.0f / float(fadeInLength) : 0.0f;
    const float fFadeOutStep = bFadeOut ? 1.0f / float(count - fadeOutStart) : 0.0f;

    // Trimming keeps whole frames: from the frame of the first sound to the end of the frame of the last.
    const bool bTrim = ConversionSettings::trimSilenceActive() && m_bSoundFound;
    const qint64 first = bTrim ? m_nFirstSound - m_nFirstSound % channels : 0;
    const qint64 end = bTrim ? std::min(m_nLastSound - m_nLastSound % channels + channels, count) : count;
    const qint64 fadeInEnd = first + fadeInLength;
    const qint64 fadeOutFrom = bTrim ? fadeOutStart - count + end : fadeOutStart;

    m_pDecoder->setFile(source, m_format.sampleRate, m_format.bitsPerSample, m_format.channels);
    std::vector<float> buffer(BlockSize);
    float* data = buffer.data();
    qint64 position = 0;
    int nLastPercent = 0;
    // Values faded so far; each gain is its count times its step, so no rounding piles up.
    qint64 nFadedIn = 0;
    qint64 nFadedOut = 0;
    for (;;) {
        waitWhilePaused();
        const int n = readBlock(m_pDecoder, data);
        const qint64 newPosition = position + n;
        const int nPercent = std::min(100, int(float(newPosition) * 100.0f / float(count)));
        if (nPercent != nLastPercent) {
            emit fileProgress(nPercent);
            nLastPercent = nPercent;
        }
        if (n > 0) {
            if (bNormalize)
                for (int i = 0; i < n; ++i)
                    data[i] *= fGain;
            if (bFadeIn && newPosition >= first && newPosition <= fadeInEnd) {
                for (int i = 0; i < n; ++i)
                    data[i] *= std::min(float(nFadedIn++) * fFadeInStep, 1.0f);
            }
            if (bFadeOut && newPosition >= fadeOutFrom) {
                for (int i = 0; i < n; ++i)
                    data[i] *= std::max(1.0f - float(nFadedOut++) * fFadeOutStep, 0.0f);
            }
        }
        qint64 kept = n;
        if (bTrim) {
            if (position < first && newPosition < first) {
                position = newPosition;
                if (n == 0)
                    break;
                continue;
            }
            if (end <= position)
                break;
            if (position <= first && first <= newPosition) {
                kept = newPosition - first;
                std::memmove(data, data + (first - position), size_t(kept) * sizeof(float));
            }
            if (end <= newPosition)
                kept -= newPosition - end;
        }
        if (kept > 0)
            output->write(data, kept);
        position = newPosition;
        if (n == 0)
            break;
    }
    output->close();
    m_pDecoder->finish();
}

bool BatchWorker::waitForFreeSpace(const QString& folder, qint64 needed)
{
    for (;;) {
        const qint64 available = availableBytes(folder);
        if (available < 0) {
            slotAppendError(tr("Can not read the free space of the folder: ") + folder + tr("\n"));
            return false;
        }
        if (needed < available)
            return true;
        m_bPause = true;
        emit notEnoughtFreeSpace();
        while (m_bPause) {
            if (m_bStop)
                return false;
            QThread::msleep(WaitMs);
        }
    }
}

void BatchWorker::waitWhilePaused()
{
    while (m_bPause && !m_bStop)
        QThread::msleep(WaitMs);
}
