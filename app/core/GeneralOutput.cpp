#include "GeneralOutput.h"

#include "ConversionSettings.h"
#include "CoreBudget.h"
#include "OutputNames.h"
#include "PeakSearch.h"
#include "ProductVariant.h"

#include <MTools/DurableFiles.h>
#include <ZADovuzIdida/AFTransCoder.h>
#include <ZADovuzIdida/NativeAudioTools.h>
#include <ZADovuzIdida/EncoderBase.h>
#include <ZADovuzIdida/EncoderFactory.h>
#include <ZADovuzIdida/NativeMetaTags.h>
#include <ZADovuzIdida/ProcessGroups.h>
#include <ZADovuzIdida/_VozIdavi/Common/Settings.h>
#include <ZADovuzIdida/_VozIdavi/Output/WaveOutput.h>
#include <afconvert/WorkingFile.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {

// The middle of the peak window below the limit.
const float PeakAim = std::pow(10.0f, -0.5f / 20.0f);
// The AAC encoder's noise lifts the decoded peak above the true peak of what it keeps by about this much on average
// (0.25 dB, from music, speech and loud masters), so the first encode is aimed this much below the middle.
const float EncoderLift = std::pow(10.0f, 0.25f / 20.0f);
// An encode ends early once the encoder's decode of its loud frames passes the limit by this factor: in parts, it
// may differ from the whole decode by a hair at the joins.
constexpr float PassMargin = 1.001f;

} // namespace

GeneralOutput::GeneralOutput(const QString& fileName, ZADovuzIdida::MAudioFormat format, QObject* parent)
    : QObject(parent), m_strFileName(fileName), m_format(format), m_strOutputFile(fileName),
      m_strResultBase(QFileInfo(fileName).completeBaseName()), m_nQuality(ConversionSettings::quality()),
      m_nBitRate(ConversionSettings::bitRate()), m_bCopyMetaTags(ConversionSettings::copyMetaTagsActive())
{
    if (ZADovuzIdida::EncoderFactory* pFactory = ZADovuzIdida::Encoders::factory()) {
        m_pEncoder.reset(pFactory->encoder(QStringLiteral("mp3")));
        if (!m_pEncoder)
            m_pEncoder.reset(pFactory->encoder(QStringLiteral("flac")));
    }
    if (m_pEncoder) {
        connect(m_pEncoder.get(), SIGNAL(errorsLog(QString)), this, SIGNAL(errorsLog(QString)));
        m_pEncoder->setFile(fileName);
        m_pEncoder->setFormat(format);
        m_pEncoder->setCopyMetaTags(m_bCopyMetaTags);
        return;
    }
    // Never over a file that is there.
    const QFileInfo info(fileName);
    m_strFileName = OutputNames::claimName(info.absolutePath(), info.completeBaseName(),
                                           info.suffix().isEmpty() ? QString() : '.' + info.suffix());
    m_strOutputFile = m_strFileName;
    m_pWave = makeWriter(m_strFileName);
}

GeneralOutput::~GeneralOutput() = default;

void GeneralOutput::setResultName(const QString& path, const QString& base)
{
    m_strResultName = path;
    m_strResultBase = base;
}

std::unique_ptr<ZADovuzIdida::WaveOutput> GeneralOutput::makeWriter(const QString& path) const
{
    ZADovuzIdida::Settings settings(48000, 2, 1, 16);
    settings.setSampleRate(unsigned(std::max(m_format.sampleRate, 0)));
    settings.setBitsPerSample(short(m_format.bitsPerSample));
    settings.setChannels(short(m_format.channels));
    return std::make_unique<ZADovuzIdida::WaveOutput>(QFile::encodeName(path).constData(), settings, QString(),
                                                      MTools::Handle<ZADovuzIdida::EBUInfo>(), true);
}

