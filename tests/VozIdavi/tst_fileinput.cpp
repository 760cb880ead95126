// File input base: loading checks, raw and float reads, peak envelopes and side files, on hand-made files.
#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Input/GeneralFileInput.h>
#include <ZADovuzIdida/_VozIdavi/Input/WaveInput.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <vector>

using namespace ZADovuzIdida;

namespace {

QByteArray local(const QString& path) { return path.toLocal8Bit(); }

QByteArray le(quint32 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

QByteArray chunk(const char* id, const QByteArray& body, quint32 size = 0xFFFFFFFF)
{
    QByteArray out = QByteArray(id, 4) + le(size == 0xFFFFFFFF ? quint32(body.size()) : size, 4) + body;
    if (body.size() % 2)
        out.append('\0');
    return out;
}

QByteArray fmtBody(int tag, int channels, int rate, int bits)
{
    return le(quint32(tag), 2) + le(quint32(channels), 2) + le(quint32(rate), 4) +
           le(quint32(quint64(rate) * quint64(channels) * quint64(bits) / 8), 4) + le(quint32(channels * bits / 8), 2) +
           le(quint32(bits), 2);
}

QByteArray riff(const QByteArray& chunks) { return "RIFF" + le(quint32(chunks.size() + 4), 4) + "WAVE" + chunks; }

QByteArray be(quint64 value, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

// An 80-bit extended number: sign and exponent, then the 64-bit mantissa with its leading one.
QByteArray extended(int exponent, quint64 mantissa) { return be(quint64(exponent), 2) + be(mantissa, 8); }

QByteArray extendedRate(unsigned rate)
{
    int e = 31;
    while (!(rate & (1u << e)))
        --e;
    return extended(16383 + e, quint64(rate) << (63 - e));
}

QByteArray aiffChunk(const char* id, const QByteArray& body)
{
    return QByteArray(id, 4) + be(quint64(body.size()), 4) + body + QByteArray(body.size() % 2, '\0');
}

QByteArray aiff(const QByteArray& chunks) { return "FORM" + be(quint64(chunks.size() + 4), 4) + "AIFF" + chunks; }

QByteArray commBody(int channels, int bits, const QByteArray& rate)
{
    return be(quint64(channels), 2) + be(4, 4) + be(quint64(bits), 2) + rate;
}

QByteArray pcm16(const std::vector<float>& samples)
{
    QByteArray out;
    for (float s : samples)
        out += le(quint32(qint16(std::lround(s * 32767.0f))) & 0xFFFF, 2);
    return out;
}

// Takes samples laid out after an 8-byte header, with a given format code and width.
class RawInput : public FileInput
{
public:
    RawInput(short fmt, short bits, short channels, quint64 numSamples = 0)
        : m_nFmt(fmt), m_nBits(bits), m_nChannels(channels), m_nNumSamples(numSamples)
    {
    }
    bool open(const char* path) override
    {
        m_bOpened = true;
        m_pFile = fopen(path, "r");
        if (!m_pFile)
            return false;
        setSettings(Settings(8000, m_nChannels, m_nFmt, m_nBits));
        fseek(m_pFile, 0, SEEK_END);
        m_fileInfo.setDataOffset(0);
        m_fileInfo.setDataSize(quint64(ftell(m_pFile)) - 8);
        m_fileInfo.setNumSamples(m_nNumSamples ? m_nNumSamples : m_fileInfo.dataSize() / quint64(m_nBits / 8));
        rewind();
        return true;
    }
    QString extentions() const override { return QStringLiteral("WAV wave bwf"); }
    bool m_bOpened = false;

private:
    short m_nFmt, m_nBits, m_nChannels;
    quint64 m_nNumSamples;
};

} // namespace

class TestFileInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testLoadChecks();
    void testClosedInput();
    void testRawReadAtDataEnd();
    void testByteOrder_data();
    void testByteOrder();
    void testChunkWalk();
    void testTruncatedData();
    void testComment();
    void testPeaksFromSamples();
    void testStoredPeakValues();
    void testPeakLookups();
    void testNames();
    void testHeaderChecks_data();
    void testHeaderChecks();
    void testCleanReload();
    void testPeakCacheFiles();
    void testPeakOfPeaksAcrossChannels();
    void testTimeReferenceBeyondDay();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};

QString TestFileInput::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    VozIdaviTest::writeAll(path, bytes);
    return path;
}

