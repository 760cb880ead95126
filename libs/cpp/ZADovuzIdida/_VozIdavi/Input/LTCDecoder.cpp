#include <ZADovuzIdida/_VozIdavi/Input/LTCDecoder.h>

#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>
#include <ZADovuzIdida/_VozIdavi/Input/FileInput.h>

#include <QByteArray>
#include <QDebug>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace ZADovuzIdida {

namespace {

// Calibration windows tried per channel before it counts as carrying no timecode.
constexpr int MaxWindows = 12;
constexpr int BlockFrames = 8192;
constexpr int FrameBits = 80;
constexpr int RecordSize = 14;
// Bits 64-79 in time order, the last bit lowest.
constexpr quint64 SyncWord = 0x3FFD;

// Biphase-mark bits from squared samples, and frames cut when the last 16 bits are the sync word.
class BitStream
{
public:
    explicit BitStream(int samplesPerBit) : m_nSamplesPerBit(samplesPerBit) {}

    // Takes the next squared sample; true when it ended a frame, whose end is then this sample.
    bool feed(int level)
    {
        bool bFrame = false;
        if (level != 0) {
            if (m_nLastSign == 0) {
                // The first level after silence starts a bit cell.
                m_nLastSign = level;
                m_nCounter = 0;
            } else if (level != m_nLastSign) {
                m_nLastSign = level;
                if (m_bHalfCell) {
                    m_bHalfCell = false;
                    bFrame = push(true);
                } else if (std::abs(m_nSamplesPerBit - m_nCounter) > m_nSamplesPerBit / 4) {
                    m_bHalfCell = true;
                } else {
                    bFrame = push(false);
                }
                m_nCounter = 0;
            }
        }
        if (m_nCounter < INT_MAX)
            ++m_nCounter;
        return bFrame;
    }

    // The last 80 bits in time order as "1" and "0".
    QString frameBits() const
    {
        QString text(FrameBits, QLatin1Char('0'));
        for (int i = 0; i < FrameBits; ++i) {
            const int p = FrameBits - 1 - i;
            const bool bSet = p < 64 ? (m_nLow >> p) & 1 : (m_nHigh >> (p - 64)) & 1;
            if (bSet)
                text[i] = QLatin1Char('1');
        }
        return text;
    }

    int syncPairs() const { return m_nSyncPairs; }

private:
    bool push(bool bit)
    {
        m_nHigh = quint16((m_nHigh << 1) | (m_nLow >> 63));
        m_nLow = (m_nLow << 1) | (bit ? 1 : 0);
        m_nBits = std::min(m_nBits + 1, FrameBits);
        m_nSinceSync = std::min(m_nSinceSync + 1, FrameBits + 1);
        if ((m_nLow & 0xFFFF) != SyncWord)
            return false;
        if (m_nSinceSync == FrameBits)
            ++m_nSyncPairs;
        m_nSinceSync = 0;
        if (m_nBits < FrameBits)
            return false;
        m_nBits = 0;
        return true;
    }

    int m_nSamplesPerBit;
    int m_nCounter = 0;
    int m_nLastSign = 0;
    bool m_bHalfCell = false;
    quint64 m_nLow = 0;
    quint16 m_nHigh = 0;
    int m_nBits = 0;
    int m_nSinceSync = FrameBits + 1;
    int m_nSyncPairs = 0;
};

} // namespace

LTCDecoder::LTCDecoder(FileInput* input) : m_pInput(input), m_noFrame(-1, QString(), 30.0f)
{
    // A rate below 1 (the bext default -1.0, or 0) is unset: the production rate counts.
    const float fFps = input->fps();
    m_fFps = std::isfinite(fFps) && fFps >= 1.0f ? fFps : Production::fps();
    if (std::isfinite(m_fFps) && m_fFps >= 1.0f)
        m_nWindow = int(input->sampleRate() / unsigned(m_fFps)) * 10;
    for (int ch = input->channels() - 1; ch >= 0 && m_nTrack < 0; --ch) {
        if (findSync(ch))
            m_nTrack = ch;
    }
    m_fLevel = 0.0f;
}

void LTCDecoder::normalizeFrame(float& sample)
{
    if (-m_fThreshold < sample && sample < m_fThreshold)
        sample = m_fLevel;
    else if (sample > 0.0f)
        sample = m_fLevel = 1.0f;
    else if (sample < 0.0f)
        sample = m_fLevel = -1.0f;
}

