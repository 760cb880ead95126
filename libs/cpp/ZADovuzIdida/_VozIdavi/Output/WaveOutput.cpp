#include <ZADovuzIdida/_VozIdavi/Output/WaveOutput.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>
#include <ZADovuzIdida/_VozIdavi/Common/SampleRange.h>
#include <ZADovuzIdida/_VozIdavi/Common/Util.h>

#include <MTools/FrameCount.h>

#include <QDebug>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZADovuzIdida {

namespace {

// Samples converted and written per step, so memory stays flat for any block size.
const int kStepSamples = 32768;

short fmtForBits(short bits)
{
    switch (bits) {
    case 32:
    case 16:
        return 16;
    case 24:
        return 2048;
    default:
        return 8;
    }
}

quint64 roundUpEven(quint64 n) { return n + (n & 1); }

} // namespace

WaveOutput::WaveOutput(const char* path, const Settings& settings, const QString& comment,
                       MTools::Handle<EBUInfo> ebuInfo, bool makeEbuInfo)
    : FileOutput(path, settings, comment, ebuInfo, makeEbuInfo)
{
    if (m_hEbuInfo.isNull() && makeEbuInfo)
        m_hEbuInfo = MTools::Handle<EBUInfo>(new EBUInfo);
    if (makeEbuInfo)
        m_hEbuInfo->fill(m_fileInfo.url().toLocalFile(), int(settings.sampleRate()), settings.bitsPerSample(),
                         settings.channels());
    Settings derived = this->settings();
    derived.setFmt(fmtForBits(derived.bitsPerSample()));
    setSettings(derived);
    if (!create(path))
        qDebug() << "Can not create the ouput file: " << QString::fromLocal8Bit(path);
}

WaveOutput::~WaveOutput()
{
    if (isOpen())
        close();
}

int WaveOutput::storedBytesPerSample(const Settings& settings)
{
    int bytes = 0;
    if (settings.fmt() == 32 && settings.bitsPerSample() == 32)
        bytes = 4;
    else if (settings.fmt() == 8 && settings.bitsPerSample() == 8)
        bytes = 1;
    else if (settings.fmt() == 16 && (settings.bitsPerSample() == 16 || settings.bitsPerSample() == 32))
        bytes = settings.bitsPerSample() / 8;
    else if (settings.fmt() == 2048 && settings.bitsPerSample() == 24)
        bytes = 3;
    if (settings.channels() < 1 || settings.sampleRate() < 1 || bytes * settings.channels() > 0xFFFF)
        return 0;
    return bytes;
}

void WaveOutput::reportUnsupported()
{
    fprintf(stderr, "WaveOutput::write() Error: the following settings are not supported;\n");
    settings().dump();
    fail(QStringLiteral("unsupported settings: %1 Hz, %2 channels, format %3, %4 bits")
             .arg(settings().sampleRate())
             .arg(settings().channels())
             .arg(settings().fmt())
             .arg(settings().bitsPerSample()));
}

FILE* WaveOutput::openEmptied(const char* path)
{
    // A file found empty, as a claimed name is, is not truncated: ext4 pushes a truncated file's data to the disk as
    // it is closed, which for a long intermediate costs a wait at the close and disk traffic during the encode.
    const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || (info.st_size > 0 && ftruncate(fd, 0) != 0)) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (!file)
        ::close(fd);
    return file;
}

bool WaveOutput::create(const char* path)
{
    if (isOpen())
        return false;
    clearFailure();
    m_baPath = QByteArray(path);
    m_fileInfo.setURL(QUrl::fromLocalFile(QFile::decodeName(m_baPath)));
    m_fileInfo.setDataSize(0);
    m_peaks.clear();
    m_vecChannelPeaks.assign(std::max<int>(settings().channels(), 0), ChannelPeakState());
    m_fPeakOfPeaks = 0.0f;
    m_hEnvelope->setPosPeakOfPeaks(0);

    if (storedBytesPerSample(settings()) == 0) {
        reportUnsupported();
        return false;
    }
    m_pFile = openEmptied(path);
    if (!m_pFile) {
        const int error = errno;
        fprintf(stderr, "WaveOutput: create error of the %s\n", path);
        fail(qt_error_string(error));
        return false;
    }
    if (!writeHeader(m_baPath)) {
        fclose(m_pFile);
        m_pFile = nullptr;
        return false;
    }
    return true;
}