void TestFileInput::initTestCase()
{
    QVERIFY(m_dir.isValid());
    FileInput::setTempPath(m_dir.path());
}

void TestFileInput::testLoadChecks()
{
    RawInput input(16, 16, 1);
    QVERIFY(FileInput::filesInUse().back() == &input);
    QVERIFY(!input.load(local(write("short.wav", QByteArray(39, 'a'))).constData(), false));
    QVERIFY(!input.m_bOpened);
    QVERIFY(input.load(local(write("long.wav", QByteArray(40, 'a'))).constData(), false));
    QVERIFY(input.m_bOpened);
    const QString upper = write("A.WAV", QByteArray(40, 'a'));
    QVERIFY(!input.load(local(upper).constData(), false));
    QVERIFY(input.load(local(upper).constData(), true));
    QVERIFY(input.load(local(write("a.bwf", QByteArray(40, 'a'))).constData(), false));
    QVERIFY(input.load(local(write("xwav", QByteArray(40, 'a'))).constData(), false));
    QVERIFY(!input.load(local(m_dir.path()).constData(), true));
    {
        WaveInput other;
        QCOMPARE(int(FileInput::filesInUse().size()), 2);
    }
    QCOMPARE(int(FileInput::filesInUse().size()), 1);
}

void TestFileInput::testClosedInput()
{
    WaveInput input;
    Chunk header;
    char id[4];
    char bytes[4];
    QCOMPARE(input.readChunk(&header, 0), -1);
    QCOMPARE(input.readID(id), -1);
    QCOMPARE(input.rewind(), -1);
    QCOMPARE(input.seek(0), -1);
    QCOMPARE(input.tell(), -1);
    QCOMPARE(input.flush(), -1);
    QCOMPARE(input.read(bytes, 4), 0);
    QCOMPARE(input.close(), 0);
    QVERIFY(!input.load(local(write("missing.txt", "RIFF")).constData(), true));
}

void TestFileInput::testRawReadAtDataEnd()
{
    QByteArray data(100, '\0');
    for (int i = 0; i < 100; ++i)
        data[i] = char(i);
    const QString path =
        write("end.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", data) + chunk("junk", "xyzw")));
    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    QCOMPARE(input.fileInfo().dataOffset(), quint64(36));
    QCOMPARE(input.tell(), 0);
    QCOMPARE(input.seek(90), 0);
    char buffer[100];
    QCOMPARE(input.read(buffer, 100), 10);
    QCOMPARE(int(buffer[0]), 90);
    QCOMPARE(input.read(buffer, 100), 0);
    QCOMPARE(input.rewind(), 0);
    auto raw = MTools::Handle<RawBuffer>(new RawBuffer(4));
    QCOMPARE(input.read(raw), 4);
    QCOMPARE(int(raw->data()[3]), 3);
    QCOMPARE(input.position(), qint64(36 + 8 + 4));
}

void TestFileInput::testByteOrder_data()
{
    QTest::addColumn<int>("fmt");
    QTest::addColumn<int>("value");
    QTest::newRow("little") << 2048 << 0x030201;
    QTest::newRow("big") << 4096 << 0x010203;
}

void TestFileInput::testByteOrder()
{
    QFETCH(int, fmt);
    QFETCH(int, value);
    RawInput input(short(fmt), 24, 1);
    QVERIFY(input.load(
        local(write("order.raw", QByteArray("datasize") + "\x01\x02\x03" + QByteArray(29, '\0'))).constData(), true));
    float samples[2] = {9.0f, 9.0f};
    QCOMPARE(input.read(samples, 2), 2);
    QCOMPARE(samples[0], float(value) / 8388608.0f);
    QCOMPARE(samples[1], 0.0f);
}

