#include "GeneralOutput.h"

#include "ConversionSettings.h"
#include "OutputNames.h"
#include "ProductVariant.h"

#include <ZADovuzIdida/AFTransCoder.h>
#include <ZADovuzIdida/EncoderBase.h>
#include <ZADovuzIdida/EncoderFactory.h>
#include <ZADovuzIdida/NativeMetaTags.h>
#include <ZADovuzIdida/_VozIdavi/Common/Settings.h>
#include <ZADovuzIdida/_VozIdavi/Output/WaveOutput.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>

GeneralOutput::GeneralOutput(const QString& fileName, ZADovuzIdida::MAudioFormat format, QObject* parent)
    : QObject(parent), m_strFileName(fileName), m_format(format), m_strOutputFile(fileName)
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
        m_pEncoder->setCopyMetaTags(ConversionSettings::copyMetaTagsActive());
        return;
    }
    ZADovuzIdida::Settings settings(48000, 2, 1, 16);
    settings.setSampleRate(unsigned(std::max(format.sampleRate, 0)));
    settings.setBitsPerSample(short(format.bitsPerSample));
    settings.setChannels(short(format.channels));
    m_pWave = std::make_unique<ZADovuzIdida::WaveOutput>(QFile::encodeName(fileName).constData(), settings, QString(),
                                                         MTools::Handle<ZADovuzIdida::EBUInfo>(), true);
}

GeneralOutput::~GeneralOutput() = default;

void GeneralOutput::setMetaInfoFile(const QString& path)
{
    m_strMetaInfoFile = path;
    if (m_pEncoder)
        m_pEncoder->setMetaInfoFile(path);
}

void GeneralOutput::write(float* data, qint64 count)
{
    if (m_pEncoder) {
        m_pEncoder->write(data, count);
        return;
    }
    if (!m_pWave)
        return;
    do {
        const int n = int(std::min<qint64>(count, INT_MAX));
        m_pWave->write(data, n);
        data += n;
        count -= n;
    } while (count > 0);
}

bool GeneralOutput::close()
{
    if (m_bClosed)
        return m_bResult;
    m_bClosed = true;
    if (m_pEncoder) {
        m_pEncoder->close();
        m_bResult = m_pEncoder->status() >= 0;
        return m_bResult;
    }

    const bool bWaveOk = m_pWave->close() && m_pWave->ok();
    m_pWave.reset();
    if (!bWaveOk) {
        QFile::remove(m_strFileName);
        emit errorsLog(tr("Can not write: ") + m_strFileName + tr("\n"));
        return false;
    }
    if (ProductVariant::name() != QLatin1String("m4a")) {
        m_bResult = true;
        return true;
    }

    const QFileInfo info(m_strFileName);
    const QString result = OutputNames::freeName(info.absolutePath(), info.completeBaseName(), QStringLiteral(".m4a"));
    m_strOutputFile = result;
    if (!encode(m_strFileName, result)) {
        QFile::remove(result);
        emit errorsLog(tr("Settings error, can not create: ") + result + tr(", the intermediate file stays: ") +
                       m_strFileName + tr("\n"));
        return false;
    }
    QFile::remove(m_strFileName);
    if (ConversionSettings::copyMetaTagsActive() && !m_strMetaInfoFile.isEmpty()) {
        ZADovuzIdida::NativeMetaTags tags;
        tags.readFrom(m_strMetaInfoFile);
        tags.writeTo(result);
    }
    m_bResult = true;
    return true;
}

bool GeneralOutput::encode(const QString& input, const QString& output)
{
    ZADovuzIdida::AFTransCoder coder;
    coder.setQuality(ConversionSettings::quality());
    coder.setBitrate(ConversionSettings::bitRate());
    coder.convert(input, output);
    const QFileInfo info(output);
    return info.isFile() && info.size() > 0;
}