bool WaveOutput::writeHeader(const QByteArray& path)
{
    FILE* f = m_pFile;
    if (fwrite("RIFF", 1, 4, f) != 4) {
        const int error = errno;
        fprintf(stderr, "WaveOutput: write error of the %s\n", path.constData());
        fail(qt_error_string(error));
        return false;
    }
    bool bOk = true;
    m_fileInfo.setSizeOffset(quint64(ftello(f)));
    bOk = bOk && FileUtil::writeL(0, f, false) && fwrite("WAVE", 1, 4, f) == 4;
    quint64 fileSize = 4;
    if (bOk && !m_hEbuInfo.isNull()) {
        bOk = m_hEbuInfo->save(f);
        fileSize += 8 + roundUpEven(quint64(m_hEbuInfo->size()));
    }
    const QByteArray comment = m_fileInfo.comment().toLatin1();
    if (bOk && !comment.isEmpty()) {
        const unsigned c = unsigned(comment.size());
        const unsigned listSize = (c + 14) & ~1u;
        bOk = fwrite("LIST", 1, 4, f) == 4 && FileUtil::writeL(listSize, f, false) && fwrite("INFO", 1, 4, f) == 4 &&
              fwrite("ICMT", 1, 4, f) == 4 && FileUtil::writeL(c + 1, f, false) &&
              fwrite(comment.constData(), 1, c, f) == c && FileUtil::writeB(0, f) &&
              ((c + 1) % 2 == 0 || FileUtil::writeB(0, f));
        fileSize += 8 + listSize;
    }
    const Settings& s = settings();
    const unsigned blockAlign = unsigned(s.bitsPerSample() / 8) * unsigned(s.channels());
    bOk = bOk && fwrite("fmt ", 1, 4, f) == 4 && FileUtil::writeL(16, f, false) &&
          FileUtil::writeS(s.fmt() == 32 ? 3 : 1, f, false) &&
          FileUtil::writeS(static_cast<unsigned short>(s.channels()), f, false) &&
          FileUtil::writeL(s.sampleRate(), f, false) && FileUtil::writeL(s.sampleRate() * blockAlign, f, false) &&
          FileUtil::writeS(static_cast<unsigned short>(blockAlign), f, false) &&
          FileUtil::writeS(static_cast<unsigned short>(s.bitsPerSample()), f, false);
    fileSize += 24;
    bOk = bOk && fwrite("data", 1, 4, f) == 4;
    m_fileInfo.setDataOffset(quint64(ftello(f)));
    bOk = bOk && FileUtil::writeL(0, f, false);
    fileSize += 8;
    m_fileInfo.setFileSize(fileSize);
    if (!bOk)
        fail(qt_error_string(errno));
    return bOk;
}

bool WaveOutput::admit(quint64 n)
{
    const quint64 dataSize = m_fileInfo.dataSize() + n;
    const quint64 blockAlign =
        quint64(settings().bitsPerSample() / 8) * quint64(std::max<int>(settings().channels(), 1));
    const quint64 frames = blockAlign > 0 ? dataSize / blockAlign : dataSize;
    const quint64 peakFrames = frames / quint64(m_nBlockSize) + 1;
    const quint64 riffSize =
        m_fileInfo.fileSize() + roundUpEven(dataSize) +
        EBUEnvelope::chunkBytes(std::max<int>(settings().channels(), 1), qint64(peakFrames), m_envelopeFormat);
    if (riffSize <= riffSizeLimit())
        return true;
    fprintf(stderr, "WaveOutput: the file would pass 4 GiB, writing stopped: %s\n", m_baPath.constData());
    fail(QStringLiteral("the file would pass 4 GiB"));
    return false;
}