void TestFileInput::testChunkWalk()
{
    QByteArray bext(602, '\0');
    QByteArray bext2 = bext;
    bext.replace(0, 5, "first");
    bext2.replace(0, 6, "second");
    const QString path = write("walk.wav", riff(chunk("bext", bext) + chunk("fmt ", fmtBody(1, 2, 44100, 16)) +
                                                chunk("fmt ", fmtBody(1, 1, 8000, 8)) + chunk("odd!", "abc") +
                                                chunk("data", pcm16({0.5f, -0.5f})) + chunk("bext", bext2) +
                                                chunk("data", pcm16({0.25f, 0.25f, 0.25f}))));
    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    QCOMPARE(int(input.channels()), 2);
    QCOMPARE(int(input.sampleRate()), 44100);
    QCOMPARE(int(input.settings().fmt()), 16);
    QCOMPARE(input.fmt(), short(0));
    QCOMPARE(input.fileInfo().dataSize(), quint64(4));
    QCOMPARE(input.fileInfo().numSamples(), quint64(2));
    QVERIFY(!input.ebuInfo().isNull());
    QVERIFY(input.ebuInfo()->description().startsWith("second"));
    float samples[2];
    QCOMPARE(input.read(samples, 2), 2);
    QVERIFY(std::fabs(samples[0] - 0.5f) < 1e-4f);
    QVERIFY(std::fabs(samples[1] + 0.5f) < 1e-4f);

    const QString floats = write("float.wav", riff(chunk("fmt ", fmtBody(3, 1, 8000, 32)) +
                                                   chunk("data", le(0, 4) + le(0, 4) + le(0, 4) + le(0, 4))));
    QVERIFY(!input.load(local(floats).constData(), false));
    QVERIFY(input.filePointer() == nullptr);
    const QString noData =
        write("nodata.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("junk", QByteArray(30, 'j'))));
    QVERIFY(!input.load(local(noData).constData(), false));
    const QString narrow =
        write("narrow.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 4)) + chunk("data", QByteArray(30, 'j'))));
    QVERIFY(!input.load(local(narrow).constData(), false));
}

void TestFileInput::testTruncatedData()
{
    const QString path = write(
        "cut.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", QByteArray(1000, '\x10'), 1000000)));
    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    QCOMPARE(input.fileInfo().dataSize(), quint64(1000));
    QCOMPARE(input.fileInfo().numSamples(), quint64(500));
    std::vector<float> samples(600);
    QCOMPARE(input.read(samples.data(), 600), 500);
}

