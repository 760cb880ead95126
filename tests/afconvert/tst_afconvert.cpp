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

#include <cmath>
#include <csignal>
#include <cstring>
#include <numeric>

class TestAfconvert : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strTool;

    QString path(const QString& name) const { return m_dir.filePath(name); }

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

    // The sound of file as ffmpeg decodes it, interleaved.
    QVector<float> decode(const QString& file)
    {
        const QByteArray raw = TestKit::runTool("ffmpeg", {"-v", "error", "-i", file, "-f", "f32le", "-"}).out;
        QVector<float> values(raw.size() / int(sizeof(float)));
        std::memcpy(values.data(), raw.constData(), raw.size());
        return values;
    }

    // The error energy of decoded against source in each frame of 1024 stereo samples.
    QVector<double> frameErrors(const QVector<float>& source, const QString& file)
    {
        const QVector<float> decoded = decode(file);
        QVector<double> errors((source.size() + 2047) / 2048);
        for (int i = 0; i < source.size(); ++i)
            errors[i / 2048] += std::pow(double(decoded.value(i)) - source[i], 2);
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
        QTest::addColumn<QString>("effects");
        QTest::addColumn<int>("parts");
        QTest::newRow("music with noise")
            << "synth 2 pluck 220 pluck 277 synth 2 pluck mix 330 synth 2 pinknoise mix gain -8 repeat 9 reverb 30"
            << 8;
        QTest::newRow("speech with pauses")
            << "synth 2.6 pinknoise synth 2.6 sine amod 3.6 50 sinc 250-3400 tremolo 1.7 "
               "80 fade q 0.05 2.6 0.2 pad 0 1.4 gain -n -4 repeat 4"
            << 8;
        QTest::newRow("drum loop")
            << "synth 0.25 whitenoise synth 0.25 sine mix 150:40 fade q 0.001 0.25 0.24 synth 0.25 "
               "square amod 8 100 repeat 79"
            << 16;
        QTest::newRow("abrupt tone") << "synth 0.37 sine 1000 gain -6 pad 0 0.29 repeat 29" << 8;
        QTest::newRow("shorter than a part") << "synth 0.5 pinknoise gain -6" << 64;
    }

    // Encoded in parts, a file keeps its length and quality, with no click or dropout where parts meet.
    void testSplit()
    {
        QFETCH(QString, effects);
        QFETCH(int, parts);
        // Undithered, as the program writes its wave files.
        const QString input = path("split.wav");
        const QStringList sox{"-R", "-D", "-n", "-r", "44100", "-c", "2", "-b", "16", input};
        QCOMPARE(TestKit::runTool("sox", sox + effects.split(' ')).exitCode, 0);
        QCOMPARE(afconvert({input, "-o", path("whole.m4a")}).exitCode, 0);
        const TestKit::ToolResult result =
            afconvert({input, "-o", path("split.m4a"), "--parts", QString::number(parts)});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        compareToWhole(input, path("whole.m4a"), path("split.m4a"));
    }

    void testLentCores_data()
    {
        QTest::addColumn<int>("cores");
        QTest::newRow("none lent") << 0;
        QTest::newRow("three lent") << 3;
    }

    // Lent cores over its standard input, the tool cuts parts off as they come and gives every core back; lent none,
    // it makes the whole encode.
    void testLentCores()
    {
        QFETCH(int, cores);
        const QString input = path("lent.wav");
        QCOMPARE(TestKit::runTool("sox", {"-R",    "-D",  "-n",        "-r",  "44100", "-c",  "2",      "-b",
                                          "16",    input, "synth",     "2",   "pluck", "220", "pluck",  "277",
                                          "synth", "2",   "pinknoise", "mix", "gain",  "-8",  "repeat", "74"})
                     .exitCode,
                 0);
        QCOMPARE(afconvert({input, "-o", path("whole.m4a")}).exitCode, 0);
        QProcess tool;
        tool.start(m_strTool, {input, "-o", path("lent.m4a"), "--parts", "8", "--lend"});
        int nLent = 0;
        int nReturned = 0;
        while (tool.state() != QProcess::NotRunning || tool.bytesAvailable() > 0) {
            tool.waitForReadyRead(100);
            for (const char message : tool.readAllStandardOutput()) {
                nReturned += message == 'r';
                if (message == 'w' && nLent < cores) {
                    tool.write("c");
                    ++nLent;
                }
            }
        }
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(nReturned, nLent);
        if (cores == 0) {
            QVERIFY(contents(path("lent.m4a")) == contents(path("whole.m4a")));
            return;
        }
        QVERIFY2(contents(path("lent.m4a")) != contents(path("whole.m4a")), "no part was cut");
        compareToWhole(input, path("whole.m4a"), path("lent.m4a"));
    }

private:
    static QByteArray contents(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    // Encoded in parts, a file keeps its length and quality, with no click or dropout where parts meet.
    void compareToWhole(const QString& input, const QString& wholeFile, const QString& splitFile)
    {
        auto length = [](const QString& file) {
            return TestKit::runTool("ffprobe", {"-v", "error", "-show_entries",
                                                "stream=duration_ts,nb_frames:format=duration", "-of", "csv=p=0", file})
                .out;
        };
        QCOMPARE(length(splitFile), length(wholeFile));
        QCOMPARE(length(splitFile).split(',').first(), TestKit::runTool("soxi", {"-s", input}).out.trimmed());

        const QVector<float> source = decode(input);
        const QVector<double> whole = frameErrors(source, wholeFile);
        const QVector<double> split = frameErrors(source, splitFile);
        const double usual = std::accumulate(whole.begin(), whole.end(), 0.0) / whole.size();
        const double loss = 10 * std::log10(std::accumulate(split.begin(), split.end(), 0.0) / whole.size() / usual);
        QVERIFY2(loss <= 0.3, qPrintable(QString("%1 dB less SNR").arg(loss)));
        for (int frame = 0; frame < whole.size(); ++frame) {
            QVERIFY2(split[frame] <= 2.5 * whole[frame] + usual,
                     qPrintable(QString("frame %1: %2 against %3").arg(frame).arg(split[frame]).arg(whole[frame])));
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
        QTest::newRow("too many parts") << QStringList{"in.wav", "-o", "out.m4a", "--parts", "65"} << "out.m4a" << 1;
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
        QFile text(path("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("plain words\n");
        text.close();
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
        QFile old(path("pos.m4a"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("stale");
        old.close();
        const TestKit::ToolResult result = afconvert({path("pos.wav"), path("pos.m4a")});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QJsonObject stream = ffprobe(path("pos.m4a"))["streams"].toArray().at(0).toObject();
        QCOMPARE(stream["sample_rate"].toString(), QString("32000"));
        QVERIFY(QFileInfo(path("pos.m4a")).size() > 100);
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
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(output + ".partial").size() > 0, 60000);
        QVERIFY(::kill(pid_t(tool.processId()), signalNumber) == 0);
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitStatus(), QProcess::CrashExit);
        QVERIFY(!QFileInfo::exists(output + ".partial"));
        QVERIFY(!QFileInfo::exists(output));
    }
};

TRELVANIC_TEST_MAIN(TestAfconvert)
#include "tst_afconvert.moc"