bool WaveOutput::write(char* bytes, int n)
{
    if (!isOpen() || n < 0 || !ok())
        return false;
    if (n == 0)
        return true;
    if (!admit(quint64(n)))
        return false;
    const size_t written = fwrite(bytes, 1, size_t(n), m_pFile);
    m_fileInfo.setDataSize(m_fileInfo.dataSize() + written);
    if (written != size_t(n)) {
        const int error = errno;
        fprintf(stderr, "WaveOutput: error writing\n");
        fail(qt_error_string(error));
        return false;
    }
    return true;
}

bool WaveOutput::write(float* samples, int n)
{
    if (!isOpen() || n < 0 || !ok())
        return false;
    const int bytesPerSample = storedBytesPerSample(settings());
    if (bytesPerSample == 0) {
        reportUnsupported();
        return false;
    }
    if (n == 0)
        return true;
    if (!admit(quint64(n) * quint64(bytesPerSample)))
        return false;
    addToPeaks(samples, n);

    const short fmt = settings().fmt();
    if (fmt == 32) {
        for (int offset = 0; offset < n; offset += kStepSamples) {
            const int count = std::min(kStepSamples, n - offset);
            if (!write(reinterpret_cast<char*>(samples + offset), count * 4))
                return false;
        }
        return true;
    }
    m_vecnSamples.resize(kStepSamples);
    m_vecchBytes.resize(size_t(kStepSamples) * 4);
    int* ints = m_vecnSamples.data();
    char* raw = m_vecchBytes.data();
    for (int offset = 0; offset < n; offset += kStepSamples) {
        const int count = std::min(kStepSamples, n - offset);
        const float* in = samples + offset;
        if (fmt == 8) {
            Util::convertFloatTo8U(in, ints, count);
            Util::convert8UToRaw(ints, raw, count);
        } else if (fmt == 2048) {
            Util::convertFloatTo24(in, ints, count);
            Util::convert24ToRaw(ints, raw, count * 3);
        } else if (bytesPerSample == 2) {
            // Straight to 16 bits, the common intermediate, without the ints between.
            m_vecshSamples.resize(kStepSamples);
            Util::convertFloatToShort16(in, m_vecshSamples.data(), count);
            qToLittleEndian<qint16>(m_vecshSamples.data(), count, raw);
        } else {
            Util::convertFloatTo32(in, ints, count);
            Util::convert32ToRaw(ints, raw, count * 4, true);
        }
        if (!write(raw, count * bytesPerSample))
            return false;
    }
    return true;
}

void WaveOutput::addToPeaks(float* samples, int n)
{
    const int channels = int(m_vecChannelPeaks.size());
    if (channels < 1 || n < 1)
        return;
    const int frames = n / channels;
    for (int c = 0; c < channels; ++c) {
        ChannelPeakState& s = m_vecChannelPeaks[c];
        // A run at a time, up to the end of the block it is in.
        for (int f = 0; f < frames;) {
            const int run = std::min(frames - f, m_nBlockSize - s.count);
            const float* first = samples + qint64(f) * channels + c;
            float lowest = 0.0f;
            float highest = 0.0f;
            SampleRange::widen(first, run, channels, &lowest, &highest);
            s.min = std::min(s.min, lowest);
            s.max = std::max(s.max, highest);
            const float runPeak = std::max(-lowest, highest);
            if (runPeak > m_fPeakOfPeaks) {
                // The first value that reaches it, as a value by value search would have kept.
                int at = 0;
                while (std::fabs(first[qint64(at) * channels]) != runPeak)
                    ++at;
                m_fPeakOfPeaks = runPeak;
                m_hEnvelope->setPosPeakOfPeaks(int(quint32(std::min<qint64>(s.position + at, 0xFFFFFFFFll))));
            }
            s.position += run;
            s.count += run;
            f += run;
            if (s.count == m_nBlockSize) {
                m_peaks.addPeak(s.min, s.max, c);
                s.count = 0;
                s.max = 0.0f;
                s.min = 0.0f;
            }
        }
    }
}