void TestFileInput::testComment()
{
    const QByteArray info =
        "INFO" + chunk("INAM", "name") + chunk("ICMT", QByteArray("abc\0\0", 5)) + chunk("ISFT", "tool");
    const QString path = write("comment.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("LIST", info) +
                                                   chunk("data", pcm16({0.1f, 0.2f}))));
    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    QCOMPARE(input.fileInfo().comment(), QString("abc"));
    QCOMPARE(input.fileInfo().numSamples(), quint64(2));
    const QString other =
        write("adtl.wav", riff(chunk("LIST", "adtl" + chunk("labl", "1234abcd")) +
                               chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", pcm16({0.1f}))));
    QVERIFY(input.load(local(other).constData(), false));
    QCOMPARE(input.fileInfo().comment(), QString());
}

void TestFileInput::testPeaksFromSamples()
{
    const std::vector<float> half(600 * 2, 0.5f);
    const QString path = write("half.wav", riff(chunk("fmt ", fmtBody(1, 2, 8000, 16)) + chunk("data", pcm16(half))));
    QString location;
    {
        WaveInput input;
        QVERIFY(input.load(local(path).constData(), false));
        location = input.envelopeLocation();
        QVERIFY(!QFile::exists(location));
        input.createPeakVector();
        const PeakVector& peaks = *input.peakVector();
        QCOMPARE(peaks.numPeakFrames(), 3);
        QCOMPARE(peaks.peakChannels(), 2);
        for (int ch = 0; ch < 2; ++ch) {
            for (int p = 0; p < 3; ++p) {
                QCOMPARE(peaks.peakInfo(p, ch).min, 0.0f);
                QVERIFY(std::fabs(peaks.peakInfo(p, ch).max - 0.5f) < 1e-4f);
            }
        }
        QCOMPARE(input.ebuEnvelope()->blockSize(), 256);
        QCOMPARE(input.ebuEnvelope()->posPeakOfPeaks(), 0);
        QVERIFY(QFile::exists(input.envelopeLocation()));
        QCOMPARE(input.tell(), 0);
    }
    // The side file serves the next opening, with one byte per value.
    const QByteArray side = VozIdaviTest::readAll(location);
    QVERIFY(side.startsWith("levl"));
    QCOMPARE(side.size(), 8 + 120 + 3 * 2 * 2);
    QVERIFY(std::abs(int(quint8(side[8 + 120 + 1])) - 127) <= 1);
    WaveInput again;
    QVERIFY(again.load(local(path).constData(), false));
    again.createPeakVector();
    QCOMPARE(again.peakVector()->numPeakFrames(), 3);
    QVERIFY(std::fabs(again.peakVector()->peakInfo(2, 1).max - 0.5f) < 0.01f);
}

void TestFileInput::testStoredPeakValues()
{
    PeakVector peaks;
    peaks.addPeak(-0.1f, 0.1f, 0);
    EBUEnvelope envelope;
    const QString path = m_dir.filePath("pair.bef");
    QVERIFY(envelope.save(local(path).constData(), peaks, EBUEnvelope::SixteenBit));
    QByteArray bytes = VozIdaviTest::readAll(path);
    QCOMPARE(bytes.size(), 8 + 120 + 4);
    bytes.replace(128, 4, QByteArray("\xFF\xFF\x00\x80", 4));
    VozIdaviTest::writeAll(path, bytes);
    RawInput input(16, 16, 1);
    input.loadEnvelope(local(path).constData());
    QCOMPARE(input.peakVector()->numPeakFrames(), 1);
    QCOMPARE(input.peakVector()->peakInfo(0, 0).min, -1.0f);
    QCOMPARE(input.peakVector()->peakInfo(0, 0).max, 32768.0f / 65535.0f);
    input.loadEnvelope(local(m_dir.filePath("absent.bef")).constData());
    QCOMPARE(input.peakVector()->numPeakFrames(), 1);
    // A header claiming far more peaks than stored leaves the envelope as it was.
    bytes.replace(28, 4, QByteArray("\xFF\xFF\xFF\x7F", 4));
    VozIdaviTest::writeAll(path, bytes);
    input.loadEnvelope(local(path).constData());
    QCOMPARE(input.ebuEnvelope()->numPeakFrames(), 0x7FFFFFFF);
    QCOMPARE(input.peakVector()->numPeakFrames(), 1);
}

void TestFileInput::testPeakLookups()
{
    const int frames = 4096;
    std::vector<float> ramp(frames);
    for (int i = 0; i < frames; ++i)
        ramp[size_t(i)] = float(i) / float(frames);
    const QString path = write("ramp.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", pcm16(ramp))));
    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    const auto near = [](float a, float b) { return std::fabs(a - b) < 1e-4f; };
    PeakInfo info = input.peakInfo(10, 0, 0.5f);
    QVERIFY(near(info.min, ramp[5]));
    QCOMPARE(info.max, 0.0f);
    info = input.peakInfo(7, 0, 1.0f);
    QVERIFY(near(info.min, ramp[7]));
    info = input.peakInfo(3, 0, 512.0f);
    QVERIFY(near(info.max, ramp[6 * 256 + 255]));
    info = input.peakInfo(3, 0, 256.0f);
    QVERIFY(near(info.max, ramp[3 * 256 + 255]));
    info = input.peakInfo(2, 0, 4.0f);
    QCOMPARE(info.min, 0.0f);
    QVERIFY(near(info.max, ramp[11]));
    info = input.peakInfo(2, 0, 4.0f);
    QVERIFY(near(info.max, ramp[11]));
    info = input.peakInfo(100, 0, 512.0f);
    QCOMPARE(info.max, 0.0f);
    QCOMPARE(input.calculateZoom(16), 256.0f);

    RawInput big(16, 16, 2, 441000);
    QVERIFY(big.load(local(path).constData(), true));
    QCOMPARE(big.calculateZoom(100), 2205.0f);
}

