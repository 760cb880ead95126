#include <ZADovuzIdida/_VozIdavi/Common/EBUEnvelope.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/Util.h>

#include <MTools/QByteArrayExtensions.h>
#include <MTools/TimeStamp.h>

#include <QDebug>

#include <cmath>
#include <cstring>

namespace ZADovuzIdida {

namespace {

const int kStagingValues = 2048;

// |v| clipped to [0, 1], NaN as 0, times the format's full scale, truncated.
int peakValue(float v, float fullScale)
{
    float magnitude = std::fabs(v);
    if (!(magnitude <= 1.0f))
        magnitude = std::isnan(magnitude) ? 0.0f : 1.0f;
    return static_cast<int>(magnitude * fullScale);
}

} // namespace

EBUEnvelope::EBUEnvelope() : m_strTimeStamp(28, QLatin1Char(' '))
{
    std::memset(m_achReserved, 0, sizeof(m_achReserved));
}

void EBUEnvelope::setTimeStamp(const QString& text)
{
    m_strTimeStamp = text.left(28).leftJustified(28, QLatin1Char(' '));
}

quint64 EBUEnvelope::chunkBytes(int peakChannels, qint64 numPeakFrames, int format)
{
    const quint64 bytesPerValue = format == EightBit ? 1 : 2;
    return 8 + HeaderSize + quint64(peakChannels) * quint64(numPeakFrames) * 2 * bytesPerValue;
}

bool EBUEnvelope::save(FILE* file, const PeakVector& peaks, const Format& format)
{
    if (format != EightBit && format != SixteenBit) {
        fprintf(stderr, "Unknown envelopes creation format\n");
        return false;
    }
    if (!file)
        return false;
    m_nVersion = 0;
    m_nNumPeakFrames = peaks.numPeakFrames();
    m_nPeakChannels = peaks.peakChannels();
    m_nFormat = format;
    m_nPointsPerValue = 2;
    m_nOffsetToPeaks = 128;
    m_nChunkSize = int(chunkBytes(m_nPeakChannels, m_nNumPeakFrames, format) - 8);

    QByteArray stamp = MTools::createTimeStamp().toLatin1().left(23);
    stamp.append(QByteArray(28 - stamp.size(), '\0'));
    const bool bHeader = fwrite("levl", 1, 4, file) == 4 && FileUtil::writeL(unsigned(m_nChunkSize), file, false) &&
                         FileUtil::writeL(unsigned(m_nVersion), file, false) &&
                         FileUtil::writeL(unsigned(m_nFormat), file, false) &&
                         FileUtil::writeL(unsigned(m_nPointsPerValue), file, false) &&
                         FileUtil::writeL(unsigned(m_nBlockSize), file, false) &&
                         FileUtil::writeL(unsigned(m_nPeakChannels), file, false) &&
                         FileUtil::writeL(unsigned(m_nNumPeakFrames), file, false) &&
                         FileUtil::writeL(unsigned(m_nPosPeakOfPeaks), file, false) &&
                         FileUtil::writeL(unsigned(m_nOffsetToPeaks), file, false) &&
                         fwrite(stamp.constData(), 1, 28, file) == 28 && fwrite(m_achReserved, 1, 60, file) == 60;
    if (!bHeader) {
        fprintf(stderr, "EBUEnvelope::save: header writing error\n");
        return false;
    }

    const float fullScale = format == EightBit ? 255.0f : 65535.0f;
    const int bytesPerValue = format == EightBit ? 1 : 2;
    int values[kStagingValues];
    char bytes[kStagingValues * 2];
    int staged = 0;
    bool bOk = true;
    auto flush = [&]() {
        if (staged == 0)
            return;
        if (format == EightBit)
            Util::convert8UToRaw(values, bytes, staged);
        else
            Util::convert16ToRaw(values, bytes, staged * 2, true);
        const size_t count = size_t(staged) * bytesPerValue;
        if (fwrite(bytes, 1, count, file) != count) {
            fprintf(stderr, "EBUEnvelope::save: error while writing the peak data\n");
            bOk = false;
        }
        staged = 0;
    };
    for (int x = 0; x < m_nNumPeakFrames; ++x) {
        for (int ch = 0; ch < m_nPeakChannels; ++ch) {
            const PeakInfo& peak = peaks.peakInfo(x, ch);
            values[staged++] = peakValue(peak.min, fullScale);
            values[staged++] = peakValue(peak.max, fullScale);
            if (staged == kStagingValues)
                flush();
        }
    }
    flush();
    return bOk;
}

bool EBUEnvelope::save(const char* path, const PeakVector& peaks, const Format& format)
{
    FILE* file = fopen(path, "wb");
    if (!file) {
        fprintf(stderr, "EBUEnvelope::save: file create error\n");
        return false;
    }
    const bool bSaved = save(file, peaks, format);
    return (fclose(file) == 0) && bSaved;
}

bool EBUEnvelope::initFromHeader(FILE* file)
{
    if (!file)
        return false;
    m_nVersion = int(FileUtil::readL(file, false));
    m_nFormat = int(FileUtil::readL(file, false));
    m_nPointsPerValue = int(FileUtil::readL(file, false));
    m_nBlockSize = int(FileUtil::readL(file, false));
    m_nPeakChannels = int(FileUtil::readL(file, false));
    m_nNumPeakFrames = int(FileUtil::readL(file, false));
    m_nPosPeakOfPeaks = int(FileUtil::readL(file, false));
    m_nOffsetToPeaks = int(FileUtil::readL(file, false));
    char stamp[28] = {};
    const size_t got = fread(stamp, 1, sizeof(stamp), file);
    setTimeStamp(MTools::QByteArrayExtensions::arrToString(stamp, int(got)));
    char reserved[60];
    const bool bComplete = got == sizeof(stamp) && fread(reserved, 1, sizeof(reserved), file) == sizeof(reserved);
    return bComplete && !ferror(file);
}

bool EBUEnvelope::load(const char* path, PeakVector& peaks)
{
    Q_UNUSED(peaks);
    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "EBUEnvelope:load: file open error\n");
        return false;
    }
    char id[4];
    if (fread(id, 1, 4, file) == 4 && std::memcmp(id, "levl", 4) == 0)
        setChunkSize(int(FileUtil::readL(file, false) & 0x7FFFFFFF));
    else
        rewind(file);
    const bool bRead = initFromHeader(file);
    fclose(file);
    return bRead;
}

void EBUEnvelope::dump() const
{
    qDebug() << "----- EBU Envelope Begin ------";
    qDebug() << "Version = " << m_nVersion;
    qDebug() << "Format = " << m_nFormat;
    qDebug() << "PointsPerValue = " << m_nPointsPerValue;
    qDebug() << "BlockSize = " << m_nBlockSize;
    qDebug() << "PeakChannels = " << m_nPeakChannels;
    qDebug() << "NumPeakFrames = " << m_nNumPeakFrames;
    qDebug() << "PosPeakOfPeaks = " << m_nPosPeakOfPeaks;
    qDebug() << "OffsetToPeaks = " << m_nOffsetToPeaks;
    qDebug() << "ChunkSize = " << m_nChunkSize;
    qDebug() << "TimeStamp = " << m_strTimeStamp;
    qDebug() << "----- EBU Envelope End ------";
}

} // namespace ZADovuzIdida