void LTCDecoder::normalizeFrame(float* samples, int n)
{
    for (int i = 0; i < n; ++i)
        normalizeFrame(samples[i]);
}

void LTCDecoder::initIgnoreValue(const float* samples)
{
    float fLargest = 0.0f;
    for (int i = 0; i < m_nWindow; ++i)
        fLargest = std::max(fLargest, std::fabs(samples[i]));
    m_fThreshold = fLargest / 7.0f;
}

void LTCDecoder::calibrate(float* samples)
{
    if (m_nWindow < 1) {
        m_fThreshold = 0.0f;
        m_nSamplesPerBit = 200;
    } else {
        initIgnoreValue(samples);
        m_fLevel = 0.0f;
        normalizeFrame(samples, m_nWindow);
        // The shortest interval between level changes is half a bit cell; the first short one is ignored.
        int nShortest = 100;
        bool bFirst = true;
        int nPrevious = 0;
        float fLastSign = 0.0f;
        for (int i = 0; i < m_nWindow; ++i) {
            const int v = int(samples[i]);
            if (v == 0)
                continue;
            if (int(fLastSign) == 0 || v == int(fLastSign)) {
                fLastSign = samples[i];
                continue;
            }
            fLastSign = samples[i];
            if (nPrevious != 0 && i - nPrevious < nShortest) {
                if (bFirst) {
                    bFirst = false;
                } else {
                    nShortest = i - nPrevious;
                    nPrevious = i;
                }
            } else {
                nPrevious = i;
            }
        }
        m_nSamplesPerBit = 2 * nShortest;
    }
    m_pInput->gotoFrame(0);
    m_fLevel = 0.0f;
}

int LTCDecoder::detectLTC(float* samples)
{
    calibrate(samples);
    // Fewer than four samples per bit cannot carry timecode.
    if (m_nSamplesPerBit <= 3) {
        m_nSamplesPerBit = 0;
        return 0;
    }
    BitStream stream(m_nSamplesPerBit);
    for (int i = 0; i < m_nWindow; ++i)
        stream.feed(int(samples[i]));
    return stream.syncPairs();
}

bool LTCDecoder::findSync(int ch)
{
    const int nChannels = m_pInput->channels();
    if (m_nWindow > 0 && nChannels > 0) {
        std::vector<float> interleaved(size_t(m_nWindow) * size_t(nChannels));
        std::vector<float> window(static_cast<size_t>(m_nWindow));
        for (int w = 0; w < MaxWindows; ++w) {
            m_pInput->gotoFrame(qint64(w) * m_nWindow);
            if (m_pInput->read(interleaved.data(), int(interleaved.size())) < int(interleaved.size()))
                break;
            for (int i = 0; i < m_nWindow; ++i)
                window[size_t(i)] = interleaved[size_t(i) * size_t(nChannels) + size_t(ch)];
            if (detectLTC(window.data()) > 0)
                return true;
        }
    }
    m_nSamplesPerBit = 0;
    m_pInput->gotoFrame(0);
    return false;
}

void LTCDecoder::process(const int& ch)
{
    m_vecFrames.clear();
    m_fHighestFrame = 0.0f;
    const int nChannels = m_pInput->channels();
    if (ch < 0 || ch >= nChannels || !findSync(ch)) {
        fprintf(stderr, "The LTC decoder is not calibrated\n");
        return;
    }
    m_nTrack = ch;
    BitStream stream(m_nSamplesPerBit);
    std::vector<float> block(size_t(nChannels) * BlockFrames);
    m_pInput->gotoFrame(0);
    m_fLevel = 0.0f;
    qint64 nFirst = 0;
    int n;
    while ((n = m_pInput->read(block.data(), int(block.size()))) > 0) {
        for (int i = ch; i < n; i += nChannels) {
            float x = block[size_t(i)];
            normalizeFrame(x);
            const qint64 nIndex = nFirst + i / nChannels;
            if (stream.feed(int(x)))
                m_vecFrames.emplace_back(nIndex, stream.frameBits(), m_fFps);
        }
        nFirst += n / nChannels;
    }
}