void GeneralOutput::setMetaInfoFile(const QString& path)
{
    m_strMetaInfoFile = path;
    if (m_pEncoder) {
        m_pEncoder->setMetaInfoFile(path);
        return;
    }
    // Before the encode: a source changed meanwhile still gives its tags.
    m_pTags.reset();
    if (m_bCopyMetaTags && !path.isEmpty()) {
        m_pTags = std::make_unique<ZADovuzIdida::NativeMetaTags>();
        m_pTags->readFrom(path);
    }
}

void GeneralOutput::write(float* data, qint64 count)
{
    if (m_pEncoder) {
        m_pEncoder->write(data, count);
        return;
    }
    if (!m_pWave)
        return;
    m_nWritten += count;
    do {
        const int n = int(std::min<qint64>(count, INT_MAX));
        m_pWave->write(data, n);
        data += n;
        count -= n;
    } while (count > 0);
}

void GeneralOutput::discard()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    if (m_pEncoder) {
        m_pEncoder->close();
    } else {
        m_pWave->close();
        m_pWave.reset();
    }
    QFile::remove(m_strFileName);
}

bool GeneralOutput::close()
{
    if (!m_bClosed && completeIntermediate())
        encodeResult();
    return m_bResult;
}

bool GeneralOutput::completeIntermediate()
{
    if (m_bClosed)
        return false;
    m_bClosed = true;
    if (m_pEncoder) {
        m_pEncoder->close();
        m_bResult = m_pEncoder->status() >= 0;
        return false;
    }

    const bool bWaveOk = m_pWave->close() && m_pWave->ok();
    const QString waveError = m_pWave->errorString();
    m_pWave.reset();
    if (!bWaveOk) {
        QFile::remove(m_strFileName);
        emit errorsLog(tr("Can not write: ") + m_strFileName + tr(" (") + waveError + tr(")\n"));
        return false;
    }
    if (ProductVariant::kind() != ProductVariant::M4a) {
        // The intermediate is the result.
        QString reason;
        if (!MTools::DurableFiles::flushFile(m_strFileName))
            reason = tr("it can not be flushed to the disk");
        else if (!flushFolder(QFileInfo(m_strFileName).absolutePath()))
            reason = tr("its folder can not be flushed to the disk");
        m_bResult = reason.isEmpty();
        if (!m_bResult)
            emit errorsLog(tr("Can not write: ") + m_strFileName + tr(" (") + reason + tr(")\n"));
        return false;
    }
    if (m_strResultName.isEmpty()) {
        const QFileInfo info(m_strFileName);
        m_strResultName =
            OutputNames::freeName(info.absolutePath(), m_strResultBase, ProductVariant::resultExtension());
    }
    m_strOutputFile = m_strResultName;
    return true;
}

bool GeneralOutput::encodeResult()
{
    m_bResult = encodeStep(m_strOutputFile);
    return m_bResult;
}

bool GeneralOutput::encodeStep(const QString& result)
{
    QString reason;
    QString kept;
    // A held run begins no encode, and an ended one none at all.
    const bool bEncoded = (!m_pGroups || m_pGroups->waitUntilFree()) && encodeWithinPeak(result, &kept, &reason);
    QFile::remove(m_strFileName);
    if (bEncoded) {
        copyTags(kept, result);
        // A finished encode is never removed: when it can not take its name, it stays and the line says where.
        if (moveToResult(kept, &reason))
            return true;
    } else {
        if (!kept.isEmpty())
            QFile::remove(kept);
        if (m_pGroups && m_pGroups->isEnded())
            return false;
    }
    emit errorsLog(tr("Settings error, can not create: ") + result + tr(" (") + reason + tr(")\n"));
    return false;
}

void GeneralOutput::copyTags(const QString& encoded, const QString& result)
{
    if (!m_pTags)
        return;
    if (!m_pTags->artworkRefusal().isEmpty())
        emit errorsLog(tr("Cover art not copied: ") + m_strMetaInfoFile + tr(" (") + m_pTags->artworkRefusal() +
                       tr(")\n"));
    if (m_pTags->isMetaDataAvailable() && !m_pTags->writeTo(encoded))
        emit errorsLog(tr("Can not write the tags: ") + result + tr("\n"));
}

