#include "InjectedFaults.h"
#include "TestMain.h"
#include "Tools.h"

#include <QDataStream>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <afconvert/DecodedPeak.h>
#include <afconvert/WorkingFile.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// sh -c Script sh RATE CHANNELS BITS PARTS UNIT OUT: tones in pink noise, PARTS parts of 4.2 UNIT milliseconds, and
// before each join a quiet stretch and then a long dense one, after which an encoder's slowest state has to settle;
// undithered, as the program writes its wave files.
const char* const kSplitScript = R"(set -e
rate=$1; channels=$2; bits=$3; parts=$4; unit=$5; out=$6; t=$(mktemp -d); trap 'rm -rf "$t"' EXIT
seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }
part=$((unit * 21 / 5))
s="sox -R -D -n -r $rate -c $channels -b $bits"
$s $t/m.wav synth $(seconds $part) sine 440 sine 660 synth $(seconds $part) pinknoise mix gain -10
$s $t/q.wav synth $(seconds $((unit * 2 / 5))) pinknoise gain -55
$s $t/d.wav synth $(seconds $((unit / 2))) whitenoise synth $(seconds $((unit / 2))) sawtooth mix 110 gain -6
sox $t/m.wav $t/h.wav trim 0 $(seconds $((part - unit * 9 / 10)))
files=""
for k in $(seq 2 $parts); do files="$files $t/h.wav $t/q.wav $t/d.wav"; done
sox $files $t/m.wav "$out"
)";

// python3 -c Script TOOL ARGS...: prints the tool's exit code and its peak resident memory in KiB.
const char* const kPeakScript = "import resource, subprocess, sys\n"
                                "code = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL).returncode\n"
                                "print(code, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n";

} // namespace

