#include "BatchWorker.h"

#include "BlockProcessor.h"
#include "ConversionJob.h"
#include "ConversionSettings.h"
#include "CoreBudget.h"
#include "EncodeQueue.h"
#include "GeneralOutput.h"
#include "ParallelTruePeak.h"
#include "ProductVariant.h"

#include <ZADovuzIdida/NativeAudioDecoderBase.h>
#include <ZADovuzIdida/_VozIdavi/Common/EBUEnvelope.h>
#include <ZADovuzIdida/_VozIdavi/Common/SampleRange.h>

#include <QDebug>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
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

int BatchWorker::openSource(ConversionJob& job, bool bMeasuring)
{
    job.bDecoderFailed = false;
    // A third of the cores no other file needs measure beside the pass; the others decode the source ahead of it,
    // where it can be cut exactly. Each is lent only while it works, so that a waiting encode can have it. A pass
    // that begins with every core taken reads on its own: its sections would wait for a core and hold memory.
    const int nSpare = m_pCores && !job.bDirect && m_pCores->hasSpare() ? m_pCores->cores() - 1 : 0;
    const int nMeasuring = bMeasuring ? nSpare / 3 : 0;
    job.pDecoder->setSectionThreads(nSpare - nMeasuring, m_pCores);
    job.pDecoder->setFile(job.source, m_format.sampleRate, m_format.bitsPerSample, m_format.channels);
    return nMeasuring;
}

void BatchWorker::initAudioFileInfo(const QString& source) { runOnOwnDecoder(source, QString()); }

void BatchWorker::convert(const QString& source, const QString& target) { runOnOwnDecoder(source, target); }

void BatchWorker::runOnOwnDecoder(const QString& source, const QString& target)
{
    ConversionJob job;
    job.bDirect = true;
    job.source = source;
    job.target = target;
    job.pDecoder = m_pDecoder;
    if (target.isEmpty())
        analyse(job);
    else
        convertJob(job);
    m_fPeak = job.analysis.peak;
    m_nNumSamples = job.analysis.count;
    if (job.pWritten)
        job.pWritten->close();
    m_strErrors += job.lines;
}

