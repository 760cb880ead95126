#include <ZADovuzIdida/_VozIdavi/Input/FileInput.h>

#include <MTools/FrameCount.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>
#include <ZADovuzIdida/_VozIdavi/Common/Util.h>
#include <ZADovuzIdida/_VozIdavi/Input/LTCDecoder.h>

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZADovuzIdida {

std::list<FileInput*> FileInput::sm_filesInUse;
QString FileInput::sm_strTempPath;

namespace {

QString pathHash(const QString& path)
{
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex());
}

bool earlier(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

} // namespace

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

bool FileInput::isReadableLayout(double sampleRate, int channels, int bitsPerSample)
{
    const bool bBits = bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 || bitsPerSample == 32;
    return bBits && channels >= 1 && channels <= MaxChannels && std::isfinite(sampleRate) && sampleRate >= 1.0 &&
           sampleRate <= MaxSampleRate;
}

QString FileInput::absolutePath(const char* path) { return QFileInfo(QString::fromLocal8Bit(path)).absoluteFilePath(); }

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
    resetState();
    if (!open(path))
        return false;
    m_fileInfo = fileInfo();
    m_nDataEnd = qint64(m_fileInfo.dataOffset() + m_fileInfo.dataSize() + 8);
    m_fileInfo.setURL(QUrl(QString::fromLocal8Bit(path)));
    m_strPath = absolutePath(path);
    return true;
}