const LTCData& LTCDecoder::getLTC(const qint64& audioFrame) const
{
    if (m_vecFrames.empty())
        return m_noFrame;
    if (audioFrame < m_vecFrames.front().audioFrame() || audioFrame > m_vecFrames.back().audioFrame()) {
        fprintf(stderr, "LTCDecoder::getLTC() : Error LTC for this frame does not exists\n");
        return m_noFrame;
    }
    auto it = std::upper_bound(m_vecFrames.begin(), m_vecFrames.end(), audioFrame,
                               [](qint64 value, const LTCData& frame) { return value < frame.audioFrame(); });
    if (it == m_vecFrames.end())
        --it;
    return *it;
}

int LTCDecoder::getAudioFrame(int h, int m, int s, int f) const
{
    for (const LTCData& frame : m_vecFrames) {
        if (frame.hour() == h && frame.minute() == m && frame.sec() == s && frame.frame() == f)
            return frame.audioFrame() <= INT_MAX ? int(frame.audioFrame()) : -1;
    }
    return -1;
}

float LTCDecoder::ltcFps()
{
    if (m_vecFrames.empty())
        return 0.0f;
    if (int(m_fHighestFrame) != 0)
        return m_fHighestFrame + 1.0f;
    const size_t nCount = std::min<size_t>(m_vecFrames.size(), 60);
    for (size_t i = 0; i < nCount; ++i) {
        if (m_vecFrames[i].frame() > int(m_fHighestFrame))
            m_fHighestFrame = float(m_vecFrames[i].frame());
    }
    return m_fHighestFrame + 1.0f;
}

bool LTCDecoder::save(const char* path) const
{
    if (m_vecFrames.empty())
        return false;
    QByteArray bytes("LTCC");
    const auto appendL = [&bytes](quint32 value) {
        for (int i = 0; i < 4; ++i)
            bytes.append(char((value >> (8 * i)) & 0xFF));
    };
    appendL(quint32(m_vecFrames.size()));
    for (const LTCData& frame : m_vecFrames) {
        // The record holds 32 bits: a later frame cannot be stored.
        if (frame.audioFrame() < 0 || frame.audioFrame() > qint64(UINT_MAX)) {
            fprintf(stderr, "LTCDecoder::save: audio frame beyond 32 bits\n");
            return false;
        }
        bytes.append(char(frame.isValid() ? 1 : 0));
        appendL(quint32(frame.audioFrame()));
        for (int value : {frame.hour(), frame.minute(), frame.sec(), frame.frame(), frame.drop() ? 1 : 0,
                          frame.bitGroup(0), frame.bitGroup(1), frame.bitGroup(2), frame.bitGroup(3)})
            bytes.append(char(value));
    }
    QSaveFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly)) {
        fprintf(stderr, "LTCDecoder::save: file creation error\n");
        return false;
    }
    return file.write(bytes) == bytes.size() && file.commit();
}

bool LTCDecoder::load(const char* path)
{
    m_vecFrames.clear();
    m_fHighestFrame = 0.0f;
    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "LTCDecoder::load: file read error\n");
        return false;
    }
    char id[4];
    if (fread(id, 1, 4, file) != 4 || memcmp(id, "LTCC", 4) != 0) {
        fprintf(stderr, "LTCDecoder::load error: not ltc file\n");
        fclose(file);
        return false;
    }
    // The count must fit the file, and every record must be whole.
    struct stat info;
    const quint32 nCount = FileUtil::readL(file, false);
    bool bWhole = fstat(fileno(file), &info) == 0 && info.st_size >= 8 &&
                  quint64(nCount) <= quint64(info.st_size - 8) / RecordSize;
    for (quint32 k = 0; bWhole && k < nCount; ++k) {
        unsigned char record[RecordSize];
        bWhole = fread(record, 1, RecordSize, file) == RecordSize;
        if (bWhole) {
            const quint32 nFrame = quint32(record[1]) | (quint32(record[2]) << 8) | (quint32(record[3]) << 16) |
                                   (quint32(record[4]) << 24);
            m_vecFrames.emplace_back(record[0] != 0, qint64(nFrame), char(record[5]), char(record[6]), char(record[7]),
                                     char(record[8]), record[9] != 0, record[10], record[11], record[12], record[13]);
        }
    }
    fclose(file);
    if (!bWhole)
        m_vecFrames.clear();
    return bWhole;
}

void LTCDecoder::dump() const
{
    qDebug() << "----- LTC Decoder Begin ------";
    qDebug().nospace() << "Calibrated Samples Per Bit =" << m_nSamplesPerBit;
    qDebug() << "----- LTC Decoder End ------";
}

} // namespace ZADovuzIdida