void WaveOutput::addLastPeak()
{
    for (int c = 0; c < int(m_vecChannelPeaks.size()); ++c)
        m_peaks.addPeak(m_vecChannelPeaks[c].min, m_vecChannelPeaks[c].max, c);
}

bool WaveOutput::close()
{
    if (!isOpen())
        return false;
    FILE* f = m_pFile;
    bool bOk = ok();
    const quint64 dataSize = m_fileInfo.dataSize();
    if (dataSize % 2 == 1)
        bOk = FileUtil::writeB(0, f) == 1 && bOk;
    addLastPeak();
    bOk = m_hEnvelope->save(f, m_peaks, m_envelopeFormat) && bOk;

    // The RIFF size follows what is on disk, so a failed step still leaves consistent sizes.
    bool bFinished = fflush(f) == 0;
    const off_t end = ftello(f);
    bFinished = bFinished && end >= 8;
    if (bFinished) {
        const quint64 riffSize = std::min<quint64>(quint64(end) - 8, 0xFFFFFFFFull);
        bFinished = fseeko(f, off_t(m_fileInfo.sizeOffset()), SEEK_SET) == 0 &&
                    FileUtil::writeL(unsigned(riffSize), f, false) &&
                    fseeko(f, off_t(m_fileInfo.dataOffset()), SEEK_SET) == 0 &&
                    FileUtil::writeL(unsigned(std::min<quint64>(dataSize, 0xFFFFFFFFull)), f, false) && fflush(f) == 0;
    }
    if (!bFinished || !bOk)
        fail(qt_error_string(errno));
    m_pFile = nullptr;
    if (fclose(f) != 0) {
        const int error = errno;
        fprintf(stderr, "WaveOutput: error closing\n");
        fail(qt_error_string(error));
    } else if (!bOk || !bFinished) {
        fprintf(stderr, "WaveOutput: error closing\n");
    }
    return ok();
}

quint64 WaveOutput::numSamples() const
{
    const int bytes = settings().bitsPerSample() / 8;
    return bytes > 0 ? m_fileInfo.dataSize() / quint64(bytes) : 0;
}

float WaveOutput::fps() const { return m_hEbuInfo.isNull() ? 0.0f : m_hEbuInfo->fps(); }

bool WaveOutput::saveEnvelope(const char* path) { return m_hEnvelope->save(path, m_peaks, m_envelopeFormat); }

float WaveOutput::timecodeFps() const
{
    const float own = fps();
    if (std::isfinite(own) && own >= 1.0f)
        return own;
    return Production::fps();
}

QString WaveOutput::timecodeOfSamples(double samples) const
{
    const float rate = timecodeFps();
    const unsigned sampleRate = settings().sampleRate();
    double frames = sampleRate ? std::trunc(double(rate) * samples / double(sampleRate)) : 0.0;
    if (!std::isfinite(frames))
        frames = 0.0;
    frames = std::max<double>(INT_MIN, std::min<double>(INT_MAX, frames));
    return MTools::FrameCount(static_cast<long long>(frames), rate).timecodeFromFrameCount(false, false, 0, false);
}

QString WaveOutput::duration() const
{
    const int channels = std::max<int>(settings().channels(), 1);
    return timecodeOfSamples(std::trunc(double(numSamples()) / channels));
}

QString WaveOutput::timecode(int frame) const { return timecodeOfSamples(frame); }

QString WaveOutput::start() const
{
    return timecodeOfSamples(m_hEbuInfo.isNull() ? 0.0 : double(m_hEbuInfo->timeReference()));
}

void WaveOutput::dump() const
{
    qDebug() << "==== Wave Info Begin ====";
    AudioIO::dump();
    qDebug() << "Name = " << name();
    qDebug() << "File Descriptor = " << static_cast<const void*>(m_pFile);
    qDebug() << "Wave Version = " << version();
    settings().dump();
    m_fileInfo.dump();
    qDebug() << "==== Wave Info End ====";
}

} // namespace ZADovuzIdida