void TestFileInput::testNames()
{
    RawInput input(16, 16, 1);
    QCOMPARE(input.name(), QString("FileInput"));
    QCOMPARE(FileInput::tempFilePath(), m_dir.path() + "/AudioTemp/");
    const QString dir = m_dir.filePath("a:b");
    QVERIFY(QDir().mkdir(dir));
    const QString path = dir + "/c.d.wav";
    VozIdaviTest::writeAll(path, QByteArray(64, '\0'));
    QVERIFY(input.load(local(path).constData(), true));
    // Names come from a hash of the absolute path, in folders only this user can enter.
    const QString hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex();
    QCOMPARE(input.envelopeLocation(), m_dir.path() + "/Envelopes/" + hash + ".bef");
    QCOMPARE(input.tempFilePathAndName(), m_dir.path() + "/AudioTemp/" + hash + "_c.d.wav");
    QCOMPARE(QFileInfo(m_dir.path() + "/AudioTemp").permissions() & 0x0077, QFileDevice::Permissions());
    QCOMPARE(input.scene(), QString());
    QCOMPARE(input.take(), QString());
    QCOMPARE(input.fps(), 0.0f);
    QTest::ignoreMessage(QtDebugMsg, "========== Input Info Begin =========");
    QTest::ignoreMessage(QtDebugMsg, "Name = FileInput");
    QTest::ignoreMessage(QtDebugMsg, "========== Input Info End =========");
    input.dump();
}

void TestFileInput::testHeaderChecks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens");
    const QByteArray data = chunk("data", QByteArray(16, '\1'));
    const QByteArray ssnd = aiffChunk("SSND", QByteArray(8, 0) + QByteArray(16, 1));
    QTest::newRow("wav") << riff(chunk("fmt ", fmtBody(1, 2, 8000, 16)) + data) << true;
    QTest::newRow("wav 29516 channels of 16664 bits")
        << riff(chunk("fmt ", fmtBody(1, 29516, 8000, 16664)) + data) << false;
    QTest::newRow("wav 1794 channels") << riff(chunk("fmt ", fmtBody(1, 1794, 8000, 16)) + data) << false;
    QTest::newRow("wav 12 bits") << riff(chunk("fmt ", fmtBody(1, 1, 8000, 12)) + data) << false;
    QTest::newRow("wav rate 0") << riff(chunk("fmt ", fmtBody(1, 1, 0, 16)) + data) << false;
    QTest::newRow("wav no channels") << riff(chunk("fmt ", fmtBody(1, 0, 8000, 16)) + data) << false;
    QTest::newRow("wav fmt of 14 bytes") << riff(chunk("fmt ", fmtBody(1, 1, 8000, 16).left(14)) + data) << false;
    QTest::newRow("wav without fmt") << riff(chunk("junk", QByteArray(30, 'j')) + data) << false;
    // A sub-chunk claiming more than its list: the walk goes on after the list.
    QTest::newRow("wav list overrun") << riff(chunk("LIST", "INFO" + chunk("ICMT", "abcd", 100)) +
                                              chunk("fmt ", fmtBody(1, 1, 8000, 16)) + data)
                                      << true;
    QTest::newRow("aiff") << aiff(aiffChunk("COMM", commBody(2, 16, extendedRate(44100))) + ssnd) << true;
    QTest::newRow("aiff rate inf") << aiff(aiffChunk("COMM", commBody(2, 16, extended(0x7FFF, 0))) + ssnd) << false;
    QTest::newRow("aiff rate NaN") << aiff(aiffChunk("COMM", commBody(2, 16, extended(0x7FFF, 1ull << 62))) + ssnd)
                                   << false;
    QTest::newRow("aiff rate 0") << aiff(aiffChunk("COMM", commBody(2, 16, extended(0, 0))) + ssnd) << false;
    QTest::newRow("aiff rate 800k") << aiff(aiffChunk("COMM", commBody(2, 16, extendedRate(800000))) + ssnd) << false;
    QTest::newRow("aiff rate -44100")
        << aiff(aiffChunk("COMM", commBody(2, 16, extendedRate(44100).replace(0, 1, "\xC0"))) + ssnd) << false;
    QTest::newRow("aiff no channels") << aiff(aiffChunk("COMM", commBody(0, 16, extendedRate(44100))) + ssnd) << false;
    QTest::newRow("aiff 20 bits") << aiff(aiffChunk("COMM", commBody(1, 20, extendedRate(44100))) + ssnd) << false;
    QTest::newRow("aiff without COMM") << aiff(aiffChunk("ANNO", "note") + ssnd) << false;
    QTest::newRow("aiff without SSND") << aiff(aiffChunk("COMM", commBody(2, 16, extendedRate(44100))) +
                                               aiffChunk("ANNO", QByteArray(30, 'n')))
                                       << false;
}

