#include "BatchWorker.h"

#include "BlockProcessor.h"
#include "ConversionSettings.h"
#include "EncodeQueue.h"
#include "GeneralOutput.h"
#include "ProductVariant.h"

#include <ZADovuzIdida/NativeAudioDecoderBase.h>
#include <ZADovuzIdida/_VozIdavi/Common/EBUEnvelope.h>

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cmath>
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

void BatchWorker::openSource(const QString& source)
{
    m_bDecoderFailed = false;
    m_pDecoder->setFile(source, m_format.sampleRate, m_format.bitsPerSample, m_format.channels);
}

void BatchWorker::initAudioFileInfo(const QString& source)
{
    m_nNumSamples = 0;
    m_fPeak = 0.0f;
    m_nFirstSound = 0;
    m_nLastSound = 0;
    m_bSoundFound = false;

    openSource(source);
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
    if (m_bDecoderFailed) {
        slotAppendError(damagedLine(source));
        return;
    }

    const int channels = std::max(m_format.channels, 1);
    const qint64 valuesPerSecond = qint64(std::max(m_format.sampleRate, 1)) * channels;
    const qint64 resultBytes = qint64(double(m_format.bitRate) / 8.0 * double(count) / double(valuesPerSecond));
    const qint64 needed = count * m_format.bitsPerSample / 8 + resultBytes + SpaceMargin;
    if (m_pEncodes)
        m_pEncodes->waitForSlot(m_bStop);
    if (!waitForFreeSpace(QFileInfo(target).absolutePath(), needed) || m_bStop)
        return;

    emit currentFile(QFileInfo(source).completeBaseName());
    std::unique_ptr<GeneralOutput> output(createOutput(target));
    output->setMetaInfoFile(source);
    // Beside earlier files still being encoded, the intermediate's own name may have had to change.
    if (m_pEncodes)
        output->setResultBaseName(QFileInfo(source).completeBaseName());
    connect(output.get(), SIGNAL(errorsLog(QString)), this, SLOT(slotAppendError(QString)), Qt::DirectConnection);
    if (!writeProcessed(source, output.get())) {
        output->discard();
        slotAppendError(damagedLine(source));
        return;
    }
    if (m_pDecoder->damagedPackets() > 0)
        slotAppendError(tr("Converted with damaged parts skipped: ") + source + tr("\n"));
    if (m_pEncodes) {
        m_pWritten = std::move(output);
        m_nWrittenReserve = needed;
    } else {
        output->close();
    }
}

QString BatchWorker::damagedLine(const QString& source) const
{
    return tr("Can not convert: ") + source + tr(" (the file is damaged or changed during the conversion)\n");
}

bool BatchWorker::writeProcessed(const QString& source, GeneralOutput* pOutput)
{
    const qint64 count = m_nNumSamples;
    const int channels = std::max(m_format.channels, 1);
    const qint64 valuesPerSecond = qint64(std::max(m_format.sampleRate, 1)) * channels;

    BlockProcessor::Params params;
    params.count = count;
    params.channels = channels;
    params.end = count;
    if (ConversionSettings::normalizationActive() && m_fPeak > SilentPeak) {
        const float fLimit = float(ConversionSettings::normalization()) / 100.0f;
        // An M4A result is encoded from an intermediate a little below the limit, room for the encoder's overshoot.
        const bool bEncoded = ProductVariant::kind() == ProductVariant::M4a;
        params.gain = fLimit * (bEncoded ? GeneralOutput::headroom() : 1.0f) / m_fPeak;
        pOutput->setPeakLimit(fLimit);
    }
    if (ConversionSettings::fadeInOutActive()) {
        params.fadeIn = ConversionSettings::fadeIn() * valuesPerSecond;
        params.fadeOut = ConversionSettings::fadeOut() * valuesPerSecond;
    }
    // Trimming keeps whole frames: from the frame of the first sound to the end of the frame of the last.
    if (ConversionSettings::trimSilenceActive() && m_bSoundFound) {
        params.first = m_nFirstSound - m_nFirstSound % channels;
        params.end = std::min(m_nLastSound - m_nLastSound % channels + channels, count);
    }
    BlockProcessor processor(params);

    openSource(source);
    std::vector<float> buffer(BlockSize);
    float* data = buffer.data();
    int nLastPercent = 0;
    // Read to the end even past the last kept value, so that the count can be compared with the first pass.
    for (int n = 1; n > 0;) {
        waitWhilePaused();
        n = readBlock(m_pDecoder, data);
        const int kept = processor.process(data, n);
        const int nPercent = int(std::min<qint64>(100, processor.position() * 100 / count));
        if (nPercent != nLastPercent) {
            emit fileProgress(nPercent);
            nLastPercent = nPercent;
        }
        if (kept > 0)
            pOutput->write(data, kept);
    }
    m_pDecoder->finish();
    return !m_bDecoderFailed && std::abs(processor.position() - count) <= qint64(PassToleranceFrames) * channels;
}

bool BatchWorker::waitForFreeSpace(const QString& folder, qint64 needed)
{
    for (;;) {
        const qint64 available = availableBytes(folder);
        const qint64 reserved = m_pEncodes ? m_pEncodes->reservedBytes() : 0;
        if (available < 0) {
            slotAppendError(tr("Can not read the free space of the folder: ") + folder + tr("\n"));
            return false;
        }
        if (needed + reserved < available)
            return true;
        // Running encodes may be what fills the disk: the space is told again once they have ended.
        if (reserved > 0) {
            m_pEncodes->waitForIdle();
            continue;
        }
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