class TestAfconvert : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strTool;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    bool writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    TestKit::ToolResult afconvert(const QStringList& args) { return TestKit::runTool(m_strTool, args); }

    void noise(const QString& file, int rate, int channels, int bits, double seconds)
    {
        const TestKit::ToolResult result = TestKit::runTool(
            "sox", {"-n", "-r", QString::number(rate), "-c", QString::number(channels), "-b", QString::number(bits),
                    file, "synth", QString::number(seconds), "pinknoise", "vol", "0.5"});
        QVERIFY2(result.exitCode == 0, result.err.constData());
    }

    QJsonObject ffprobe(const QString& file)
    {
        const TestKit::ToolResult result = TestKit::runTool(
            "ffprobe", {"-v", "error", "-show_entries",
                        "stream=codec_name,profile,sample_rate,channels,bit_rate:format=format_name,duration:"
                        "format_tags=major_brand",
                        "-of", "json", file});
        return QJsonDocument::fromJson(result.out).object();
    }

    // The sound of file as ffmpeg decodes it: interleaved floats.
    QByteArray decode(const QString& file)
    {
        return TestKit::runTool("ffmpeg", {"-v", "error", "-i", file, "-f", "f32le", "-"}, 600000).out;
    }

    // The error energy of decoded against source, both as decode() gives them, in each whole frame of 1024 samples;
    // an empty decoded gives the source's energy.
    static QVector<double> frameErrors(const QByteArray& source, const QByteArray& decoded, int channels)
    {
        const float* pSource = reinterpret_cast<const float*>(source.constData());
        const float* pDecoded = reinterpret_cast<const float*>(decoded.constData());
        const int size = source.size() / int(sizeof(float));
        const int decodedSize = decoded.size() / int(sizeof(float));
        QVector<double> errors(size / (1024 * channels));
        for (int i = 0; i < errors.size() * 1024 * channels; ++i)
            errors[i / (1024 * channels)] += std::pow((i < decodedSize ? double(pDecoded[i]) : 0.0) - pSource[i], 2);
        return errors;
    }

    double soxDuration(const QString& file) { return TestKit::runTool("soxi", {"-D", file}).out.trimmed().toDouble(); }

    // The RIFF file the batch writes: bext, LIST/INFO, fmt, data and a trailing levl chunk.
    void writeBroadcastWave(const QString& file, int rate, int frames)
    {
        QByteArray body;
        QDataStream out(&body, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        auto chunk = [&](const char* id, const QByteArray& data) {
            out.writeRawData(id, 4);
            out << quint32(data.size());
            out.writeRawData(data.constData(), data.size());
            if (data.size() % 2)
                out << quint8(0);
        };
        out.writeRawData("WAVE", 4);
        chunk("bext", QByteArray(602, '\0'));
        chunk("LIST", QByteArray("INFOISFT") + QByteArray::fromHex("05000000") + QByteArray("test\0", 5));
        QByteArray format;
        QDataStream fmt(&format, QIODevice::WriteOnly);
        fmt.setByteOrder(QDataStream::LittleEndian);
        fmt << quint16(1) << quint16(2) << quint32(rate) << quint32(rate * 4) << quint16(4) << quint16(16);
        chunk("fmt ", format);
        QByteArray samples(frames * 4, '\0');
        for (int i = 0; i < frames * 2; ++i) {
            const qint16 value = qint16(8000 * std::sin(i / 2 * 2 * M_PI * 440.0 / rate));
            samples[2 * i] = char(value & 0xff);
            samples[2 * i + 1] = char((value >> 8) & 0xff);
        }
        chunk("data", samples);
        chunk("levl", QByteArray(128, '\x01'));
        QFile riff(file);
        QVERIFY(riff.open(QIODevice::WriteOnly));
        QDataStream header(&riff);
        header.setByteOrder(QDataStream::LittleEndian);
        riff.write("RIFF");
        header << quint32(body.size());
        riff.write(body);
    }

    void splitColumns()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("parts");
        QTest::addColumn<int>("unitMs");
        QTest::addColumn<QString>("quality");
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<bool>("busy");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_strTool = QString::fromLocal8Bit(qgetenv("TRELVANIC_BIN_DIR")) + "/afconvert";
        QVERIFY2(QFileInfo(m_strTool).isExecutable(), qPrintable(m_strTool));
    }

    void testEncode_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("bitRate");
        QTest::addColumn<int>("quality");
        QTest::addColumn<bool>("checkBitRate");
        QTest::newRow("44100 stereo 128k") << 44100 << 2 << 16 << 128000 << 127 << true;
        QTest::newRow("48000 mono 24-bit 96k") << 48000 << 1 << 24 << 96000 << 64 << true;
        QTest::newRow("22050 stereo 32-bit fast") << 22050 << 2 << 32 << 64000 << 0 << true;
        QTest::newRow("96000 stereo 256k") << 96000 << 2 << 16 << 256000 << 127 << true;
        QTest::newRow("11025 mono clamped") << 11025 << 1 << 16 << 128000 << 127 << false;
    }

    // Codec, profile, brand, rate, channels, duration and bit rate as ffprobe sees them.
    void testEncode()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, bits);
        QFETCH(int, bitRate);
        QFETCH(int, quality);
        QFETCH(bool, checkBitRate);
        const QString input = path(QString("noise-%1-%2-%3.wav").arg(rate).arg(channels).arg(bits));
        const QString output = path(QString("noise %1.m4a").arg(rate));
        noise(input, rate, channels, bits, 4);
        const TestKit::ToolResult result = afconvert({input, "-o", output, "-q", QString::number(quality), "-b",
                                                      QString::number(bitRate), "-f", "m4af", "-d", "aac"});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QVERIFY(!QFile::exists(output + ".partial"));
        const QJsonObject probe = ffprobe(output);
        const QJsonObject stream = probe["streams"].toArray().at(0).toObject();
        const QJsonObject format = probe["format"].toObject();
        QCOMPARE(stream["codec_name"].toString(), QString("aac"));
        QCOMPARE(stream["profile"].toString(), QString("LC"));
        QCOMPARE(stream["sample_rate"].toString().toInt(), rate);
        QCOMPARE(stream["channels"].toInt(), channels);
        QCOMPARE(format["tags"].toObject()["major_brand"].toString(), QString("M4A "));
        const double duration = format["duration"].toString().toDouble();
        QVERIFY2(std::fabs(duration - soxDuration(input)) <= 0.05, qPrintable(QString::number(duration)));
        if (checkBitRate) {
            const double actual = stream["bit_rate"].toString().toDouble();
            QVERIFY2(std::fabs(actual - bitRate) <= 0.25 * bitRate, qPrintable(QString::number(actual)));
        }
    }

    // The gain moves the decoded level by as much.
    void testGain()
    {
        noise(path("gain.wav"), 44100, 2, 16, 2);
        QCOMPARE(afconvert({path("gain.wav"), "-o", path("plain.m4a")}).exitCode, 0);
        for (const double decibels : {-7.5, 5.0}) {
            const QString output = path(QString("gain %1.m4a").arg(decibels));
            QCOMPARE(afconvert({path("gain.wav"), "-o", output, "--gain", QString::number(decibels)}).exitCode, 0);
            const double moved = TestKit::decodedLevel(output, "RMS") - TestKit::decodedLevel(path("plain.m4a"), "RMS");
            QVERIFY2(std::fabs(moved - decibels) < 0.1, qPrintable(QString::number(moved)));
        }
    }

    void testSplit_data()
    {
        splitColumns();
        QTest::newRow("8 kHz mono 16-bit, three parts, cores lent at start")
            << 8000 << 1 << 16 << 3 << 196608 << "0" << true << false;
        QTest::newRow("22.05 kHz stereo 24-bit, a core lent late")
            << 22050 << 2 << 24 << 2 << 71331 << "0" << false << false;
        QTest::newRow("44.1 kHz stereo 16-bit, cores lent at start, every core busy")
            << 44100 << 2 << 16 << 2 << 35665 << "127" << true << true;
        QTest::newRow("48 kHz mono 24-bit, a core lent late")
            << 48000 << 1 << 24 << 2 << 32768 << "127" << false << false;
    }

    void testSplitShort_data()
    {
        splitColumns();
        QTest::newRow("3 min at 8 kHz mono 16-bit in three parts, cores lent at start")
            << 8000 << 1 << 16 << 3 << 14285 << "0" << true << false;
        QTest::newRow("3 min at 22.05 kHz stereo 16-bit in eight parts, a core lent late")
            << 22050 << 2 << 16 << 8 << 5357 << "127" << false << false;
        QTest::newRow("3 min at 44.1 kHz stereo 24-bit in six parts, every core busy")
            << 44100 << 2 << 24 << 6 << 7142 << "127" << true << true;
        QTest::newRow("3 min at 48 kHz stereo 16-bit in three parts, a core lent late")
            << 48000 << 2 << 16 << 3 << 14285 << "127" << false << false;
    }

    void testSlowSettling_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bitRate");
        QTest::addColumn<bool>("whole");
        QTest::newRow("96 kHz stereo 320k: whole") << 96000 << 2 << 320000 << true;
        QTest::newRow("88.2 kHz mono 192k: whole") << 88200 << 1 << 192000 << true;
        QTest::newRow("96 kHz stereo 256k: in parts") << 96000 << 2 << 256000 << false;
    }

    // Where the rate control settles over minutes, 20 s are too short for two parts of long lead-ins: the split asked
    // for gives the whole encode's bytes.
    void testSlowSettling()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, bitRate);
        QFETCH(bool, whole);
        const QString input = path("slow.wav");
        const TestKit::ToolResult sox =
            TestKit::runTool("sox", {"-R", "-n", "-r", QString::number(rate), "-c", QString::number(channels), "-b",
                                     "16", input, "synth", "20", "pinknoise", "gain", "-10"});
        QVERIFY2(sox.exitCode == 0, sox.err.constData());
        const QStringList args{"-q", "127", "-b", QString::number(bitRate)};
        QCOMPARE(afconvert(QStringList{input, "-o", path("slow-whole.m4a")} + args).exitCode, 0);
        QCOMPARE(afconvert(QStringList{input, "-o", path("slow-split.m4a"), "--parts", "16"} + args).exitCode, 0);
        QCOMPARE(contents(path("slow-split.m4a")) == contents(path("slow-whole.m4a")), whole);
    }

    // A file of three minutes is split, as a long one is.
    void testSplitShort() { testSplit(); }

    // Encoded in parts, a file keeps its length and quality, and every part has settled before its own sound; the
    // bytes are the same with cores lent, at once or late, however busy the machine.
    void testSplit()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, bits);
        QFETCH(int, parts);
        QFETCH(int, unitMs);
        QFETCH(QString, quality);
        QFETCH(bool, atStart);
        QFETCH(bool, busy);
        const QString input = path("split.wav");
        const TestKit::ToolResult sox =
            TestKit::runTool("sh", {"-c", kSplitScript, "sh", QString::number(rate), QString::number(channels),
                                    QString::number(bits), QString::number(parts), QString::number(unitMs), input});
        QVERIFY2(sox.exitCode == 0, sox.err.constData());
        QCOMPARE(afconvert({input, "-o", path("whole.m4a"), "-q", quality}).exitCode, 0);
        const QStringList args{"-q", quality, "--parts", QString::number(parts)};
        const TestKit::ToolResult split = afconvert(QStringList{input, "-o", path("split.m4a")} + args);
        QVERIFY2(split.exitCode == 0, split.err.constData());
        std::vector<std::unique_ptr<QProcess>> vecBusy;
        for (int i = 0; busy && i < QThread::idealThreadCount(); ++i) {
            vecBusy.push_back(std::make_unique<QProcess>());
            vecBusy.back()->start("sh", {"-c", "while :; do :; done"});
        }
        runLent(QStringList{input, "-o", path("lent.m4a")} + args, atStart, QFileInfo(path("whole.m4a")).size());
        for (const std::unique_ptr<QProcess>& process : vecBusy) {
            process->kill();
            process->waitForFinished();
        }
        QVERIFY(contents(path("lent.m4a")) == contents(path("split.m4a")));
        QVERIFY2(contents(path("split.m4a")) != contents(path("whole.m4a")), "encoded whole, not in parts");
        compareToWhole(input, path("whole.m4a"), path("split.m4a"), channels, rate, parts);
    }

    void testDecodedPeak_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QStringList>("synth");
        QTest::addColumn<QStringList>("extra");
        const QStringList noise{"synth", "4", "pinknoise", "vol", "0.7"};
        QTest::newRow("44.1 kHz stereo, whole") << 44100 << 2 << noise << QStringList();
        QTest::newRow("44.1 kHz stereo, 8 parts")
            << 44100 << 2 << QStringList{"synth", "60", "pinknoise", "vol", "0.7"} << QStringList{"--parts", "8"};
        QTest::newRow("48 kHz stereo") << 48000 << 2 << noise << QStringList();
        QTest::newRow("44.1 kHz mono") << 44100 << 1 << noise << QStringList();
        // Above the coded band: the decoded samples after the end are the loudest.
        QTest::newRow("a tone that stops abruptly")
            << 44100 << 2 << QStringList{"synth", "0.5", "sine", "18000", "vol", "0.9", "fade", "t", "0.3", "0.5", "0"}
            << QStringList();
        // The encoder's priming decodes louder than any sample after it, and is not counted.
        QTest::newRow("noise above the coded band that starts abruptly")
            << 44100 << 2
            << QStringList{"synth", "0.1", "whitenoise", "vol", "0.9", "sinc", "17500", "fade", "t", "0", "0.1", "0.1"}
            << QStringList();
        QTest::newRow("shorter than one frame")
            << 44100 << 2 << QStringList{"synth", "0.01", "sine", "440", "vol", "0.9"} << QStringList();
        QTest::newRow("above full scale") << 44100 << 2 << noise << QStringList{"--gain", "6"};
    }

    // With --peak, the tool tells its result's peak as a whole decode by ffmpeg gives it, bit for bit, and the
    // result is the same; without, it tells none.
    void testDecodedPeak()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QStringList, synth);
        QFETCH(QStringList, extra);
        const TestKit::ToolResult sox =
            TestKit::runTool("sox", QStringList{"-R", "-D", "-n", "-r", QString::number(rate), "-c",
                                                QString::number(channels), "-b", "16", path("peak.wav")} +
                                        synth);
        QVERIFY2(sox.exitCode == 0, sox.err.constData());
        const TestKit::ToolResult plain = afconvert(QStringList{path("peak.wav"), "-o", path("plain.m4a")} + extra);
        QVERIFY2(plain.exitCode == 0, plain.err.constData());
        QCOMPARE(plain.out, QByteArray("p"));
        const TestKit::ToolResult told =
            afconvert(QStringList{path("peak.wav"), "-o", path("peak.m4a"), "--peak"} + extra);
        QVERIFY2(told.exitCode == 0, told.err.constData());
        QVERIFY(contents(path("peak.m4a")) == contents(path("plain.m4a")));
        const QByteArray prefix = QByteArray("p") + DecodedPeak::kPeak;
        QVERIFY2(told.out.startsWith(prefix) && told.out.endsWith('\n'), told.out.constData());
        float reported = -1.0f;
        const std::from_chars_result parsed =
            std::from_chars(told.out.constData() + prefix.size(), told.out.constData() + told.out.size() - 1, reported);
        QVERIFY2(parsed.ec == std::errc() && *parsed.ptr == '\n', told.out.constData());

        const QByteArray decoded = decode(path("peak.m4a"));
        QVERIFY(!decoded.isEmpty());
        const float* pValues = reinterpret_cast<const float*>(decoded.constData());
        float peak = 0.0f;
        for (int i = 0; i < decoded.size() / int(sizeof(float)); ++i)
            peak = std::max(peak, std::fabs(pValues[i]));
        QVERIFY2(reported == peak,
                 qPrintable(QString("%1 told, %2 decoded").arg(reported, 0, 'g', 9).arg(peak, 0, 'g', 9)));
        if (extra.contains("--gain"))
            QVERIFY2(peak > 1.0f, qPrintable(QString::number(peak)));
    }

    void testStopAbove_data()
    {
        QTest::addColumn<QStringList>("material");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<double>("levelDb");
        const auto toneAt = [](int seconds) {
            return QStringList{
                "-m", "|sox -R -n -r 44100 -c 2 -b 16 -p synth 60 pinknoise vol 0.25",
                QString("|sox -R -n -r 44100 -c 2 -b 16 -p synth 1 sine 1000 vol 0.95 pad %1").arg(seconds)};
        };
        // Noise driven into clipping, whose loudest decoded values are noise the decoder substitutes.
        const QStringList clippedNoise{
            "|sox -R -n -r 44100 -c 2 -b 16 -p synth 20 pinknoise gain 12 gain -4 sinc 50-15000"};
        const QStringList parts{"--parts", "8"};
        QTest::newRow("passed in the first part, one part at a time")
            << toneAt(2) << parts + QStringList{"--lend"} << -6.0;
        QTest::newRow("passed in a later part, every part at once") << toneAt(40) << parts << -6.0;
        QTest::newRow("never passed") << toneAt(40) << parts << 0.5;
        QTest::newRow("whole, passed") << toneAt(40) << QStringList() << -6.0;
        QTest::newRow("whole, never passed") << toneAt(40) << QStringList() << 0.5;
        QTest::newRow("substituted noise, whole, never passed") << clippedNoise << QStringList() << 0.05;
        QTest::newRow("substituted noise, never passed") << clippedNoise << parts << 0.05;
    }

    // With --stop-above, an encode ends as soon as one of its parts decodes above the level: nothing is left, not a
    // part more is read, and the value told lies between the level and the whole decode's peak. An encode that stays
    // below gives the same bytes, also where the decoder's substituted noise decodes differently in every batch.
    void testStopAbove()
    {
        QFETCH(QStringList, material);
        QFETCH(QStringList, extra);
        QFETCH(double, levelDb);
        QTemporaryDir dir;
        const QString input = dir.filePath("in.wav");
        const TestKit::ToolResult sox =
            TestKit::runTool("sox", QStringList{"-R"} + material + QStringList{"-b", "16", input});
        QVERIFY2(sox.exitCode == 0, sox.err.constData());
        QStringList plain = extra;
        plain.removeAll("--lend");
        QVERIFY(afconvert(QStringList{input, "-o", path("stop-whole.m4a")} + plain).exitCode == 0);
        const QByteArray decoded = decode(path("stop-whole.m4a"));
        const float* pValues = reinterpret_cast<const float*>(decoded.constData());
        float peak = 0.0f;
        for (int i = 0; i < decoded.size() / int(sizeof(float)); ++i)
            peak = std::max(peak, std::fabs(pValues[i]));
        const double level = std::pow(10.0, levelDb / 20.0) * (levelDb > 0.0 ? peak : 1.0);

        const QString output = dir.filePath("out.m4a");
        const TestKit::ToolResult traced = TestKit::runTool(
            "strace", QStringList{"-f", "-e", "trace=openat", "-o", path("stop-trace"), m_strTool, input, "-o", output,
                                  "--stop-above", QString::number(20 * std::log10(level), 'f', 4)} +
                          extra);
        if (level > peak) {
            QVERIFY2(traced.exitCode == 0, traced.err.constData());
            QVERIFY(contents(output) == contents(path("stop-whole.m4a")));
            return;
        }
        QCOMPARE(traced.exitCode, DecodedPeak::kPassedExit);
        // The peak follows the working file's mark and any asks for cores.
        const int at = traced.out.indexOf(DecodedPeak::kPassed);
        QVERIFY2(traced.out.startsWith('p') && at > 0 && traced.out.endsWith('\n'), traced.out.constData());
        const float told = traced.out.mid(at + 1).trimmed().toFloat();
        QVERIFY2(told > level && told <= peak * 1.001f, qPrintable(QString("%1 told, %2 whole").arg(told).arg(peak)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"in.wav"});
        if (extra.contains("--lend")) {
            // One read of the input plans the parts, one more encodes the first part.
            const int opened = int(contents(path("stop-trace")).count(QFile::encodeName(input) + '"'));
            QCOMPARE(opened, 2);
        }
    }

    // Memory of an encode in parts does not grow with the input's length beyond the output's index.
    void testMemoryBounded()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Freed memory held back by the address sanitizer would grow with the length.
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":quarantine_size_mb=1");
        auto peakKiB = [&](int minutes) {
            const QString input = path(QString("long-%1.wav").arg(minutes));
            const QString output = path(QString("long-%1.m4a").arg(minutes));
            const TestKit::ToolResult sox =
                TestKit::runTool("sox", {"-R", "-n", "-r", "8000", "-c", "1", "-b", "8", input, "synth",
                                         QString::number(minutes * 60), "pinknoise", "gain", "-10"});
            const TestKit::ToolResult run = TestKit::runTool(
                "python3", {"-c", kPeakScript, m_strTool, input, "-o", output, "-q", "0", "--parts", "2"}, 600000,
                environment);
            QFile::remove(input);
            const QList<QByteArray> fields = run.out.trimmed().split(' ');
            return sox.exitCode == 0 && fields.value(0) == "0" ? fields.value(1).toLong() : -1L;
        };
        const long shortPeak = peakKiB(30);
        const long longPeak = peakKiB(150);
        QVERIFY(shortPeak > 0 && longPeak > 0);
        QVERIFY2(longPeak - shortPeak < 24 * 1024,
                 qPrintable(QString("%1 KiB against %2").arg(longPeak).arg(shortPeak)));
    }

    // The result reaches the disk before its name, and its name before the tool ends.
    void testFlushedBeforeRename()
    {
        noise(path("flush.wav"), 44100, 2, 16, 1);
        const TestKit::ToolResult traced =
            TestKit::runTool("strace", {"-f", "-e", "trace=fsync,rename", "-o", path("trace"), m_strTool,
                                        path("flush.wav"), "-o", path("flush.m4a")});
        QVERIFY2(traced.exitCode == 0, traced.err.constData());
        QStringList calls;
        for (const QByteArray& line : contents(path("trace")).split('\n')) {
            if (line.contains(" fsync(") || line.contains(" rename("))
                calls << (line.contains(" rename(") ? "rename" : "fsync");
        }
        QCOMPARE(calls, QStringList({"fsync", "rename", "fsync"}));
    }