void TestFileInput::testHeaderChecks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    GeneralFileInput input;
    QCOMPARE(input.load(local(write("header.bin", bytes)).constData(), true), opens);
    if (opens) {
        QCOMPARE(input.fileInfo().numSamples(), quint64(8));
        std::vector<float> samples(8);
        QCOMPARE(input.read(samples.data(), 8), 8);
    }
}

void TestFileInput::testCleanReload()
{
    const QString loud =
        write("loud.wav", riff(chunk("bext", QByteArray(602, '\0')) + chunk("fmt ", fmtBody(1, 1, 8000, 16)) +
                               chunk("data", pcm16(std::vector<float>(600, 0.9f)))));
    const QString quiet = write("quiet.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) +
                                                  chunk("data", pcm16(std::vector<float>(600, 0.01f)))));
    WaveInput input;
    QVERIFY(input.load(local(loud).constData(), false));
    QVERIFY(std::fabs(input.peakInfo(0, 0, 256.0f).max - 0.9f) < 1e-3f);
    QVERIFY(!input.ebuInfo().isNull());
    QVERIFY(input.load(local(quiet).constData(), false));
    QVERIFY(input.ebuInfo().isNull());
    QVERIFY(std::fabs(input.peakInfo(0, 0, 256.0f).max - 0.01f) < 1e-3f);
}

