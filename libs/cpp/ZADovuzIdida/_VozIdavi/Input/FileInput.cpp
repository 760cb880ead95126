#include <ZADovuzIdida/_VozIdavi/Input/FileInput.h>

#include <MTools/FrameCount.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>
#include <ZADovuzIdida/_VozIdavi/Common/Util.h>

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <vector>

#include <sys/stat.h>

namespace ZADovuzIdida {

std::list<FileInput*> FileInput::sm_filesInUse;
QString FileInput::sm_strTempPath = QStringLiteral("/tmp");

FileInput::FileInput()
    : m_peakVector(new PeakVector()), m_peakCache(6000), m_strEnvelopeFolder(QStringLiteral("Envelopes"))
{
    sm_filesInUse.push_back(this);
}

FileInput::~FileInput()
{
    close();
    sm_filesInUse.remove(this);
}

bool FileInput::hasSupportedExtention(const char* path)
{
    const QString strPath = QString::fromLocal8Bit(path);
    const QStringList parts = extentions().toLower().split(QLatin1Char(' '));
    for (const QString& part : parts) {
        if (strPath.endsWith(part, Qt::CaseSensitive))
            return true;
    }
    return false;
}

bool FileInput::load(const char* path, bool force)
{
    if (!force && !hasSupportedExtention(path))
        return false;
    const QFileInfo info(QString::fromLocal8Bit(path));
    if (!info.isFile() || info.size() < 40)
        return false;
    if (m_pFile)
        close();
    if (!open(path))
        return false;
    m_fileInfo = fileInfo();
    m_nDataEnd = qint64(m_fileInfo.dataOffset() + m_fileInfo.dataSize() + 8);
    m_fileInfo.setURL(QUrl(QString::fromLocal8Bit(path)));
    return true;
}

int FileInput::readChunk(Chunk* chunk, int swap)
{
    if (!m_pFile)
        return -1;
    const int nItems = int(fread(chunk, 8, 1, m_pFile));
    if (swap && nItems == 1)
        chunk->size = FileUtil::swapL(chunk->size);
    return nItems;
}

int FileInput::readID(void* out)
{
    if (!m_pFile)
        return -1;
    return int(fread(out, 4, 1, m_pFile));
}

int FileInput::close()
{
    if (!m_pFile)
        return 0;
    const int nResult = fclose(m_pFile);
    m_pFile = nullptr;
    return nResult;
}

int FileInput::rewind()
{
    if (!m_pFile)
        return -1;
    return fseeko(m_pFile, off_t(m_fileInfo.dataOffset() + 8), SEEK_SET);
}

int FileInput::seek(int bytes)
{
    if (!m_pFile)
        return -1;
    return fseeko(m_pFile, off_t(bytes) + off_t(m_fileInfo.dataOffset() + 8), SEEK_SET);
}

int FileInput::tell()
{
    if (!m_pFile)
        return -1;
    return int(ftello(m_pFile) - off_t(m_fileInfo.dataOffset()) - 8);
}

int FileInput::flush()
{
    if (!m_pFile)
        return -1;
    return fflush(m_pFile);
}

qint64 FileInput::position() const
{
    if (!m_pFile)
        return -1;
    return qint64(ftello(m_pFile));
}

int FileInput::gotoFrame(const int& frame, const int& channels)
{
    return seek(frame * channels * (bitsPerSample() / 8));
}

int FileInput::gotoFrame(const int& frame) { return gotoFrame(frame, channels()); }

int FileInput::readFrames(float* out, const int& n, const int& channels) { return read(out, n * channels) / channels; }

int FileInput::readFrames(const int& frame, float* out, const int& n, const int& channels)
{
    gotoFrame(frame, channels);
    return readFrames(out, n, channels);
}

int FileInput::read(MTools::Handle<RawBuffer> buffer) { return read(buffer->data(), buffer->size()); }

int FileInput::read(MTools::Handle<AudioFloatBuffer> buffer)
{
    return read(buffer->data(), buffer->size()) / buffer->frameSize();
}

int FileInput::read(MTools::Handle<AudioFloatBuffer> buffer, unsigned long frame)
{
    return readFrames(int(frame), buffer->data(), buffer->frames(), buffer->frameSize());
}

int FileInput::read(char* data, int n)
{
    if (!m_pFile)
        return 0;
    const qint64 nBefore = position();
    qint64 nCount = 0;
    if (m_nDataEnd > nBefore && n > 0) {
        nCount = qint64(fread(data, 1, size_t(n), m_pFile));
        if (position() > m_nDataEnd)
            nCount = m_nDataEnd - nBefore;
    }
    m_nLastPosition = position();
    return nCount < 0 ? 0 : int(nCount);
}

int FileInput::read(float* out, int n)
{
    const int nBits = bitsPerSample();
    const int nBytes = nBits / 8;
    if (nBytes < 1 || n < 1)
        return 0;
    const short nFmt = settings().fmt();
    std::vector<int> ints(size_t(n), 0);
    std::vector<char> raw(size_t(n) * size_t(nBytes), 0);
    const int nRead = read(raw.data(), n * nBytes);
    switch (nBits) {
    case 8:
        Util::convertRawTo8U(raw.data(), ints.data(), n);
        if (nFmt == 8)
            Util::convert8UToFloat(ints.data(), out, n);
        else
            Util::convert8ToFloat(ints.data(), out, n);
        break;
    case 16:
        Util::convertRawTo16U(raw.data(), ints.data(), n, nFmt == 16 || nFmt == 128);
        if (nFmt == 128 || nFmt == 256)
            Util::convert16UToFloat(ints.data(), out, n);
        else
            Util::convert16ToFloat(ints.data(), out, n);
        break;
    case 24:
        Util::convertRawTo24U(raw.data(), ints.data(), n, nFmt != 4096);
        Util::convert24ToFloat(ints.data(), out, n);
        break;
    case 32:
        Util::convertRawTo32U(raw.data(), ints.data(), n, nFmt == 16 || nFmt == 128);
        if (nFmt == 128 || nFmt == 256)
            Util::convert32UToFloat(ints.data(), out, n);
        else
            Util::convert32ToFloat(ints.data(), out, n);
        break;
    default:
        fprintf(stderr, "FileInput::read() Error: %dbits data format is not supported\n", nBits);
        return 0;
    }
    return nRead / nBytes;
}

int FileInput::readChannel(float* out, int frames, int ch)
{
    const int nChannels = channels();
    if (ch < 0 || ch >= nChannels)
        return -1;
    if (frames < 1)
        return 0;
    std::vector<float> samples(size_t(frames) * size_t(nChannels), 0.0f);
    const int nRead = read(samples.data(), frames * nChannels);
    for (int i = 0; i < frames; ++i)
        out[i] = samples[size_t(i) * size_t(nChannels) + size_t(ch)];
    return nRead / nChannels;
}

void FileInput::buildPeakVectorFromAudioData()
{
    m_peakVector->clear();
    m_ebuEnvelope->setBlockSize(m_nBlockSize);
    float fLargest = 0.0f;
    std::vector<float> block(size_t(m_nBlockSize), 0.0f);
    for (int c = 0; c < channels(); ++c) {
        seek(0);
        int nIndex = 0;
        int k;
        while ((k = readChannel(block.data(), m_nBlockSize, c)) > 0) {
            float fMin = 0.0f;
            float fMax = 0.0f;
            for (int i = 0; i < k; ++i, ++nIndex) {
                const float s = block[size_t(i)];
                if (s < fMin)
                    fMin = s;
                if (s > fMax)
                    fMax = s;
                if (std::fabs(s) > fLargest) {
                    fLargest = std::fabs(s);
                    m_ebuEnvelope->setPosPeakOfPeaks(nIndex);
                }
            }
            m_peakVector->addPeak(fMin, fMax, c);
        }
    }
}

void FileInput::buildPeakVectorFromChunk(FILE* file, const long& offset)
{
    const int nChannels = m_ebuEnvelope->peakChannels();
    const int nFrames = m_ebuEnvelope->numPeakFrames();
    const int nFormat = m_ebuEnvelope->format();
    if (nFormat != 1 && nFormat != 2) {
        fprintf(stderr, "FileInput::buildPeakVector() Error: Unknown EBU Envelope format\n");
        return;
    }
    if (!file || nChannels < 1 || nFrames < 1)
        return;
    const size_t nValues = 2 * size_t(nChannels) * size_t(nFrames);
    // A header that claims more peaks than the file holds is not believed.
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || offset < 0 ||
        quint64(nFormat) * nValues > quint64(info.st_size) - quint64(std::min<qint64>(offset, info.st_size)))
        return;
    std::vector<char> raw(size_t(nFormat) * nValues, 0);
    std::vector<int> values(nValues, 0);
    fseeko(file, off_t(offset), SEEK_SET);
    const size_t nRead = fread(raw.data(), 1, raw.size(), file);
    if (nRead < raw.size())
        return;
    float fScale;
    if (nFormat == 2) {
        Util::convertRawTo16U(raw.data(), values.data(), int(nValues), true);
        fScale = 65535.0f;
    } else {
        Util::convertRawTo8U(raw.data(), values.data(), int(nValues));
        fScale = 255.0f;
    }
    m_peakVector->clear();
    size_t i = 0;
    for (int p = 0; p < nFrames; ++p) {
        for (int c = 0; c < nChannels; ++c, i += 2)
            m_peakVector->addPeak(-(float(values[i]) / fScale), float(values[i + 1]) / fScale, c);
    }
}