private:
    static QByteArray contents(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    // Runs the tool with --lend and args, lending it eight cores at once at its start, or one core once its output
    // has grown to nine tenths of wholeBytes; it must end well and give back every core it took. A core lent late
    // may reach a tool that has stopped reading: it stays unread on the tool's standard input, a pipe of the suite's.
    void runLent(const QStringList& args, bool bAtStart, qint64 wholeBytes)
    {
        const QByteArray fifo = QFile::encodeName(path("lend-fifo"));
        ::unlink(fifo.constData());
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        const int lend = ::open(fifo.constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(lend >= 0);
        QProcess tool;
        tool.setStandardInputFile(QFile::decodeName(fifo));
        tool.start(m_strTool, args + QStringList{"--lend"});
        const QString partial = args.at(2) + ".partial";
        int nLent = bAtStart ? 8 : 0;
        int nReturned = 0;
        if (bAtStart)
            QCOMPARE(::write(lend, QByteArray(nLent, 'c').constData(), size_t(nLent)), ssize_t(nLent));
        while (tool.state() != QProcess::NotRunning || tool.bytesAvailable() > 0) {
            tool.waitForReadyRead(20);
            nReturned += int(tool.readAllStandardOutput().count('r'));
            if (nLent == 0 && QFileInfo(partial).size() >= wholeBytes * 9 / 10) {
                QCOMPARE(::write(lend, "c", 1), ssize_t(1));
                ++nLent;
            }
        }
        int nUnread = -1;
        QCOMPARE(::ioctl(lend, FIONREAD, &nUnread), 0);
        ::close(lend);
        ::unlink(fifo.constData());
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(nReturned + nUnread, nLent);
    }

    // Encoded in parts, a file keeps its samples and its SNR, and in the 30 s after each join no loud frame is
    // coded far worse than in the whole encode.
    void compareToWhole(const QString& input, const QString& wholeFile, const QString& splitFile, int channels,
                        int rate, int parts)
    {
        auto length = [](const QString& file) {
            return TestKit::runTool("ffprobe", {"-v", "error", "-show_entries",
                                                "stream=duration_ts,nb_frames:format=duration", "-of", "csv=p=0", file})
                .out;
        };
        QCOMPARE(length(splitFile), length(wholeFile));
        QCOMPARE(length(splitFile).split(',').first(), TestKit::runTool("soxi", {"-s", input}).out.trimmed());

        const QByteArray source = decode(input);
        const QVector<double> signal = frameErrors(source, QByteArray(), channels);
        const QVector<double> whole = frameErrors(source, decode(wholeFile), channels);
        const QVector<double> split = frameErrors(source, decode(splitFile), channels);
        const double loss = 10 * std::log10(std::accumulate(split.begin(), split.end(), 0.0) /
                                            std::accumulate(whole.begin(), whole.end(), 0.0));
        QVERIFY2(loss <= 0.3, qPrintable(QString("%1 dB less SNR").arg(loss)));
        const int frames = signal.size();
        for (int join = 1; join < parts; ++join) {
            const int even = frames * join / parts;
            for (int frame = even - 16; frame <= std::min(even + 16 + 30 * rate / 1024, frames - 1); ++frame) {
                const bool bLoud = signal[frame] > 1e-4 * 1024 * channels;
                QVERIFY2(!bLoud || split[frame] <= 4 * whole[frame],
                         qPrintable(QString("frame %1: %2 against %3").arg(frame).arg(split[frame]).arg(whole[frame])));
            }
        }
    }

private slots:

    void testMediaInfo()
    {
        noise(path("mi.wav"), 44100, 2, 16, 2);
        QCOMPARE(afconvert({path("mi.wav"), "-o", path("mi.m4a"), "-f", "m4af", "-d", "aac "}).exitCode, 0);
        const TestKit::ToolResult info = TestKit::runTool("mediainfo", {"--Output=JSON", path("mi.m4a")});
        QCOMPARE(info.exitCode, 0);
        const QJsonArray tracks = QJsonDocument::fromJson(info.out).object()["media"].toObject()["track"].toArray();
        QCOMPARE(tracks.size(), 2);
        QCOMPARE(tracks[0].toObject()["Format"].toString(), QString("MPEG-4"));
        QCOMPARE(tracks[0].toObject()["CodecID"].toString(), QString("M4A "));
        QCOMPARE(tracks[1].toObject()["Format"].toString(), QString("AAC"));
        QCOMPARE(tracks[1].toObject()["Format_AdditionalFeatures"].toString(), QString("LC"));
    }

    void testErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("missing input") << QStringList{"missing.wav", "-o", "out.m4a"} << "out.m4a" << 2;
        QTest::newRow("text input") << QStringList{"notes.txt", "-o", "out.m4a"} << "out.m4a" << 2;
        QTest::newRow("caff") << QStringList{"in.wav", "-o", "out.m4a", "-f", "caff"} << "out.m4a" << 1;
        QTest::newRow("alac") << QStringList{"in.wav", "-o", "out.m4a", "-d", "alac"} << "out.m4a" << 1;
        QTest::newRow("unknown option") << QStringList{"in.wav", "-o", "out.m4a", "-x"} << "out.m4a" << 1;
        QTest::newRow("bad bit rate") << QStringList{"in.wav", "-o", "out.m4a", "-b", "fast"} << "out.m4a" << 1;
        QTest::newRow("bad gain") << QStringList{"in.wav", "-o", "out.m4a", "--gain", "loud"} << "out.m4a" << 1;
        QTest::newRow("gain out of range") << QStringList{"in.wav", "-o", "out.m4a", "--gain", "inf"} << "out.m4a" << 1;
        QTest::newRow("no parts") << QStringList{"in.wav", "-o", "out.m4a", "--parts", "0"} << "out.m4a" << 1;
        QTest::newRow("too many parts") << QStringList{"in.wav", "-o", "out.m4a", "--parts", "33"} << "out.m4a" << 1;
        QTest::newRow("parts in words") << QStringList{"in.wav", "-o", "out.m4a", "--parts", "four"} << "out.m4a" << 1;
        QTest::newRow("no output") << QStringList{"in.wav"} << "out.m4a" << 1;
        QTest::newRow("missing folder") << QStringList{"in.wav", "-o", "nowhere/out.m4a"} << "nowhere/out.m4a" << 3;
        QTest::newRow("folder is a file")
            << QStringList{"in.wav", "-o", "notes.txt/out.m4a"} << "notes.txt/out.m4a" << 3;
    }

    // A failed run exits non-zero with a reason and leaves no file at the output path.
    void testErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        QFETCH(int, exitCode);
        if (!QFile::exists(path("in.wav")))
            noise(path("in.wav"), 44100, 2, 16, 1);
        QVERIFY(writeFile("notes.txt", "plain words\n"));
        for (QString& arg : args) {
            if (arg.contains('.'))
                arg = path(arg);
        }
        const TestKit::ToolResult result = afconvert(args);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.err.startsWith("afconvert: "), result.err.constData());
        QVERIFY(!QFile::exists(path(output)));
        QVERIFY(!QFile::exists(path(output) + ".partial"));
    }

    // An existing target is replaced; the output may also come as a second file argument.
    void testOverwriteAndPositionalOutput()
    {
        noise(path("pos.wav"), 32000, 1, 16, 1);
        QVERIFY(writeFile("pos.m4a", "stale"));
        const TestKit::ToolResult result = afconvert({path("pos.wav"), path("pos.m4a")});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QJsonObject stream = ffprobe(path("pos.m4a"))["streams"].toArray().at(0).toObject();
        QCOMPARE(stream["sample_rate"].toString(), QString("32000"));
        QVERIFY(QFileInfo(path("pos.m4a")).size() > 100);
    }

    // A file under the working name is not the tool's: the encode fails with its own status and leaves it as it was.
    void testWorkingNameTaken()
    {
        noise(path("taken.wav"), 8000, 1, 16, 1);
        QVERIFY(writeFile("taken.m4a.partial", "mine"));
        const TestKit::ToolResult result = afconvert({path("taken.wav"), "-o", path("taken.m4a")});
        QCOMPARE(result.exitCode, 4);
        QVERIFY(!QFile::exists(path("taken.m4a")));
        QCOMPARE(contents(path("taken.m4a.partial")), QByteArray("mine"));
    }

    // -q below 32 picks another coder than 127 does; both keep the bit rate.
    void testQualityChoosesCoder()
    {
        noise(path("q.wav"), 44100, 2, 16, 2);
        QCOMPARE(afconvert({path("q.wav"), "-o", path("q0.m4a"), "-q", "0", "-b", "128000"}).exitCode, 0);
        QCOMPARE(afconvert({path("q.wav"), "-o", path("q64.m4a"), "-q", "64", "-b", "128000"}).exitCode, 0);
        QCOMPARE(afconvert({path("q.wav"), "-o", path("q127.m4a"), "-q", "127", "-b", "128000"}).exitCode, 0);
        QCOMPARE(afconvert({path("q.wav"), "-o", path("q300.m4a"), "-q", "300", "-b", "128000"}).exitCode, 0);
        auto audio = [](const QString& file) {
            const TestKit::ToolResult result =
                TestKit::runTool("ffmpeg", {"-v", "error", "-i", file, "-f", "s16le", "-"});
            return result.out;
        };
        QVERIFY(audio(path("q0.m4a")) != audio(path("q127.m4a")));
        QCOMPARE(audio(path("q64.m4a")), audio(path("q127.m4a")));
        QCOMPARE(audio(path("q300.m4a")), audio(path("q127.m4a")));
    }

    // Zero samples still give a file and success.
    void testEmptyInput()
    {
        const TestKit::ToolResult sox =
            TestKit::runTool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", path("empty.wav"), "trim", "0", "0"});
        QCOMPARE(sox.exitCode, 0);
        const TestKit::ToolResult result = afconvert({path("empty.wav"), "-o", path("empty.m4a")});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QVERIFY(QFile::exists(path("empty.m4a")));
    }

    // The batch's own wave files, with bext and a trailing levl chunk, convert in full.
    void testBroadcastWave()
    {
        writeBroadcastWave(path("bwf.wav"), 44100, 44100 * 2);
        QCOMPARE(TestKit::runTool("ffmpeg", {"-v", "error", "-i", path("bwf.wav"), "-f", "null", "-"}).exitCode, 0);
        const TestKit::ToolResult result =
            afconvert({path("bwf.wav"), "-o", path("bwf.m4a"), "-q", "127", "-b", "128000", "-f", "m4af", "-d", "aac"});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QJsonObject probe = ffprobe(path("bwf.m4a"));
        QVERIFY(std::fabs(probe["format"].toObject()["duration"].toString().toDouble() - 2.0) <= 0.05);
        QCOMPARE(probe["streams"].toArray().at(0).toObject()["channels"].toInt(), 2);
    }

    void testFinishedEncodeKept_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("kept");
        QTest::newRow("folder not flushed") << QString("fsync-folder") << "kept.m4a";
        QTest::newRow("data not flushed") << QString("fsync-file") << "kept.m4a.partial";
        QTest::newRow("name not taken") << QString("rename") << "kept.m4a.partial";
    }

    // A finished encode that can not be flushed to the disk or take its name is never removed: the tool ends with
    // its own status and names where it stays.
    void testFinishedEncodeKept()
    {
        QFETCH(QString, fault);
        QFETCH(QString, kept);
        QTemporaryDir dir;
        noise(dir.filePath("in.wav"), 44100, 2, 16, 2);
        TestKit::ToolResult result;
        {
            const TestKit::InjectedFault injected({{fault, EIO}});
            result = afconvert({dir.filePath("in.wav"), "-o", dir.filePath("kept.m4a")});
        }
        QCOMPARE(result.exitCode, WorkingFile::kKeptExit);
        QVERIFY2(
            result.err.trimmed().endsWith("; the finished encode is kept as " + QFile::encodeName(dir.filePath(kept))),
            result.err.constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"in.wav", kept}));
        const double duration = ffprobe(dir.filePath(kept))["format"].toObject()["duration"].toString().toDouble();
        QVERIFY2(std::fabs(duration - 2.0) <= 0.05, qPrintable(QString::number(duration)));
    }

    // A termination signal that comes as the tool makes its working file leaves no file.
    void testTerminatedAsWorkingFileIsMade()
    {
        QTemporaryDir dir;
        noise(dir.filePath("in.wav"), 8000, 1, 16, 1);
        {
            const TestKit::InjectedFault injected({{"raise-on-create", SIGTERM}});
            afconvert({dir.filePath("in.wav"), "-o", dir.filePath("out.m4a")});
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"in.wav"});
    }

    void testTerminationRemovesPartial_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("SIGTERM") << int(SIGTERM) << QStringList();
        QTest::newRow("SIGINT") << int(SIGINT) << QStringList();
        QTest::newRow("SIGHUP") << int(SIGHUP) << QStringList();
        QTest::newRow("SIGTERM in parts") << int(SIGTERM) << QStringList{"--parts", "4"};
    }

    void testTerminationRemovesPartial()
    {
        QFETCH(int, signalNumber);
        QFETCH(QStringList, extra);
        const QString input = path("long-term.wav");
        if (!QFileInfo::exists(input))
            noise(input, 44100, 2, 16, 600);
        const QString output = path(QString("term-%1-%2.m4a").arg(signalNumber).arg(extra.size()));
        QProcess tool;
        tool.start(m_strTool, QStringList{input, "-o", output, "-f", "m4af", "-d", "aac"} + extra);
        QVERIFY(tool.waitForStarted(10000));
        // Far enough for every part to be past its lead-in.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(output + ".partial").size() > 1000000, 60000);
        QVERIFY(::kill(pid_t(tool.processId()), signalNumber) == 0);
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitStatus(), QProcess::CrashExit);
        QVERIFY(!QFileInfo::exists(output + ".partial"));
        QVERIFY(!QFileInfo::exists(output));
        // Nor the spool files of later parts.
        QCOMPARE(QDir(m_dir.path()).entryList({QFileInfo(output).fileName() + "*"}), QStringList());
    }
};

TRELVANIC_TEST_MAIN(TestAfconvert)
#include "tst_afconvert.moc"