void TestFileInput::testPeakCacheFiles()
{
    const auto tone = [](float level, int frames) {
        return riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", pcm16(std::vector<float>(frames, level))));
    };
    const auto peak = [this](const QString& path) {
        WaveInput input;
        input.load(local(path).constData(), false);
        input.createPeakVector();
        return input.peakVector()->peakInfo(0, 0).max;
    };
    const auto locationOf = [](const QString& path) {
        WaveInput input;
        input.load(local(path).constData(), false);
        return input.envelopeLocation();
    };
    // Names that flatten alike still get their own side files.
    const QString loud = write("a.b.wav", tone(0.9f, 600));
    const QString quiet = write("a_b.wav", tone(0.01f, 600));
    QVERIFY(std::fabs(peak(loud) - 0.9f) < 0.01f);
    QVERIFY(std::fabs(peak(quiet) - 0.01f) < 0.01f);
    QVERIFY(std::fabs(peak(quiet) - 0.01f) < 0.01f);
    QVERIFY(locationOf(loud) != locationOf(quiet));

    // A side file older than the audio is rebuilt.
    write("a_b.wav", tone(0.5f, 600));
    QFile audio(quiet);
    QVERIFY(audio.open(QIODevice::ReadWrite));
    QVERIFY(audio.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    audio.close();
    QVERIFY(std::fabs(peak(quiet) - 0.5f) < 0.01f);

    // A side file of another shape is rebuilt.
    const QString longer = write("longer.wav", tone(0.3f, 6000));
    QFile::remove(locationOf(longer));
    QVERIFY(QFile::copy(locationOf(loud), locationOf(longer)));
    WaveInput input;
    QVERIFY(input.load(local(longer).constData(), false));
    input.createPeakVector();
    QCOMPARE(input.peakVector()->numPeakFrames(), 24);
    QVERIFY(std::fabs(input.peakVector()->peakInfo(0, 0).max - 0.3f) < 0.01f);

    // A planted link is neither read nor written through: the loud side file stays as it was.
    const QByteArray loudSide = VozIdaviTest::readAll(locationOf(loud));
    QVERIFY(QFile::remove(locationOf(quiet)));
    QVERIFY(QFile::link(locationOf(loud), locationOf(quiet)));
    QVERIFY(std::fabs(peak(quiet) - 0.5f) < 0.01f);
    QVERIFY(!QFileInfo(locationOf(quiet)).isSymLink());
    QCOMPARE(VozIdaviTest::readAll(locationOf(loud)), loudSide);

    // By default the cache is the user's own cache folder, closed to others.
    FileInput::setTempPath(QString());
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QCOMPARE(FileInput::tempPath(), cache);
    QVERIFY(std::fabs(peak(loud) - 0.9f) < 0.01f);
    QVERIFY(locationOf(loud).startsWith(cache + "/Envelopes/"));
    QVERIFY(QFile::exists(locationOf(loud)));
    QCOMPARE(int(QFileInfo(cache + "/Envelopes").permissions() & 0x0077), 0);
    FileInput::setTempPath(m_dir.path());
}

void TestFileInput::testPeakOfPeaksAcrossChannels()
{
    // Three channels: the largest magnitude appears in channel 1 first, in channel 0 later; channel 0 counts.
    std::vector<float> samples(600 * 3, 0.1f);
    samples[100 * 3 + 1] = -0.8f;
    samples[500 * 3 + 0] = 0.8f;
    samples[550 * 3 + 2] = 0.5f;
    const QString path =
        write("three.wav", riff(chunk("fmt ", fmtBody(1, 3, 8000, 16)) + chunk("data", pcm16(samples))));
    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    input.createPeakVector();
    const PeakVector& peaks = *input.peakVector();
    QCOMPARE(peaks.peakChannels(), 3);
    QCOMPARE(input.ebuEnvelope()->posPeakOfPeaks(), 500);
    QVERIFY(std::fabs(peaks.peakInfo(0, 1).min + 0.8f) < 1e-3f);
    QVERIFY(std::fabs(peaks.peakInfo(1, 0).max - 0.8f) < 1e-3f);
    QVERIFY(std::fabs(peaks.peakInfo(2, 2).max - 0.5f) < 1e-3f);
    QVERIFY(std::fabs(peaks.peakInfo(2, 0).max - 0.1f) < 1e-3f);
}

void TestFileInput::testTimeReferenceBeyondDay()
{
    // 2^50 samples at 48 kHz and 30 fps are 703,687,441,776 frames: 08:27:39:06 within the day.
    QByteArray bext(602, '\0');
    bext.replace(342, 4, le(1u << 18, 4));
    const QString path = write("far.wav", riff(chunk("bext", bext) + chunk("fmt ", fmtBody(1, 1, 48000, 16)) +
                                               chunk("data", pcm16({0.0f, 0.0f}))));
    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    QCOMPARE(input.ebuInfo()->timeReference(), 1ll << 50);
    QCOMPARE(input.start(), QString("08:27:39:06"));
    QCOMPARE(input.absoluteTimecode(48000 * 3600), QString("09:27:39:06"));
}

TRELVANIC_TEST_MAIN(TestFileInput)
#include "tst_fileinput.moc"