void FileInput::resetState()
{
    setSettings(AudioIO().settings());
    m_fileInfo = FileInfo();
    m_fileInfo.setURL(QUrl());
    m_ebuInfo = MTools::Handle<EBUInfo>();
    m_ebuEnvelope = MTools::Handle<EBUEnvelope>();
    m_ltcDecoder = MTools::Handle<LTCDecoder>();
    m_peakVector = MTools::Handle<PeakVector>(new PeakVector());
    m_peakResult = PeakInfo();
    m_peakCache.reset();
    m_nDataEnd = 0;
    m_nLastPosition = 0;
    m_strPath.clear();
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

int FileInput::seek(qint64 bytes)
{
    if (!m_pFile)
        return -1;
    return fseeko(m_pFile, off_t(bytes) + off_t(m_fileInfo.dataOffset() + 8), SEEK_SET);
}

qint64 FileInput::tell()
{
    if (!m_pFile)
        return -1;
    return qint64(ftello(m_pFile) - off_t(m_fileInfo.dataOffset()) - 8);
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

int FileInput::gotoFrame(const qint64& frame, const int& channels)
{
    return seek(frame * channels * (bitsPerSample() / 8));
}

int FileInput::gotoFrame(const qint64& frame) { return gotoFrame(frame, channels()); }

int FileInput::readFrames(float* out, const int& n, const int& channels) { return read(out, n * channels) / channels; }

int FileInput::readFrames(const qint64& frame, float* out, const int& n, const int& channels)
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
    return readFrames(qint64(frame), buffer->data(), buffer->frames(), buffer->frameSize());
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
    const int nChannels = channels();
    if (nChannels < 1)
        return;
    // Each block is read once for all channels; the peak of peaks is the first position of the largest
    // magnitude in the lowest channel that holds it.
    std::vector<float> block(size_t(m_nBlockSize) * size_t(nChannels), 0.0f);
    std::vector<float> largest(size_t(nChannels), 0.0f);
    std::vector<qint64> where(size_t(nChannels), 0);
    seek(0);
    qint64 nFrame = 0;
    int k;
    while ((k = readFrames(block.data(), m_nBlockSize, nChannels)) > 0) {
        for (int c = 0; c < nChannels; ++c) {
            float fMin = 0.0f;
            float fMax = 0.0f;
            for (int i = 0; i < k; ++i) {
                const float s = block[size_t(i) * size_t(nChannels) + size_t(c)];
                fMin = std::min(fMin, s);
                fMax = std::max(fMax, s);
                if (std::fabs(s) > largest[size_t(c)]) {
                    largest[size_t(c)] = std::fabs(s);
                    where[size_t(c)] = nFrame + i;
                }
            }
            m_peakVector->addPeak(fMin, fMax, c);
        }
        nFrame += k;
    }
    float fLargest = 0.0f;
    for (int c = 0; c < nChannels; ++c) {
        if (largest[size_t(c)] > fLargest) {
            fLargest = largest[size_t(c)];
            m_ebuEnvelope->setPosPeakOfPeaks(int(std::min<qint64>(where[size_t(c)], INT_MAX)));
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
    // The cache lives only in a folder of this user's that no one else can enter.
    const bool bCache = !tempPath().isEmpty() && makePrivateFolder(tempPath() + QLatin1Char('/') + m_strEnvelopeFolder);
    const QString strLocation = envelopeLocation();
    if (bCache && loadCachedEnvelope(strLocation))
        return;
    buildPeakVectorFromAudioData();
    seek(0);
    if (bCache)
        saveCachedEnvelope(strLocation);
}

bool FileInput::loadCachedEnvelope(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat side;
    struct stat audio;
    const bool bFresh = fstat(fd, &side) == 0 && S_ISREG(side.st_mode) &&
                        stat(QFile::encodeName(m_strPath).constData(), &audio) == 0 &&
                        !earlier(side.st_mtim, audio.st_mtim);
    FILE* file = fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return false;
    }
    if (bFresh)
        readEnvelope(file);
    fclose(file);
    // A side file of another shape than the audio is not used.
    const int nChannels = channels();
    const qint64 nFrames = nChannels > 0 ? qint64(fileInfo().numSamples()) / nChannels : 0;
    const qint64 nPeaks = (nFrames + m_nBlockSize - 1) / m_nBlockSize;
    if (bFresh && m_ebuEnvelope->blockSize() == m_nBlockSize && m_peakVector->peakChannels() == nChannels &&
        m_peakVector->numPeakFrames() == nPeaks)
        return true;
    m_peakVector->clear();
    m_ebuEnvelope = MTools::Handle<EBUEnvelope>(new EBUEnvelope());
    return false;
}

void FileInput::saveCachedEnvelope(const QString& path)
{
    // Only a regular file is replaced; anything else planted there is removed first.
    struct stat entry;
    const QByteArray baPath = QFile::encodeName(path);
    if (lstat(baPath.constData(), &entry) == 0 && !S_ISREG(entry.st_mode))
        unlink(baPath.constData());
    saveEnvelope(baPath.constData(), EBUEnvelope::EightBit);
}

bool FileInput::makePrivateFolder(const QString& path)
{
    // Missing folders are made with mode 0700, the last one included.
    const QString strClean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString strCurrent;
    for (const QString& part : strClean.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        strCurrent += QLatin1Char('/') + part;
        if (::mkdir(QFile::encodeName(strCurrent).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    const QByteArray baPath = QFile::encodeName(strClean);
    struct stat info;
    if (lstat(baPath.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid())
        return false;
    return (info.st_mode & 077) == 0 || chmod(baPath.constData(), 0700) == 0;
}

void FileInput::saveEnvelope(const char* path, const EBUEnvelope::Format& format)
{
    if (m_peakVector->numPeakFrames() == 0)
        createPeakVector();
    // Written whole under a temporary name, then renamed over the target.
    char* bytes = nullptr;
    size_t nBytes = 0;
    FILE* memory = open_memstream(&bytes, &nBytes);
    if (!memory)
        return;
    const bool bMade = m_ebuEnvelope->save(memory, *m_peakVector, format);
    fclose(memory);
    QSaveFile file(QString::fromLocal8Bit(path));
    const bool bSaved = bMade && file.open(QIODevice::WriteOnly) &&
                        file.write(bytes, qint64(nBytes)) == qint64(nBytes) && file.commit();
    free(bytes);
    if (!bSaved)
        fprintf(stderr, "EBUEnvelope::save: file create error\n");
}

void FileInput::loadEnvelope(const char* path)
{
    m_ebuEnvelope = MTools::Handle<EBUEnvelope>(new EBUEnvelope());
    FILE* file = fopen(path, "r");
    if (!file) {
        fprintf(stderr, "EBUEnvelope:load: file open error\n");
        return;
    }
    readEnvelope(file);
    fclose(file);
}

void FileInput::readEnvelope(FILE* file)
{
    Chunk chunk;
    if (fread(&chunk, 8, 1, file) != 1)
        return;
    if (memcmp(chunk.id, "levl", 4) != 0) {
        qDebug() << "It is not a valid EBUEnvelope file";
        return;
    }
    m_ebuEnvelope->setChunkSize(int((chunk.size + 1) & ~1u));
    if (m_ebuEnvelope->initFromHeader(file))
        buildPeakVectorFromChunk(file, long(m_ebuEnvelope->offsetToPeaks()));
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
        gotoFrame(qint64(float(x) * zoom));
        return singleSample(ch);
    }
    if (zoom > 1.0f && zoom < fBlock) {
        if (const PeakInfo* cached = m_peakCache.find(x, ch, zoom)) {
            m_peakResult = *cached;
            return m_peakResult;
        }
        const int n = int(zoom);
        std::vector<float> samples(size_t(n), 0.0f);
        gotoFrame(qint64(float(x) * zoom));
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
        gotoFrame(qint64(x), channels());
        return singleSample(ch);
    }
    return peaks.peakInfo(x, ch);
}

QString FileInput::tempPath()
{
    return sm_strTempPath.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) : sm_strTempPath;
}

QString FileInput::envelopeLocation() const
{
    return tempPath() + QLatin1Char('/') + m_strEnvelopeFolder + QLatin1Char('/') + pathHash(m_strPath) +
           QStringLiteral(".bef");
}

QString FileInput::tempFilePath() { return tempPath() + QStringLiteral("/AudioTemp/"); }

QString FileInput::tempFilePathAndName() const
{
    makePrivateFolder(tempFilePath());
    return tempFilePath() + pathHash(m_strPath) + QLatin1Char('_') + QFileInfo(m_strPath).fileName();
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
    return std::isfinite(fFps) && fFps >= 1.0f ? fFps : Production::fps();
}

long long FileInput::timeReference() const { return m_ebuInfo.isNull() ? 0 : m_ebuInfo->timeReference(); }

QString FileInput::timecodeOfSamples(double samples) const
{
    const float fRate = timecodeRate();
    const float fSampleRate = float(sampleRate());
    long long nFrames = 0;
    if (fSampleRate != 0.0f) {
        // FrameCount reduces the count to one day; a count beyond 64 bits is reduced here first.
        double fFrames = std::trunc(double(fRate) * samples / double(fSampleRate));
        if (!(std::fabs(fFrames) < 9.0e18))
            fFrames = std::fmod(fFrames, double(fRate) * 86400.0);
        nFrames = std::isfinite(fFrames) ? static_cast<long long>(fFrames) : 0;
    }
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
    return timecodeOfSamples(double(sampleFrame) + double(timeReference()));
}

QString FileInput::timecode(const long long& sampleFrame) const { return timecodeOfSamples(double(sampleFrame)); }

QString FileInput::scene() const { return m_ebuInfo.isNull() ? QString() : m_ebuInfo->scene(); }

QString FileInput::take() const { return m_ebuInfo.isNull() ? QString() : m_ebuInfo->take(); }

LTCDecoder& FileInput::ltcDecoder()
{
    if (m_ltcDecoder.isNull())
        m_ltcDecoder = MTools::Handle<LTCDecoder>(new LTCDecoder(this));
    return *m_ltcDecoder;
}

int FileInput::createLTCData(const int& ch)
{
    LTCDecoder& decoder = ltcDecoder();
    const int nTrack = ch >= 0 ? ch : decoder.getLTCTrack();
    if (nTrack < 0)
        return -1;
    decoder.process(nTrack);
    return 0;
}

LTCData FileInput::getLTC(const qint64& audioFrame) const
{
    return m_ltcDecoder.isNull() ? LTCData(-1, QString(), 30.0f) : m_ltcDecoder->getLTC(audioFrame);
}

int FileInput::getAudioFrameLTC(int h, int m, int s, int f) const
{
    return m_ltcDecoder.isNull() ? -1 : m_ltcDecoder->getAudioFrame(h, m, s, f);
}

int FileInput::getAudioFrameLTC(const QString& timecode) const
{
    const QStringList parts = timecode.split(QLatin1Char(':'));
    if (m_ltcDecoder.isNull() || parts.size() < 4)
        return -1;
    const auto number = [&parts](int i) { return atoi(parts.at(i).toLocal8Bit().constData()); };
    return getAudioFrameLTC(number(0), number(1), number(2), number(3));
}

bool FileInput::isLTCDataAvailable() { return ltcDecoder().isLTCDataAvailable(); }

int FileInput::getLTCTrack() { return ltcDecoder().getLTCTrack(); }

QString FileInput::ltcTimeCode(const qint64& audioFrame, bool userBits)
{
    return getLTC(audioFrame).timecode(timecodeRate(), userBits);
}

float FileInput::ltcFps() { return ltcDecoder().ltcFps(); }

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
    if (!m_ltcDecoder.isNull())
        m_ltcDecoder->dump();
    qDebug() << "----------- TimeCode Begin ----------";
    qDebug().nospace() << "FPS=" << fps();
    qDebug().nospace().noquote() << "START=" << start();
    qDebug().nospace().noquote() << "END=" << end();
    qDebug().nospace().noquote() << "DURATION=" << duration();
    qDebug() << "----------- TimeCode End ----------";
    qDebug() << "========== Input Info End =========";
}

} // namespace ZADovuzIdida