bool GeneralOutput::moveToResult(const QString& encoded, QString* pReason)
{
    // The data, then the folder's entry, are on the disk before the result counts as complete.
    if (!MTools::DurableFiles::flushFile(encoded)) {
        *pReason = tr("the encode can not be flushed to the disk; it is kept as ") + encoded;
        return false;
    }
    const QFileInfo info(m_strOutputFile);
    const QString folder = info.absolutePath();
    // A file made under the result's name during the encode stays; the result takes the next free name.
    QString name;
    const int error = OutputNames::giveFreeName(
        m_strOutputFile, m_strResultBase, '.' + info.suffix(),
        [&](const QString& to) { return moveNoReplace(encoded, to); }, &name);
    if (error != 0) {
        *pReason = tr("the encode can not take the name: ") + qt_error_string(error) + tr("; it is kept as ") + encoded;
        return false;
    }
    m_strOutputFile = name;
    if (flushFolder(folder))
        return true;
    *pReason = tr("the folder can not be flushed to the disk; the result is kept as ") + m_strOutputFile;
    return false;
}

int GeneralOutput::moveNoReplace(const QString& from, const QString& to)
{
    return MTools::DurableFiles::moveNoReplace(from, to);
}

bool GeneralOutput::flushFolder(const QString& path) { return MTools::DurableFiles::flushFolder(path); }

QString GeneralOutput::besideName(const QString& result)
{
    const QFileInfo info(result);
    for (;;) {
        const QString ending = QStringLiteral(".encode-") + QString::number(++m_nEncodes);
        // The result's name, cut short where the encoder's working name would not fit the folder.
        QString base = info.fileName();
        while (QFile::encodeName(base + ending + QLatin1String(WorkingFile::kSuffix)).size() > NAME_MAX)
            base.chop(base.size() > 1 && base.at(base.size() - 1).isLowSurrogate() ? 2 : 1);
        const QString name = info.path() + '/' + base + ending;
        if (QFileInfo::exists(name + QLatin1String(WorkingFile::kSuffix)))
            continue;
        // Held from now on, so that the encode never writes over a file made meanwhile.
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !QFileInfo::exists(name))
            return name;
    }
}

bool GeneralOutput::encodeBeside(const QString& result, float gain, QString* pEncoded, QString* pReason)
{
    for (int nTried = 1;; ++nTried) {
        const QString encoded = besideName(result);
        m_bWorkingNameTaken = false;
        m_fEncodedPeak = -1.0f;
        m_fPassedPeak = -1.0f;
        if (encode(m_strFileName, encoded, gain, pReason)) {
            *pEncoded = encoded;
            return true;
        }
        QFile::remove(encoded);
        if (!m_bWorkingNameTaken || nTried == OutputNames::NamesTried)
            return false;
    }
}

bool GeneralOutput::encodeWithinPeak(const QString& result, QString* pKept, QString* pReason)
{
    if (m_fPeakLimit <= 0.0f)
        return encodeBeside(result, 1.0f, pKept, pReason);
    PeakSearch search(m_fPeakLimit, m_fMaxRaise);
    for (float gain = search.nextGain(); gain > 0.0f; gain = search.nextGain()) {
        // A held run begins no further encode, and an ended one none at all.
        if (search.encodes() > 0 && m_pGroups && !m_pGroups->waitUntilFree())
            break;
        QString encoded;
        float peak = 0.0f;
        if (!encodeScaled(result, gain, &encoded, &peak, pReason)) {
            if (m_pGroups && m_pGroups->isEnded())
                break;
            return search.best() >= 0;
        }
        if (encoded.isEmpty()) {
            search.addPassed(peak);
            continue;
        }
        search.addPeak(peak);
        if (search.best() < search.encodes() - 1) {
            QFile::remove(encoded);
            continue;
        }
        if (!pKept->isEmpty())
            QFile::remove(*pKept);
        *pKept = encoded;
    }
    // A cancelled run keeps no earlier encode either.
    if (m_pGroups && m_pGroups->isEnded()) {
        if (!pKept->isEmpty())
            QFile::remove(*pKept);
        pKept->clear();
        return false;
    }
    if (search.best() < 0) {
        *pReason = tr("every result decodes above the peak limit");
        return false;
    }
    return true;
}