void FileInput::createPeakVector()
{
    if (!m_ebuEnvelope.isNull()) {
        const FileInfo& info = fileInfo();
        const quint64 nDataSize = (info.dataSize() + 1) & ~quint64(1);
        const long nOffset = long(info.dataOffset() + nDataSize + 8 + quint64(m_ebuEnvelope->offsetToPeaks()));
        buildPeakVectorFromChunk(filePointer(), nOffset);
        seek(0);
        return;
    }
    m_ebuEnvelope = MTools::Handle<EBUEnvelope>(new EBUEnvelope());
    const QString strLocation = envelopeLocation();
    if (QFileInfo(strLocation).isFile()) {
        loadEnvelope(strLocation.toLocal8Bit().constData());
        return;
    }
    buildPeakVectorFromAudioData();
    seek(0);
    QDir().mkdir(sm_strTempPath + QLatin1Char('/') + m_strEnvelopeFolder);
    saveEnvelope(strLocation.toLocal8Bit().constData(), EBUEnvelope::EightBit);
}

void FileInput::saveEnvelope(const char* path, const EBUEnvelope::Format& format)
{
    if (m_peakVector->numPeakFrames() == 0)
        createPeakVector();
    m_ebuEnvelope->save(path, *m_peakVector, format);
}

void FileInput::loadEnvelope(const char* path)
{
    m_ebuEnvelope = MTools::Handle<EBUEnvelope>(new EBUEnvelope());
    FILE* file = fopen(path, "r");
    if (!file) {
        fprintf(stderr, "EBUEnvelope:load: file open error\n");
        return;
    }
    Chunk chunk;
    if (fread(&chunk, 8, 1, file) == 1) {
        if (memcmp(chunk.id, "levl", 4) != 0) {
            qDebug() << "It is not a valid EBUEnvelope file";
        } else {
            m_ebuEnvelope->setChunkSize(int((chunk.size + 1) & ~1u));
            if (m_ebuEnvelope->initFromHeader(file))
                buildPeakVectorFromChunk(file, long(m_ebuEnvelope->offsetToPeaks()));
        }
    }
    fclose(file);
}