void BatchWorker::analyse(ConversionJob& job)
{
    ConversionJob::Analysis& result = job.analysis;
    result = ConversionJob::Analysis();
    // The level of a normalized M4A intermediate is set by its true peak within what the encoder keeps.
    const bool bTruePeak = ConversionSettings::normalizationActive() && ProductVariant::kind() == ProductVariant::M4a;
    const int nMeasuring = openSource(job, bTruePeak);
    std::vector<float> buffer(BlockSize);
    float fMin = 0.0f;
    float fMax = 0.0f;
    std::unique_ptr<ParallelTruePeak> truePeak;
    if (bTruePeak)
        truePeak = std::make_unique<ParallelTruePeak>(
            m_format.channels, GeneralOutput::encodedBandwidth(m_format) / std::max(m_format.sampleRate, 1), nMeasuring,
            m_pCores);
    for (int n = readBlock(job.pDecoder, buffer.data()); n > 0;
         n = goOn(job, true) ? readBlock(job.pDecoder, buffer.data()) : 0) {
        if (truePeak)
            truePeak->add(buffer.data(), n);
        const float* values = buffer.data();
        ZADovuzIdida::SampleRange::widen(values, n, 1, &fMin, &fMax);
        const auto isSound = [](float x) { return std::fabs(x) > SoundThreshold; };
        const float* last =
            std::find_if(std::make_reverse_iterator(values + n), std::make_reverse_iterator(values), isSound).base();
        if (last != values) {
            if (!result.bSoundFound)
                result.firstSound = result.count + (std::find_if(values, last, isSound) - values);
            result.bSoundFound = true;
            result.lastSound = result.count + (last - 1 - values);
        }
        result.count += n;
    }
    if (truePeak) {
        truePeak->finish();
        result.truePeak = truePeak->peak();
    }
    job.pDecoder->finish();
    result.peak = fMax > std::fabs(fMin) ? fMax : std::fabs(fMin);
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

void BatchWorker::convertJob(ConversionJob& job)
{
    const QMetaObject::Connection failed = connect(
        job.pDecoder, &ZADovuzIdida::NativeAudioDecoderBase::error, job.pDecoder,
        [&job](const QString& message) {
            qDebug().noquote() << "decoder:" << message;
            job.bDecoderFailed = true;
        },
        Qt::DirectConnection);
    convertPasses(job);
    disconnect(failed);
}

void BatchWorker::convertPasses(ConversionJob& job)
{
    showPercent(job, 0);
    showText(job, tr("ANALYZING"));
    analyse(job);
    if (job.bDropped)
        return;

    const qint64 count = job.analysis.count;
    if (!fitsIntermediate(count)) {
        job.lines += tr("Can not convert, because the duration is to long. Please reduce the conversion sample "
                        "rate and try again: ") +
                     job.source + tr("\n");
        return;
    }
    if (count == 0) {
        job.lines += tr("Can not convert: ") + job.source + tr("\n");
        return;
    }
    if (job.bDecoderFailed) {
        job.lines += damagedLine(job.source);
        return;
    }

    const int channels = std::max(m_format.channels, 1);
    const qint64 valuesPerSecond = qint64(std::max(m_format.sampleRate, 1)) * channels;
    const qint64 resultBytes = qint64(double(m_format.bitRate) / 8.0 * double(count) / double(valuesPerSecond));
    const qint64 needed = count * m_format.bitsPerSample / 8 + resultBytes + SpaceMargin;
    if (!passGate(job, needed) || m_bStop)
        return;

    showText(job, QFileInfo(job.source).completeBaseName());
    std::unique_ptr<GeneralOutput> output(createOutput(job.target));
    output->setMetaInfoFile(job.source);
    output->setProcessGroups(&m_encoders);
    output->setCores(m_pCores);
    if (!job.result.isEmpty())
        output->setResultName(job.result, QFileInfo(job.source).completeBaseName());
    connect(
        output.get(), &GeneralOutput::errorsLog, output.get(), [&job](const QString& line) { job.lines += line; },
        Qt::DirectConnection);
    if (!writeProcessed(job, output.get())) {
        output->discard();
        if (!job.bDropped)
            job.lines += damagedLine(job.source);
        return;
    }
    if (job.pDecoder->damagedPackets() > 0)
        job.lines += tr("Converted with damaged parts skipped: ") + job.source + tr("\n");
    job.pWritten = std::move(output);
}

QString BatchWorker::damagedLine(const QString& source) const
{
    return tr("Can not convert: ") + source + tr(" (the file is damaged or changed during the conversion)\n");
}

bool BatchWorker::writeProcessed(ConversionJob& job, GeneralOutput* pOutput)
{
    const ConversionJob::Analysis& analysis = job.analysis;
    const qint64 count = analysis.count;
    const int channels = std::max(m_format.channels, 1);
    const qint64 valuesPerSecond = qint64(std::max(m_format.sampleRate, 1)) * channels;

    BlockProcessor::Params params;
    params.count = count;
    params.channels = channels;
    params.end = count;
    if (ConversionSettings::normalizationActive() && analysis.peak > SilentPeak) {
        const float fLimit = float(ConversionSettings::normalization()) / 100.0f;
        // An M4A result is encoded from an intermediate aimed by its true peak within what the encoder keeps, which
        // foretells the decoded peak far better than the sample peak; its samples never pass the limit.
        params.gain = fLimit / analysis.peak;
        if (ProductVariant::kind() == ProductVariant::M4a && analysis.truePeak > 0.0f)
            params.gain = std::min(params.gain, fLimit * GeneralOutput::headroom() / analysis.truePeak);
        pOutput->setPeakLimit(fLimit, fLimit / (params.gain * analysis.peak));
    }
    if (ConversionSettings::fadeInOutActive()) {
        params.fadeIn = ConversionSettings::fadeIn() * valuesPerSecond;
        params.fadeOut = ConversionSettings::fadeOut() * valuesPerSecond;
    }
    // Trimming keeps whole frames: from the frame of the first sound to the end of the frame of the last.
    if (ConversionSettings::trimSilenceActive() && analysis.bSoundFound) {
        params.first = analysis.firstSound - analysis.firstSound % channels;
        params.end = std::min(analysis.lastSound - analysis.lastSound % channels + channels, count);
    }
    BlockProcessor processor(params);

    openSource(job, false);
    std::vector<float> buffer(BlockSize);
    float* data = buffer.data();
    int nLastPercent = 0;
    // Read to the end even past the last kept value, so that the count can be compared with the first pass.
    for (int n = 1; n > 0;) {
        if (!goOn(job, false))
            break;
        n = readBlock(job.pDecoder, data);
        const int kept = processor.process(data, n);
        // The pass's end is not the file's: its encode follows, which nothing measures.
        const int nPercent = int(std::min<qint64>(99, processor.position() * 100 / count));
        if (nPercent != nLastPercent) {
            showPercent(job, nPercent);
            nLastPercent = nPercent;
        }
        if (kept > 0)
            pOutput->write(data, kept);
    }
    job.pDecoder->finish();
    showPercent(job, 0);
    return !job.bDropped && !job.bDecoderFailed &&
           std::abs(processor.position() - count) <= qint64(PassToleranceFrames) * channels;
}

bool BatchWorker::goOn(ConversionJob& job, bool bFirstPass)
{
    if (!m_bCancel && bFirstPass && isShown(job))
        return true;
    waitWhilePaused();
    job.bDropped = m_bCancel || (m_bStop && !isShown(job));
    return !job.bDropped;
}

bool BatchWorker::passGate(ConversionJob& job, qint64 needed)
{
    const QString folder = QFileInfo(job.target).absolutePath();
    if (job.bDirect)
        return waitForFreeSpace(job, folder, needed);
    // One file at a time tells the space and takes its share, in the order their first passes end.
    std::lock_guard<std::mutex> gate(m_gateMutex);
    if (m_bStop || !waitForFreeSpace(job, folder, needed))
        return false;
    m_pEncodes->reserve(needed);
    job.reserve = needed;
    return true;
}

bool BatchWorker::waitForFreeSpace(ConversionJob& job, const QString& folder, qint64 needed)
{
    for (;;) {
        const qint64 available = availableBytes(folder);
        const qint64 reserved = job.bDirect ? 0 : m_pEncodes->reservedBytes();
        if (available < 0) {
            job.lines += tr("Can not read the free space of the folder: ") + folder + tr("\n");
            return false;
        }
        if (needed + reserved < available)
            return true;
        // Files being written or encoded may be what fills the disk: the space is told again once they have ended.
        if (reserved > 0) {
            m_pEncodes->waitUntilUnreserved(m_bStop);
            if (m_bStop)
                return false;
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
