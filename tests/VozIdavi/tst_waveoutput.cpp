#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Output/WaveOutput.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

using namespace ZADovuzIdida;
using namespace VozIdaviTest;

namespace {

// Reads a file with python's wave module: parameters and every sample as an integer.
const char* const kWaveDump = R"(
import wave, sys, json, struct
w = wave.open(sys.argv[1], 'rb')
p = w.getparams()
d = w.readframes(p.nframes)
sw = p.sampwidth
if sw == 1:
    v = list(d)
elif sw == 2:
    v = list(struct.unpack('<%dh' % (len(d) // 2), d))
elif sw == 3:
    v = [int.from_bytes(d[i:i + 3], 'little', signed=True) for i in range(0, len(d), 3)]
else:
    v = list(struct.unpack('<%di' % (len(d) // 4), d))
print(json.dumps({'channels': p.nchannels, 'width': sw, 'rate': p.framerate, 'frames': p.nframes, 'samples': v}))
)";

// Walks the RIFF chunks with python's struct module and decodes the levl chunk.
const char* const kChunkDump = R"(
import sys, struct, json
d = open(sys.argv[1], 'rb').read()
out = {'length': len(d), 'riff': struct.unpack('<I', d[4:8])[0], 'wave': d[8:12].decode('latin-1'), 'chunks': []}
pos = 12
while pos + 8 <= len(d):
    cid = d[pos:pos + 4].decode('latin-1')
    size = struct.unpack('<I', d[pos + 4:pos + 8])[0]
    out['chunks'].append([cid, pos, size])
    if cid == 'levl':
        h = struct.unpack('<8I', d[pos + 8:pos + 40])
        out['levl'] = {'version': h[0], 'format': h[1], 'points': h[2], 'block': h[3], 'channels': h[4],
                       'frames': h[5], 'peakpos': h[6], 'offset': h[7],
                       'stamp': d[pos + 40:pos + 68].decode('latin-1'),
                       'reserved': list(d[pos + 68:pos + 128])}
        body = d[pos + 128:pos + 8 + size]
        out['levl']['values'] = list(body) if h[1] == 1 else list(struct.unpack('<%dH' % (len(body) // 2), body))
    pos += 8 + size + (size & 1)
out['end'] = pos
print(json.dumps(out))
)";

QJsonObject runJson(const char* script, const QString& path)
{
    const TestKit::ToolResult result = python(QString::fromLatin1(script), {path});
    if (result.exitCode != 0)
        qWarning() << "python failed:" << result.err;
    return QJsonDocument::fromJson(result.out).object();
}

std::vector<qint64> samplesOf(const QJsonObject& dump)
{
    std::vector<qint64> samples;
    for (const QJsonValue& v : dump.value("samples").toArray())
        samples.push_back(qint64(v.toDouble()));
    return samples;
}

QJsonArray chunk(const QJsonObject& dump, const QString& id)
{
    for (const QJsonValue& v : dump.value("chunks").toArray())
        if (v.toArray().at(0).toString() == id)
            return v.toArray();
    return QJsonArray();
}

// The stored value of one float as the writer defines it: scale, clip, truncate; NaN is silence.
qint64 expectedSample(float x, int bits)
{
    if (bits == 8) {
        const float p = (x + 1.0f) * 128.0f;
        return std::isnan(p) ? 128 : qint64(std::min(255.0f, std::max(0.0f, p)));
    }
    const float full = std::ldexp(1.0f, bits - 1);
    const float p = x * full;
    if (std::isnan(p))
        return 0;
    if (bits == 32)
        return p >= full ? INT_MAX : (p <= -full ? INT_MIN : qint64(p));
    return qint64(std::min(full - 1.0f, std::max(1.0f - full, p)));
}

std::vector<float> sweep(int n)
{
    std::vector<float> values(n);
    for (int i = 0; i < n; ++i)
        values[i] = -1.2f + 2.4f * float(i) / float(n - 1);
    return values;
}

// A deterministic signal per channel, with one loud sample above full scale at frame 700.
std::vector<float> signal(int frames, int channels)
{
    std::vector<float> values(size_t(frames) * channels);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            values[size_t(f) * channels + c] =
                float(0.8 * std::sin(0.01 * f * (c + 1)) * (0.3 + 0.7 * ((f / 300) % 3) / 2.0));
    if (frames > 700)
        values[size_t(700) * channels] = 1.4f;
    return values;
}

QString sndfileInfo(const QString& path)
{
    return QString::fromLocal8Bit(TestKit::runTool("sndfile-info", {path}).out);
}

// True when sndfile-info finds no wrong chunk size; an odd data length is the only remark allowed.
bool sizesClean(const QString& info)
{
    for (const QString& line : info.split('\n'))
        if (line.contains("should be") && line != "*** 'data' chunk should be an even number of bytes in length.")
            return false;
    return info.contains("\nEnd");
}

QString toolOut(const QString& program, const QStringList& args)
{
    return QString::fromLocal8Bit(TestKit::runTool(program, args).out).trimmed();
}

QByteArray local(const QString& path) { return QFile::encodeName(path); }

// Writes one whole file the way the output stage does; true when every step succeeded.
bool writeWave(const QString& path, const Settings& settings, std::vector<float> samples,
               const QString& comment = QString(), MTools::Handle<EBUInfo> info = MTools::Handle<EBUInfo>(),
               int envelopeFormat = 2)
{
    WaveOutput output(local(path).constData(), settings, comment, info, true);
    output.setEnvelopeFormat(EBUEnvelope::Format(envelopeFormat));
    const bool bWritten = output.write(samples.data(), int(samples.size()));
    return output.close() && bWritten;
}

// An output that refuses files beyond a small size, to reach the 4 GiB rule cheaply.
class SmallLimitOutput : public WaveOutput
{
public:
    SmallLimitOutput(const char* path, const Settings& settings, quint64 limit)
        : WaveOutput(path, settings, QString(), MTools::Handle<EBUInfo>(), true), m_nLimit(limit)
    {
    }

protected:
    quint64 riffSizeLimit() const override { return m_nLimit; }

private:
    quint64 m_nLimit;
};

} // namespace

class TestWaveOutput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testDefaultLayout();
    void testFormats_data();
    void testFormats();
    void testComment_data();
    void testComment();
    void testBextReadBack();
    void testOddSizes();
    void testPeaksAgainstData_data();
    void testPeaksAgainstData();
    void testCreateAgainStartsFresh();
    void testUnsupportedSettings();
    void testLayoutChangeRefused();
    void testSizeLimit();
    void testShortWrite();
    void testCreateFailure();
    void testFloatFormat();
    void testTimecodes();
    void testDestructorClosesAndPaths();

private:
    QTemporaryDir m_dir;
};

void TestWaveOutput::initTestCase()
{
    QCoreApplication::setApplicationName("Trelvanic");
    QCoreApplication::setApplicationVersion("1.0.2");
    QVERIFY(m_dir.isValid());
}

void TestWaveOutput::testDefaultLayout()
{
    const QString path = m_dir.filePath("default.wav");
    std::vector<float> samples = signal(1000, 2);
    {
        WaveOutput output(local(path).constData(), Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(),
                          true);
        QVERIFY(output.ok());
        QCOMPARE(output.name(), QString("WaveOutput"));
        QVERIFY(output.write(samples.data(), 1000));
        QVERIFY(output.write(samples.data() + 1000, 1000));
        QCOMPARE(output.numSamples(), 2000ull);
        QVERIFY(output.close());
        QVERIFY(!output.close());
        QVERIFY(!output.write(samples.data(), 2));
    }
    const QJsonObject dump = runJson(kChunkDump, path);
    QCOMPARE(dump.value("riff").toInt(), dump.value("length").toInt() - 8);
    QCOMPARE(dump.value("end").toInt(), dump.value("length").toInt());
    QCOMPARE(dump.value("chunks").toArray(),
             (QJsonArray{QJsonArray{"bext", 12, 634}, QJsonArray{"fmt ", 654, 16}, QJsonArray{"data", 678, 4000},
                         QJsonArray{"levl", 4686, 152}}));
    const QString info = sndfileInfo(path);
    QVERIFY2(sizesClean(info), qPrintable(info));
    for (const char* line : {"bext : 634", "fmt  : 16", "0x1 => WAVE_FORMAT_PCM", "data : 4000", "levl : 152"})
        QVERIFY2(info.contains(line), line);
    QCOMPARE(toolOut("ffprobe", {"-v", "error", "-show_entries",
                                 "stream=codec_name,sample_rate,channels,bits_per_sample,duration_ts", "-of",
                                 "compact=p=0", path}),
             QString("codec_name=pcm_s16le|sample_rate=48000|channels=2|bits_per_sample=16|duration_ts=1000"));
    QCOMPARE(toolOut("soxi", {"-s", path}), QString("1000"));

    // sox's peak is the largest stored sample as python's wave module reads it.
    qint64 largest = 0;
    for (qint64 v : samplesOf(runJson(kWaveDump, path)))
        largest = std::max(largest, qint64(std::llabs(v)));
    const QString stat = QString::fromLocal8Bit(TestKit::runTool("sox", {path, "-n", "stat"}).err);
    QVERIFY2(QRegularExpression("Samples read:\\s+2000\\n").match(stat).hasMatch(), qPrintable(stat));
    const QRegularExpressionMatch amplitude = QRegularExpression("Maximum amplitude:\\s+([0-9.]+)").match(stat);
    QVERIFY(amplitude.hasMatch() && std::fabs(amplitude.captured(1).toDouble() - largest / 32768.0) < 1e-4);

    // Closed right away: no data, one empty peak pair per channel.
    const QString empty = m_dir.filePath("empty.wav");
    QVERIFY(writeWave(empty, Settings(48000, 2, 1, 16), {}));
    QCOMPARE(QFileInfo(empty).size(), 822);
    const QJsonObject levl = runJson(kChunkDump, empty).value("levl").toObject();
    QCOMPARE(levl.value("frames").toInt(), 1);
    QCOMPARE(levl.value("values").toArray(), (QJsonArray{0, 0, 0, 0}));
    QVERIFY(sizesClean(sndfileInfo(empty)));
}

void TestWaveOutput::testFormats_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    for (int bits : {8, 16, 24, 32})
        for (int channels : {1, 2, 6})
            QTest::newRow(qPrintable(QString("%1 bits %2 ch").arg(bits).arg(channels)))
                << bits << channels << (channels == 6 ? 96000 : (channels == 1 ? 8000 : 44100));
}

// Stored samples equal the writer's rule exactly and lie within 1 LSB of sox's rounding conversion.
void TestWaveOutput::testFormats()
{
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(int, rate);
    const QString path = m_dir.filePath(QString("f%1_%2.wav").arg(bits).arg(channels));
    const int frames = 777;
    std::vector<float> samples = sweep(frames * channels);
    samples[0] = std::numeric_limits<float>::quiet_NaN();
    samples[2] = 1.0f;
    std::vector<float> written = samples;
    {
        WaveOutput output(local(path).constData(), Settings(rate, short(channels), 1, short(bits)), QString(),
                          MTools::Handle<EBUInfo>(), true);
        QCOMPARE(output.settings().fmt(), short(bits == 24 ? 2048 : (bits == 8 ? 8 : 16)));
        QVERIFY(output.write(written.data(), int(written.size())));
        QVERIFY(output.close());
    }
    QVERIFY2(std::equal(samples.begin() + 1, samples.end(), written.begin() + 1), "the input must stay unchanged");

    const QString info = sndfileInfo(path);
    QVERIFY2(sizesClean(info), qPrintable(info));
    QVERIFY(info.contains(QString("Block Align   : %1").arg(bits / 8 * channels)));
    QVERIFY(info.contains(QString("Bit Width     : %1").arg(bits)));
    const QString codec = bits == 8 ? "pcm_u8" : QString("pcm_s%1le").arg(bits);
    QCOMPARE(toolOut("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,channels,sample_rate", "-of",
                                 "compact=p=0", path}),
             QString("codec_name=%1|sample_rate=%2|channels=%3").arg(codec).arg(rate).arg(channels));
    QCOMPARE(toolOut("soxi", {"-s", path}), QString::number(frames));

    const QJsonObject wave = runJson(kWaveDump, path);
    QCOMPARE(wave.value("channels").toInt(), channels);
    QCOMPARE(wave.value("width").toInt(), bits / 8);
    QCOMPARE(wave.value("rate").toInt(), rate);
    const std::vector<qint64> stored = samplesOf(wave);
    QCOMPARE(stored.size(), samples.size());
    for (size_t i = 0; i < stored.size(); ++i)
        QCOMPARE(stored[i], expectedSample(samples[i], bits));
    QCOMPARE(stored[0], qint64(bits == 8 ? 128 : 0));
    if (bits == 32)
        QCOMPARE(stored[2], qint64(INT_MAX));

    const QString floats = m_dir.filePath("sweep.f32");
    const QString ref = m_dir.filePath("ref.raw");
    QVERIFY(
        writeAll(floats, QByteArray(reinterpret_cast<const char*>(samples.data() + 1), int(samples.size() - 1) * 4)));
    const QString soxType = bits == 8 ? "u8" : QString("s%1").arg(bits);
    QCOMPARE(
        TestKit::runTool("sox", {"-D", "-t", "f32", "-r", "48000", "-c", "1", floats, "-t", soxType, ref}).exitCode, 0);
    const QByteArray reference = readAll(ref);
    const int width = bits / 8;
    QCOMPARE(reference.size(), int(samples.size() - 1) * width);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(reference.constData());
    for (size_t i = 1; i < stored.size(); ++i) {
        qint64 value = 0;
        for (int b = width - 1; b >= 0; --b)
            value = (value << 8) | p[(i - 1) * width + b];
        if (bits > 8 && (value >> (bits - 1)) & 1)
            value -= qint64(1) << bits;
        QVERIFY2(std::llabs(stored[i] - value) <= 1,
                 qPrintable(QString("sample %1: ours %2, sox %3").arg(i).arg(stored[i]).arg(value)));
    }
}

void TestWaveOutput::testComment_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<int>("listSize");
    QTest::newRow("3 bytes") << "abc" << 16;
    QTest::newRow("4 bytes, padded") << "abcd" << 18;
}

void TestWaveOutput::testComment()
{
    QFETCH(QString, comment);
    QFETCH(int, listSize);
    const QString path = m_dir.filePath("comment.wav");
    QVERIFY(writeWave(path, Settings(48000, 2, 1, 16), signal(300, 2), comment));
    const QJsonObject dump = runJson(kChunkDump, path);
    QCOMPARE(chunk(dump, "LIST"), (QJsonArray{"LIST", 654, listSize}));
    QCOMPARE(chunk(dump, "fmt ").at(1).toInt(), 654 + 8 + listSize);
    QCOMPARE(readAll(path).mid(662, 12 + comment.size() + 1), "INFOICMT" + QByteArray(1, char(comment.size() + 1)) +
                                                                  QByteArray(3, '\0') + comment.toLatin1() +
                                                                  QByteArray(1, '\0'));
    const QString info = sndfileInfo(path);
    QVERIFY2(sizesClean(info) && info.contains(QString("LIST : %1").arg(listSize)), qPrintable(info));
    const QString meta = toolOut("sndfile-metadata-get", {"--str-comment", path});
    QVERIFY2(QRegularExpression("^Comment\\s*: " + comment + "$").match(meta).hasMatch(), qPrintable(meta));
    QCOMPARE(
        toolOut("ffprobe", {"-v", "error", "-show_entries", "format_tags=comment", "-of", "default=nw=1:nk=1", path}),
        comment);
    QCOMPARE(runJson(kWaveDump, path).value("frames").toInt(), 300);
}

void TestWaveOutput::testBextReadBack()
{
    const QString path = m_dir.filePath("bext.wav");
    QVERIFY(writeWave(path, Settings(48000, 2, 1, 16), signal(512, 2), QString(),
                      MTools::Handle<EBUInfo>(new EBUInfo((1ll << 32) + 5, 25.0f))));
    const QString meta =
        toolOut("sndfile-metadata-get", {"--bext-description", "--bext-originator", "--bext-orig-ref",
                                         "--bext-orig-date", "--bext-orig-time", "--bext-coding-hist", path});
    const auto line = [&meta](const QString& label, const QString& value) {
        return QRegularExpression("(^|\\n)" + label + "\\s*: " + value + "\\s*(\\n|$)").match(meta).hasMatch();
    };
    QVERIFY2(line("Originator", "ZEMBREL"), qPrintable(meta));
    QVERIFY(line("Origination ref", "Trelvanic:"));
    QVERIFY(line("Origination date", QDate::currentDate().toString("yyyy-MM-dd")));
    QVERIFY(line("Origination time", "\\d\\d:\\d\\d:\\d\\d"));
    QVERIFY(line("Coding history", "A=PCM,F=48000,W=16,M=stereo,T="));
    QVERIFY(meta.contains("sSPEED=25.000-ND"));
    // Month and day without leading zeros, and no doubled slash from a padded build date.
    QVERIFY2(QRegularExpression("sSWVER=1\\.0\\.2\\.[1-9]\\d?/[1-9]\\d?/\\d{4}\\r?\\n").match(meta).hasMatch(),
             qPrintable(meta));

    const auto probe =
        TestKit::runTool("ffprobe", {"-v", "error", "-show_entries", "format_tags", "-of", "json", path});
    const QJsonObject tags =
        QJsonDocument::fromJson(probe.out).object().value("format").toObject().value("tags").toObject();
    QCOMPARE(tags.value("encoded_by").toString(), QString("ZEMBREL"));
    QCOMPARE(tags.value("originator_reference").toString(), QString("Trelvanic:"));
    QCOMPARE(tags.value("time_reference").toString(), QString("4294967301"));
    QCOMPARE(tags.value("date").toString(), QDate::currentDate().toString("yyyy-MM-dd"));
    QVERIFY(tags.value("coding_history").toString().startsWith("A=PCM,F=48000,W=16,M=stereo,T="));
    QVERIFY(tags.value("comment").toString().contains("sSPEED=25.000-ND"));
}

// An odd data chunk and an odd bext chunk both get their pad byte.
void TestWaveOutput::testOddSizes()
{
    const QString odd = m_dir.filePath("odd8.wav");
    QVERIFY(writeWave(odd, Settings(8000, 1, 1, 8), {-1.0f, 0.0f, 1.0f}));
    QJsonObject dump = runJson(kChunkDump, odd);
    QCOMPARE(dump.value("riff").toInt(), dump.value("length").toInt() - 8);
    QCOMPARE(chunk(dump, "bext").at(2).toInt(), 630);
    QCOMPARE(chunk(dump, "levl").at(1).toInt(), chunk(dump, "data").at(1).toInt() + 8 + 3 + 1);
    QString info = sndfileInfo(odd);
    QVERIFY2(sizesClean(info) && info.contains("data : 3\n"), qPrintable(info));
    QCOMPARE(samplesOf(runJson(kWaveDump, odd)), (std::vector<qint64>{0, 128, 255}));

    const QString wide = m_dir.filePath("odd_bext.wav");
    QVERIFY(writeWave(wide, Settings(192000, 2, 1, 16), signal(600, 2)));
    info = sndfileInfo(wide);
    QVERIFY2(sizesClean(info), qPrintable(info));
    QVERIFY(info.contains("bext : 635") && info.contains("fmt  : 16") && info.contains("data : 2400"));
    QCOMPARE(chunk(runJson(kChunkDump, wide), "fmt ").at(1).toInt(), 12 + 8 + 636);
    QCOMPARE(toolOut("soxi", {"-s", wide}), QString("600"));
}

void TestWaveOutput::testPeaksAgainstData_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("format");
    QTest::newRow("1000 stereo 16") << 1000 << 2 << 2;
    QTest::newRow("512 stereo 16") << 512 << 2 << 2;
    QTest::newRow("3000 6ch 16") << 3000 << 6 << 2;
    QTest::newRow("1000 mono 8") << 1000 << 1 << 1;
}

// The levl values, parsed by python, against the min and max of each 256-frame block that python's wave reads.
void TestWaveOutput::testPeaksAgainstData()
{
    QFETCH(int, frames);
    QFETCH(int, channels);
    QFETCH(int, format);
    const QString path = m_dir.filePath("peaks.wav");
    std::vector<float> samples = signal(frames, channels);
    {
        WaveOutput output(local(path).constData(), Settings(48000, short(channels), 1, 16), QString(),
                          MTools::Handle<EBUInfo>(), true);
        output.setEnvelopeFormat(EBUEnvelope::Format(format));
        // Uneven block sizes, so that peak blocks span several writes.
        for (int done = 0, step = 37; done < frames; done += step, step = step * 3 % 1001 + 1)
            QVERIFY(output.write(samples.data() + size_t(done) * channels, std::min(step, frames - done) * channels));
        QVERIFY(output.close());
    }
    const QJsonObject dump = runJson(kChunkDump, path);
    const QJsonObject levl = dump.value("levl").toObject();
    const int pairs = frames / 256 + 1;
    QCOMPARE(levl.value("version").toInt(), 0);
    QCOMPARE(levl.value("format").toInt(), format);
    QCOMPARE(levl.value("points").toInt(), 2);
    QCOMPARE(levl.value("block").toInt(), 256);
    QCOMPARE(levl.value("channels").toInt(), channels);
    QCOMPARE(levl.value("frames").toInt(), pairs);
    QCOMPARE(levl.value("offset").toInt(), 128);
    if (frames > 700)
        QCOMPARE(levl.value("peakpos").toInt(), 700);
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d_\\d\\d:\\d\\d:\\d\\d:\\d{3}\\x00{5}$")
                 .match(levl.value("stamp").toString())
                 .hasMatch(),
             qPrintable(levl.value("stamp").toString()));
    const QJsonArray values = levl.value("values").toArray();
    QCOMPARE(values.size(), pairs * channels * 2);
    QCOMPARE(chunk(dump, "levl").at(2).toInt(), 120 + values.size() * format);

    const std::vector<qint64> stored = samplesOf(runJson(kWaveDump, path));
    const double scale = format == 2 ? 65535.0 : 255.0;
    const double tolerance = format == 2 ? 3.0 : 1.0;
    for (int x = 0; x < pairs; ++x) {
        for (int c = 0; c < channels; ++c) {
            double lowest = 0.0;
            double highest = 0.0;
            for (int f = x * 256; f < std::min(frames, x * 256 + 256); ++f) {
                const double v = double(stored[size_t(f) * channels + c]) / 32768.0;
                lowest = std::min(lowest, v);
                highest = std::max(highest, v);
            }
            const int index = (x * channels + c) * 2;
            const QString where = QString("pair %1 channel %2").arg(x).arg(c);
            QVERIFY2(std::fabs(values[index].toDouble() - std::fabs(lowest) * scale) <= tolerance, qPrintable(where));
            QVERIFY2(std::fabs(values[index + 1].toDouble() - highest * scale) <=
                         tolerance + (highest >= 32767.0 / 32768.0 ? 1 : 0),
                     qPrintable(where));
        }
    }
    // The sample above full scale is clipped, not wrapped.
    if (frames > 700)
        QCOMPARE(values[(700 / 256 * channels) * 2 + 1].toInt(), format == 2 ? 65535 : 255);
    if (frames % 256 == 0)
        for (int c = 0; c < channels * 2; ++c)
            QCOMPARE(values[(pairs - 1) * channels * 2 + c].toInt(), 0);

    // The first strictly greater magnitude wins, channel by channel: (0.1, -0.9), (0.9, 0.2) gives position 1.
    QVERIFY(writeWave(path, Settings(48000, 2, 1, 16), {0.1f, -0.9f, 0.9f, 0.2f}));
    QCOMPARE(runJson(kChunkDump, path).value("levl").toObject().value("peakpos").toInt(), 1);
}

void TestWaveOutput::testCreateAgainStartsFresh()
{
    const QString first = m_dir.filePath("first.wav");
    const QString second = m_dir.filePath("second.wav");
    std::vector<float> loud(1024, 0.9f);
    std::vector<float> quiet(600, 0.1f);
    quiet[301] = 0.2f;
    WaveOutput output(local(first).constData(), Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(), true);
    QVERIFY(output.write(loud.data(), 1024));
    QVERIFY(output.close());
    QVERIFY(output.create(local(second).constData()));
    QVERIFY(!output.create(local(first).constData()));
    QVERIFY(output.write(quiet.data(), 600));
    QCOMPARE(output.fileInfo().dataSize(), 1200ull);
    QVERIFY(output.close());

    const QJsonObject levl = runJson(kChunkDump, second).value("levl").toObject();
    QCOMPARE(levl.value("frames").toInt(), 2);
    QCOMPARE(levl.value("peakpos").toInt(), 150);
    for (const QJsonValue& v : levl.value("values").toArray())
        QVERIFY(v.toInt() <= int(0.2f * 65535.0f));
    QCOMPARE(runJson(kWaveDump, second).value("frames").toInt(), 300);
    QVERIFY(sizesClean(sndfileInfo(second)));
    QCOMPARE(runJson(kWaveDump, first).value("frames").toInt(), 512);
}

void TestWaveOutput::testUnsupportedSettings()
{
    float x[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    for (int bits : {12, 20, 4, 0}) {
        const QString path = m_dir.filePath(QString("bits%1.wav").arg(bits));
        WaveOutput output(local(path).constData(), Settings(48000, 2, 1, short(bits)), QString(),
                          MTools::Handle<EBUInfo>(), true);
        QVERIFY(!output.ok() && !output.errorString().isEmpty());
        QVERIFY(!QFile::exists(path));
        QVERIFY(!output.write(x, 2));
        QVERIFY(!output.close());
    }
    const ChildResult child = runInChild([this] {
        WaveOutput output(local(m_dir.filePath("bits12.wav")).constData(), Settings(48000, 2, 1, 12), QString(),
                          MTools::Handle<EBUInfo>(), true);
    });
    QVERIFY(!child.aborted);
    QVERIFY2(child.err.contains("WaveOutput::write() Error: the following settings are not supported;\n"),
             child.err.constData());
    QVERIFY(child.err.contains("Can not create the ouput file:"));

    // A 24-bit file switched to a 16-bit code after its header was written takes no data.
    const QString path = m_dir.filePath("fmt16_24.wav");
    WaveOutput output(local(path).constData(), Settings(48000, 1, 1, 24), QString(), MTools::Handle<EBUInfo>(), true);
    Settings changed = output.settings();
    changed.setFmt(16);
    output.setSettings(changed);
    QVERIFY(!output.write(x, 4));
    QCOMPARE(output.fileInfo().dataSize(), 0ull);
    QVERIFY(!output.close());
    QVERIFY(sizesClean(sndfileInfo(path)));
    QCOMPARE(runJson(kWaveDump, path).value("frames").toInt(), 0);
}

// While a file is open its layout stays; without one the change is taken, and the next file follows it.
void TestWaveOutput::testLayoutChangeRefused()
{
    const QString path = m_dir.filePath("layout.wav");
    WaveOutput output(local(path).constData(), Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(), true);
    output.setSettings(Settings(44100, 6, 16, 16));
    QVERIFY(output.settings() == Settings(48000, 2, 16, 16));
    std::vector<float> samples = signal(400, 2);
    QVERIFY(output.write(samples.data(), 800));
    QVERIFY(output.close());
    QVERIFY(sizesClean(sndfileInfo(path)));

    output.setSettings(Settings(44100, 6, 2048, 24));
    QVERIFY(output.create(local(path).constData()));
    std::vector<float> six = signal(300, 6);
    QVERIFY(output.write(six.data(), 1800));
    QVERIFY(output.close());
    const QJsonObject wave = runJson(kWaveDump, path);
    QCOMPARE(wave.value("channels").toInt(), 6);
    QCOMPARE(wave.value("width").toInt(), 3);
    QCOMPARE(runJson(kChunkDump, path).value("levl").toObject().value("channels").toInt(), 6);
}

void TestWaveOutput::testSizeLimit()
{
    const QString path = m_dir.filePath("limit.wav");
    const quint64 limit = 20000;
    std::vector<float> block = signal(1000, 2);
    SmallLimitOutput output(local(path).constData(), Settings(48000, 2, 1, 16), limit);
    int accepted = 0;
    while (accepted < 10 && output.write(block.data(), 2000))
        ++accepted;
    QVERIFY(accepted >= 3 && accepted < 10);
    QVERIFY(!output.ok());
    QVERIFY(output.errorString().contains("4 GiB"));
    QVERIFY(!output.write(block.data(), 2));
    QCOMPARE(output.fileInfo().dataSize(), quint64(accepted) * 4000);
    QVERIFY(!output.close());

    const QJsonObject dump = runJson(kChunkDump, path);
    QVERIFY(quint64(dump.value("riff").toInt()) <= limit);
    QCOMPARE(dump.value("riff").toInt(), dump.value("length").toInt() - 8);
    QCOMPARE(dump.value("end").toInt(), dump.value("length").toInt());
    const QString info = sndfileInfo(path);
    QVERIFY2(sizesClean(info), qPrintable(info));
    QCOMPARE(runJson(kWaveDump, path).value("frames").toInt(), accepted * 1000);
}

void TestWaveOutput::testShortWrite()
{
    std::vector<float> block = signal(48000, 2);
    WaveOutput output("/dev/full", Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(), true);
    bool bAllWritten = true;
    for (int i = 0; i < 4 && bAllWritten; ++i)
        bAllWritten = output.write(block.data(), int(block.size()));
    QVERIFY(!bAllWritten);
    QVERIFY(!output.ok());
    QVERIFY(output.fileInfo().dataSize() < 4ull * 192000);
    QVERIFY(!output.close());
}

void TestWaveOutput::testCreateFailure()
{
    const QString path = m_dir.filePath("no/such/folder/out.wav");
    const ChildResult child = runInChild([path] {
        WaveOutput output(local(path).constData(), Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(),
                          true);
    });
    QVERIFY(child.err.contains(("WaveOutput: create error of the " + path + "\n").toLocal8Bit()));
    QVERIFY(child.err.contains(("Can not create the ouput file:  \"" + path + "\"").toLocal8Bit()));

    WaveOutput output(local(path).constData(), Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(), true);
    float x[2] = {0.5f, 0.5f};
    QVERIFY(!output.ok());
    QVERIFY(!output.write(x, 2));
    QVERIFY(!output.write(reinterpret_cast<char*>(x), 8));
    QVERIFY(!output.close());
    QVERIFY(output.create(local(m_dir.filePath("recovered.wav")).constData()));
    QVERIFY(output.write(x, 2));
    QVERIFY(output.close());
}

// Code 32 (floats) is written under the IEEE float tag, and ffmpeg reads back the very floats.
void TestWaveOutput::testFloatFormat()
{
    const QString path = m_dir.filePath("float.wav");
    std::vector<float> samples = sweep(1000);
    WaveOutput output(local(m_dir.filePath("scratch.wav")).constData(), Settings(48000, 1, 1, 32), QString(),
                      MTools::Handle<EBUInfo>(), true);
    QVERIFY(output.close());
    output.setSettings(Settings(48000, 1, 32, 32));
    QVERIFY(output.create(local(path).constData()));
    QVERIFY(output.write(samples.data(), 1000));
    QVERIFY(output.close());
    QVERIFY(sndfileInfo(path).contains("WAVE_FORMAT_IEEE_FLOAT"));
    const auto decoded =
        TestKit::runTool("ffmpeg", {"-v", "error", "-i", path, "-f", "f32le", "-c:a", "pcm_f32le", "-"});
    QCOMPARE(decoded.out, QByteArray(reinterpret_cast<const char*>(samples.data()), 4000));
}

// Timecodes use the record's rate, else the production's; an unset rate (-1) never counts backwards.
void TestWaveOutput::testTimecodes()
{
    const QString path = m_dir.filePath("tc.wav");
    std::vector<float> second(48000 * 2, 0.0f);
    {
        WaveOutput output(local(path).constData(), Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(),
                          true);
        QCOMPARE(output.fps(), -1.0f);
        QVERIFY(output.write(second.data(), int(second.size())));
        QVERIFY(output.write(second.data(), 48000));
        QCOMPARE(output.duration(), QString("00:00:01:15"));
        QCOMPARE(output.timecode(24000), QString("00:00:00:15"));
        QCOMPARE(output.start(), QString("00:00:00:00"));
        QVERIFY(output.close());
    }
    MTools::Handle<EBUInfo> info(new EBUInfo(48000ll * 3600, 25.0f));
    WaveOutput output(local(path).constData(), Settings(48000, 2, 1, 16), QString(), info, false);
    QCOMPARE(output.start(), QString("01:00:00:00"));
    QCOMPARE(output.timecode(24000), QString("00:00:00:12"));
    QVERIFY(output.write(second.data(), int(second.size())));
    QCOMPARE(output.duration(), QString("00:00:01:00"));
    QVERIFY(output.close());
    // Without makeEbuInfo the given record is written as it is.
    const QString meta = toolOut("sndfile-metadata-get", {"--bext-description", "--bext-coding-hist", path});
    QVERIFY2(meta.contains("sSPEED=25") && !meta.contains("A=PCM"), qPrintable(meta));

    // No record at all: no bext chunk.
    const QString plain = m_dir.filePath("plain.wav");
    WaveOutput bare(local(plain).constData(), Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(), false);
    QVERIFY(bare.write(second.data(), 9600));
    QCOMPARE(bare.duration(), QString("00:00:00:03"));
    QVERIFY(bare.close());
    QCOMPARE(runJson(kChunkDump, plain).value("chunks").toArray().at(0).toArray().at(0).toString(), QString("fmt "));
    QVERIFY(sizesClean(sndfileInfo(plain)));
}

// Paths with '#', '%' and '?' stay whole; the destructor closes an open file.
void TestWaveOutput::testDestructorClosesAndPaths()
{
    const QString path = m_dir.filePath("we#ird %41 name?.wav");
    std::vector<float> samples = signal(300, 2);
    {
        WaveOutput output(local(path).constData(), Settings(48000, 2, 1, 16), QString(), MTools::Handle<EBUInfo>(),
                          true);
        QCOMPARE(output.fileInfo().url().toLocalFile(), path);
        QVERIFY(output.write(samples.data(), 600));
        const QString side = m_dir.filePath("side.levl");
        QVERIFY(output.saveEnvelope(local(side).constData()));
        QCOMPARE(int(le32(readAll(side), 28)), 1);
    }
    const QJsonObject dump = runJson(kChunkDump, path);
    QCOMPARE(dump.value("riff").toInt(), dump.value("length").toInt() - 8);
    QCOMPARE(chunk(dump, "data").at(2).toInt(), 1200);
    QCOMPARE(dump.value("levl").toObject().value("frames").toInt(), 2);
}

TRELVANIC_TEST_MAIN(TestWaveOutput)
#include "tst_waveoutput.moc"