void FileInput::saveEbuInfo(const char* path)
{
    if (!m_ebuInfo.isNull())
        m_ebuInfo->save(path);
}

void FileInput::loadEbuInfo(const char* path)
{
    if (m_ebuInfo.isNull())
        m_ebuInfo = MTools::Handle<EBUInfo>(new EBUInfo());
    m_ebuInfo->load(path);
}

const PeakInfo& FileInput::singleSample(int ch)
{
    float s = 0.0f;
    m_peakResult = PeakInfo();
    if (readChannel(&s, 1, ch) > 0)
        m_peakResult.min = s;
    return m_peakResult;
}

const PeakInfo& FileInput::peakInfo(int x, int ch, float zoom)
{
    if (m_peakVector->isEmpty())
        createPeakVector();
    const float fBlock = float(m_nBlockSize);
    const PeakVector& peaks = *m_peakVector;
    if (zoom > fBlock)
        return peaks.peakInfo(int((zoom / fBlock) * float(x)), ch);
    if (zoom < 1.0f) {
        gotoFrame(int(float(x) * zoom));
        return singleSample(ch);
    }
    if (zoom > 1.0f && zoom < fBlock) {
        if (const PeakInfo* cached = m_peakCache.find(x, ch, zoom)) {
            m_peakResult = *cached;
            return m_peakResult;
        }
        const int n = int(zoom);
        std::vector<float> samples(size_t(n), 0.0f);
        gotoFrame(int(float(x) * zoom));
        const int nRead = readChannel(samples.data(), n, ch);
        PeakInfo result;
        for (int i = 0; i < nRead; ++i) {
            result.min = std::min(result.min, samples[size_t(i)]);
            result.max = std::max(result.max, samples[size_t(i)]);
        }
        m_peakResult = result;
        m_peakCache.insert(x, ch, zoom, result);
        return m_peakResult;
    }
    if (zoom == 1.0f) {
        gotoFrame(x, channels());
        return singleSample(ch);
    }
    return peaks.peakInfo(x, ch);
}