bool GeneralOutput::encodeScaled(const QString& result, float gain, QString* pEncoded, float* pPeak, QString* pReason)
{
    if (!encodeBeside(result, gain, pEncoded, pReason)) {
        // Ended early above the limit: no result, and the peak it reached.
        *pPeak = m_fPassedPeak;
        return m_fPassedPeak >= 0.0f;
    }
    *pPeak = m_fEncodedPeak >= 0.0f ? m_fEncodedPeak : ZADovuzIdida::NativeAudioTools::peak(*pEncoded);
    if (*pPeak >= 0.0f)
        return true;
    QFile::remove(*pEncoded);
    pEncoded->clear();
    *pReason = tr("the result can not be decoded");
    return false;
}

float GeneralOutput::headroom() { return PeakAim / EncoderLift; }

double GeneralOutput::encodedBandwidth(const ZADovuzIdida::MAudioFormat& format)
{
    // As the encoder derives it from the bit rate per channel when it is given no cutoff of its own.
    const double perChannel = double(format.bitRate) / std::max(format.channels, 1);
    const double nyquist = std::max(format.sampleRate, 1) / 2.0;
    if (format.bitRate <= 0)
        return nyquist;
    const double fromRate = std::min({std::max(perChannel / 5.0, perChannel * 15.0 / 32.0 - 5500.0),
                                      3000.0 + perChannel / 4.0, 12000.0 + perChannel / 16.0});
    return std::min({fromRate, 22000.0, nyquist});
}

void GeneralOutput::setPeakLimit(float limit, float maxRaise)
{
    m_fPeakLimit = limit;
    m_fMaxRaise = maxRaise;
}

bool GeneralOutput::encode(const QString& input, const QString& output, float gain, QString* pReason)
{
    ZADovuzIdida::AFTransCoder coder;
    coder.setQuality(m_nQuality);
    coder.setMeasurePeak(m_fPeakLimit > 0.0f);
    coder.setStopAbove(m_fPeakLimit * PassMargin);
    coder.setBitrate(m_nBitRate);
    coder.setGain(gain);
    coder.setProcessGroups(m_pGroups);
    if (m_pCores) {
        coder.setParts(m_pCores->encodeParts(m_nWritten / std::max(m_format.channels, 1), m_format.sampleRate,
                                             m_nBitRate, m_format.channels));
        coder.setCoreLender(m_pCores);
    }
    coder.convert(input, output);
    m_bWorkingNameTaken = coder.workingNameTaken();
    m_fEncodedPeak = coder.decodedPeak();
    m_fPassedPeak = coder.passedPeak();
    // A finished encode that the encoder could not flush or name is the output all the same: the result's own steps
    // flush and name it.
    const QString kept = coder.keptEncode();
    if (!kept.isEmpty() && kept != output &&
        std::rename(QFile::encodeName(kept).constData(), QFile::encodeName(output).constData()) != 0) {
        const int error = errno;
        *pReason = tr("the encode can not take the name: ") + qt_error_string(error) + tr("; it is kept as ") + kept;
        return false;
    }
    const QFileInfo info(output);
    if ((coder.errorText().isEmpty() || !kept.isEmpty()) && info.isFile() && info.size() > 0)
        return true;
    *pReason = coder.errorText().isEmpty() ? tr("no result was written") : coder.errorText();
    return false;
}