QString FileInput::envelopeLocation() const
{
    QString strPath = fileInfo().url().path(QUrl::FullyDecoded);
    strPath.replace(QLatin1Char('.'), QLatin1Char('_'))
        .replace(QLatin1Char('/'), QLatin1Char('_'))
        .replace(QLatin1Char(':'), QLatin1Char('_'));
    return sm_strTempPath + QLatin1Char('/') + m_strEnvelopeFolder + QLatin1Char('/') + strPath +
           QStringLiteral(".bef");
}

QString FileInput::tempFilePath() { return sm_strTempPath + QStringLiteral("/AudioTemp/"); }

QString FileInput::tempFilePathAndName() const
{
    QString strPath = fileInfo().url().path(QUrl::FullyDecoded);
    strPath.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char(':'), QLatin1Char('_'));
    QDir().mkdir(tempFilePath());
    return tempFilePath() + strPath;
}

float FileInput::fps() const { return m_ebuInfo.isNull() ? 0.0f : m_ebuInfo->fps(); }

float FileInput::calculateZoom(int width) const
{
    return float(fileInfo().numSamples()) / float(channels()) / float(width);
}

float FileInput::timecodeRate() const
{
    // A chunk read from a file carries no rate (-1): fall back to the production rate then too.
    const float fFps = fps();
    return int(fFps) > 0 ? fFps : Production::fps();
}

long long FileInput::timeReference() const { return m_ebuInfo.isNull() ? 0 : m_ebuInfo->timeReference(); }

QString FileInput::timecodeOfSamples(double samples) const
{
    const float fRate = timecodeRate();
    const float fSampleRate = float(sampleRate());
    int nFrames = 0;
    if (fSampleRate != 0.0f)
        nFrames = int(std::trunc(double(fRate) * samples / double(fSampleRate)));
    return MTools::FrameCount(nFrames, fRate).timecodeFromFrameCount(false, false, 0, false);
}

QString FileInput::duration() const
{
    return timecodeOfSamples(std::trunc(float(fileInfo().numSamples()) / float(channels())));
}

QString FileInput::start() const { return timecodeOfSamples(double(timeReference())); }

QString FileInput::end() const
{
    return timecodeOfSamples(double(timeReference()) + std::trunc(float(fileInfo().numSamples()) / float(channels())));
}

QString FileInput::absoluteTimecode(const long long& sampleFrame) const
{
    return timecodeOfSamples(double(sampleFrame + timeReference()));
}

QString FileInput::timecode(const long long& sampleFrame) const { return timecodeOfSamples(double(sampleFrame)); }

QString FileInput::scene() const { return m_ebuInfo.isNull() ? QString() : m_ebuInfo->scene(); }

QString FileInput::take() const { return m_ebuInfo.isNull() ? QString() : m_ebuInfo->take(); }

void FileInput::dump() const
{
    qDebug() << "========== Input Info Begin =========";
    qDebug().nospace() << "File Pointer = " << static_cast<const void*>(m_pFile);
    BaseInput::dump();
    m_fileInfo.dump();
    if (!m_ebuInfo.isNull())
        m_ebuInfo->dump();
    if (!m_ebuEnvelope.isNull())
        m_ebuEnvelope->dump();
    qDebug() << "----------- TimeCode Begin ----------";
    qDebug().nospace() << "FPS=" << fps();
    qDebug().nospace().noquote() << "START=" << start();
    qDebug().nospace().noquote() << "END=" << end();
    qDebug().nospace().noquote() << "DURATION=" << duration();
    qDebug() << "----------- TimeCode End ----------";
    qDebug() << "========== Input Info End =========";
}

} // namespace ZADovuzIdida
