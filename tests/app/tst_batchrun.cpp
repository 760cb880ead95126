#include "FuseDrive.h"
#include "MediaCorpus.h"
#include "TestMain.h"
#include "Tools.h"

#include <core/BatchThread.h>
#include <core/BatchWorker.h>
#include <core/ConversionSettings.h>

#include <VUVararer/App.h>
#include <afconvert/EncodeParts.h>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString WeirdName = QString::fromUtf8("Ünï \"q\" 'x' y");

// Collects the worker's signals on the test thread, so they arrive queued as in the application.
class Recorder : public QObject
{
    Q_OBJECT

public:
    QStringList events;
    QString runFolder;
    QString errors;
    bool bFinished = false;

    int count(const QString& prefix) const { return events.filter(QRegularExpression("^" + prefix)).size(); }

public slots:
    void slotFinished(const QString& folder)
    {
        events << "finished";
        runFolder = folder;
        bFinished = true;
    }
    void slotFileProgress(int percent) { events << "file:" + QString::number(percent); }
    void slotTotalProgress(int percent) { events << "total:" + QString::number(percent); }
    void slotCurrentFile(const QString& text) { events << "current:" + text; }
    void slotErrors(const QString& text)
    {
        events << "errors";
        errors += text;
    }
};

struct Lists
{
    QStringList inputs, images, texts, others, dropped;
};

QVector<QString> absolute(const QString& root, const QStringList& names)
{
    QVector<QString> paths;
    for (const QString& name : names)
        paths << root + name;
    return paths;
}

void store(const QVariantMap& values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        VUVararer::App::theApp()->setSettingsValue(it.key(), it.value());
}

bool tool(const QString& program, const QStringList& args)
{
    const TestKit::ToolResult result = TestKit::runTool(program, args);
    if (result.exitCode != 0)
        qWarning() << program << args << result.err;
    return result.exitCode == 0;
}

// sox "stat" of the decoded file after effects: peak, rms and length.
QMap<QString, double> stat(const QString& file, const QStringList& effects = {})
{
    QTemporaryDir dir;
    const QString decoded = dir.filePath("dec.wav");
    TestKit::runTool("ffmpeg", {"-v", "error", "-i", file, "-c:a", "pcm_f32le", "-f", "wav", decoded});
    const TestKit::ToolResult result =
        TestKit::runTool("sox", QStringList{decoded, "-n"} + effects + QStringList{"stat"});
    QMap<QString, double> values;
    for (const QString& line : QString::fromLocal8Bit(result.err).split('\n')) {
        const QString name = line.section(':', 0, 0).simplified();
        values[name] = line.section(':', 1).trimmed().toDouble();
    }
    values["peak"] = std::max(std::fabs(values["Maximum amplitude"]), std::fabs(values["Minimum amplitude"]));
    values["rms"] = values["RMS amplitude"];
    values["length"] = values["Length (seconds)"];
    return values;
}

QStringList tree(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(folder.size());
    files.sort();
    return files;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}

} // namespace

class BatchRunTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strIn;
    Recorder* m_pRecorder = nullptr;

    // Runs one batch on its own thread; prepare may connect to the worker before the start.
    Recorder* run(const Lists& lists, const std::function<void(BatchWorker*)>& prepare = {})
    {
        auto* recorder = new Recorder;
        recorder->setParent(this);
        m_pRecorder = recorder;
        BatchThread thread;
        BatchWorker* worker = thread.worker();
        worker->setSettings(ConversionSettings::targetFormat());
        worker->setInputFiles(absolute(m_strIn, lists.inputs));
        worker->setImageFiles(absolute(m_strIn, lists.images));
        worker->setTextFiles(absolute(m_strIn, lists.texts));
        worker->setUnsuportedFiles(absolute(m_strIn, lists.others));
        QList<QUrl> urls;
        for (const QString& item : lists.dropped)
            urls << QUrl::fromLocalFile(m_strIn + item);
        worker->setDroppedUrls(urls);
        connect(&thread, SIGNAL(started()), worker, SLOT(slotDoWork()));
        connect(worker, SIGNAL(finished(QString)), recorder, SLOT(slotFinished(QString)));
        connect(worker, SIGNAL(fileProgress(int)), recorder, SLOT(slotFileProgress(int)));
        connect(worker, SIGNAL(totalProgress(int)), recorder, SLOT(slotTotalProgress(int)));
        connect(worker, SIGNAL(currentFile(QString)), recorder, SLOT(slotCurrentFile(QString)));
        connect(worker, SIGNAL(errorsLog(QString)), recorder, SLOT(slotErrors(QString)));
        if (prepare)
            prepare(worker);
        thread.start();
        if (!QTest::qWaitFor([recorder] { return recorder->bFinished; }, 120000))
            qWarning("the run did not finish");
        thread.quit();
        thread.wait();
        return recorder;
    }

    // One AAC stream (plus a cover picture when covers is 1) in an M4A file.
    void checkAac(const QString& file, int rate, double seconds, double tolerance = 0.05, int covers = 0)
    {
        const QJsonObject info = TestKit::probeMedia(file);
        QCOMPARE(info["streams"].toInt(), 1 + covers);
        QCOMPARE(info["codec_name"].toString(), QString("aac"));
        QCOMPARE(info["sample_rate"].toString().toInt(), rate);
        QCOMPARE(info["channels"].toInt(), 2);
        QCOMPARE(info["tags"].toObject()["major_brand"].toString(), QString("M4A "));
        QVERIFY2(std::fabs(info["duration"].toString().toDouble() - seconds) <= tolerance,
                 qPrintable(file + " " + info["duration"].toString()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("PATH", qgetenv("TRELVANIC_BIN_DIR") + ":" + qgetenv("PATH"));
        m_strIn = m_dir.path() + "/in/";
        for (const char* folder : {"Album/CD1", "Album/CD2", "Loose", "Dup1", "Dup2"})
            QVERIFY(QDir().mkpath(m_strIn + folder));
        QDir::setCurrent(m_strIn);
        // sox options, then a file name, then effects; names here hold no blanks but the first.
        const auto sox = [](const QString& options, const QString& path, const QString& effects) {
            return tool("sox", options.split(' ') + QStringList{path} + effects.split(' '));
        };
        QVERIFY(sox("-n -r 48000 -c 2 -b 24", "Album/CD1/01 tone.wav", "synth 2 sine 440 vol 0.25"));
        QVERIFY(sox("-n -r 44100 -c 2 -b 16", "Loose/padded.wav", "synth 1 sine 440 vol 0.5 pad 0.5 0.5"));
        QVERIFY(sox("-D -n -r 44100 -c 2 -b 16", "Loose/silence.wav", "trim 0 1"));
        QVERIFY(sox("-n -r 44100 -c 1 -b 16", "Loose/neg.wav", "synth 1 sine 440 vol 0.2 dcshift -0.3"));
        QVERIFY(sox("-n -r 44100 -c 1", "l.wav", "synth 2 sine 300 vol 0.1 pad 1 0"));
        QVERIFY(sox("-n -r 44100 -c 1", "r.wav", "synth 2 sine 1000 vol 0.5 pad 1 0"));
        QVERIFY(sox("-M l.wav", "r.wav", "Loose/lr.wav"));
        QVERIFY(sox("-n -r 44100 -c 2", "Loose/fade.wav", "synth 3 sine 440 vol 0.5"));
        QVERIFY(sox("-n -r 44100 -c 2", "Dup1/a.wav", "synth 1 sine 500 vol 0.3"));
        QVERIFY(sox("Dup1/a.wav", "Dup2/a.flac", "trim 0"));
        const auto ffmpeg = [](const QString& options, const QStringList& tail) {
            return tool("ffmpeg", QString("-v error -f lavfi -i " + options).split(' ') + tail);
        };
        QVERIFY(ffmpeg("color=c=red:s=64x64 -frames:v 1", {"Album/cover.jpg"}));
        QVERIFY(ffmpeg("testsrc=d=2:s=160x120:r=10 -f lavfi -i sine=f=660:d=2 -shortest -c:v mpeg4 -c:a aac",
                       {"Loose/clip.mp4"}));
        QVERIFY(ffmpeg("sine=f=550:d=1 -ac 2 -c:a libvorbis", {"Loose/" + WeirdName + ".ogg"}));
        QVERIFY(ffmpeg("sine=f=440:d=2 -i Album/cover.jpg -map 0 -map 1 -ac 2 -c:v copy -id3v2_version 3 "
                       "-disposition:v attached_pic -metadata artist=Tester -metadata album=Album -metadata track=2/9 "
                       "-metadata date=2020 -metadata genre=Rock",
                       {"-metadata", QString::fromUtf8("title=Tönë"), "Album/CD2/02.mp3"}));
        const QList<QPair<QString, QByteArray>> files{{"Album/notes.txt", "notes\n"},
                                                      {"Album/README", "x"},
                                                      {"Album/data.bin", QByteArray(300, '\x01')},
                                                      {"Dup2/README", "z"},
                                                      {"Loose/broken.mp3", "garbage"}};
        for (const auto& file : files) {
            QFile out(file.first);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file.second) == file.second.size());
        }
        QVERIFY(QFile::copy("Album/cover.jpg", "Dup1/cover.jpg"));
    }

    void init()
    {
        VUVararer::App::theApp()->settings()->remove(QCoreApplication::applicationName());
        store(
            {{"DestinationPath", m_dir.path() + "/out/"}, {"KeyPlaySoundAfter", false}, {"KeyOpenFolderAfter", false}});
    }

    void testDefaultRun()
    {
        store({{"KeyCopyImagesActive", true}, {"KeyCopyTextssActive", true}, {"KeyCopyEntireContentActive", true}});
        const Recorder* r = run({{"Album/CD1/01 tone.wav", "Album/CD2/02.mp3", "Loose/clip.mp4", "Loose/silence.wav",
                                  "Loose/broken.mp3", "Loose/" + WeirdName + ".ogg"},
                                 {"Album/cover.jpg"},
                                 {"Album/notes.txt"},
                                 {"Album/README", "Album/data.bin"},
                                 {"Album", "Loose/padded.wav"}});
        QVERIFY(r->bFinished);
        QVERIFY(QRegularExpression("/out/\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d/$").match(r->runFolder).hasMatch());
        const QString run = r->runFolder;
        QCOMPARE(tree(run),
                 QStringList({"Album/CD1/01 tone.m4a", "Album/CD2/02.m4a", "Album/README", "Album/cover.jpg",
                              "Album/data.bin", "Album/notes.txt", "clip.m4a", "silence.m4a", WeirdName + ".m4a"}));
        checkAac(run + "Album/CD1/01 tone.m4a", 44100, 2.0);
        QVERIFY(std::fabs(stat(run + "Album/CD1/01 tone.m4a")["peak"] - 1.0) < 0.05);
        checkAac(run + "Album/CD2/02.m4a", 44100, 2.0, 0.06, 1);
        checkAac(run + "clip.m4a", 44100, 2.0, 0.1);
        checkAac(run + "silence.m4a", 44100, 1.0);
        QVERIFY(stat(run + "silence.m4a")["peak"] < 0.001);
        checkAac(run + WeirdName + ".m4a", 44100, 1.0);

        const QJsonObject tags = TestKit::probeMedia(run + "Album/CD2/02.m4a")["tags"].toObject();
        QCOMPARE(tags["title"].toString(), QString::fromUtf8("Tönë"));
        QCOMPARE(tags["artist"].toString(), QString("Tester"));
        QCOMPARE(tags["album"].toString(), QString("Album"));
        QCOMPARE(tags["track"].toString(), QString("2/9"));
        QCOMPARE(tags["genre"].toString(), QString("Rock"));
        const TestKit::ToolResult mutagen =
            TestKit::runTool("/usr/bin/python3", {"-c",
                                                  "import sys; from mutagen.mp4 import MP4; t = MP4(sys.argv[1]).tags; "
                                                  "print(t['\\xa9nam'][0], len(t['covr']))",
                                                  run + "Album/CD2/02.m4a"});
        QCOMPARE(QString::fromUtf8(mutagen.out).trimmed(), QString::fromUtf8("Tönë 1"));

        for (const char* copy : {"Album/README", "Album/cover.jpg", "Album/data.bin", "Album/notes.txt"})
            QCOMPARE(contents(run + copy), contents(m_strIn + copy));
        QCOMPARE(r->errors, "Can not convert: " + m_strIn + "Loose/broken.mp3\n");
        QCOMPARE(r->count("errors"), 1);
        QVERIFY(r->events.indexOf("errors") < r->events.lastIndexOf("total:100"));
        QCOMPARE(r->events.lastIndexOf("total:100") + 1, r->events.indexOf("finished"));
        QCOMPARE(r->events.last(), QString("finished"));
        QCOMPARE(r->count("current:COPYING"), 3);
    }

    void testTrimRun()
    {
        store({{"KeyTrimSilenceActive", true},
               {"KeyNormalizationActive", false},
               {"KeyFolderStructureActive", false},
               {"KeyCopyMetaTagsActive", false},
               {"KeyCopyImagesActive", true},
               {"KeyCopyEntireContentActive", true},
               {"KeySampleRate", 22050},
               {"KeyBitRate", 64000}});
        const Recorder* r = run({{"Loose/padded.wav", "Loose/neg.wav", "Loose/lr.wav", "Loose/silence.wav",
                                  "Dup1/a.wav", "Dup2/a.flac", "Album/CD2/02.mp3"},
                                 {"Album/cover.jpg", "Dup1/cover.jpg"},
                                 {},
                                 {"Album/README", "Dup2/README", "Album/missing.bin"},
                                 {"Loose", "Dup1", "Dup2"}});
        QVERIFY(r->bFinished);
        QCOMPARE(r->errors, "Can not copy: " + m_strIn + "Album/missing.bin (" + qt_error_string(ENOENT) + ")\n");
        const QString run = r->runFolder;
        QCOMPARE(tree(run), QStringList({"02.m4a", "README", "README 2", "a 2.m4a", "a.m4a", "cover 2.jpg", "cover.jpg",
                                         "lr.m4a", "neg.m4a", "padded.m4a", "silence.m4a"}));
        checkAac(run + "padded.m4a", 22050, 1.0);
        QVERIFY(stat(run + "padded.m4a", {"trim", "0", "0.05"})["rms"] > 0.1);
        checkAac(run + "neg.m4a", 22050, 1.0);
        checkAac(run + "silence.m4a", 22050, 1.0);
        checkAac(run + "lr.m4a", 22050, 2.0);
        const double left = stat(run + "lr.m4a", {"remix", "1"})["rms"];
        const double right = stat(run + "lr.m4a", {"remix", "2"})["rms"];
        QVERIFY2(std::fabs(left - 0.0707) < 0.0141 && std::fabs(right - 0.3536) < 0.0707,
                 qPrintable(QString("%1 %2").arg(left).arg(right)));
        QVERIFY(!TestKit::probeMedia(run + "02.m4a")["tags"].toObject().contains("title"));
        QCOMPARE(contents(run + "README 2"), QByteArray("z"));
    }

    void testFadeRun()
    {
        store({{"KeyFadeInOutActive", true},
               {"KeyFadeIn", 1},
               {"KeyFadeOut", 1},
               {"KeyTrimSilenceActive", true},
               {"KeyNormalization", 50},
               {"KeyFolderStructureActive", false}});
        const Recorder* r = run({{"Loose/fade.wav", "Loose/padded.wav"}, {}, {}, {}, {}});
        QVERIFY(r->bFinished && r->errors.isEmpty());
        const QString fade = r->runFolder + "fade.m4a";
        QVERIFY(std::fabs(stat(fade)["peak"] - 0.5) < 0.03);
        const double middle = stat(fade, {"trim", "1.0", "1.0"})["rms"];
        QVERIFY(stat(fade, {"trim", "0", "0.2"})["rms"] < 0.25 * middle);
        QVERIFY(stat(fade, {"trim", "2.8", "0.2"})["rms"] < 0.25 * middle);
        QVERIFY(stat(r->runFolder + "padded.m4a")["peak"] <= 0.53);
    }

    void testEncodedPeak_data()
    {
        // The tool and its arguments that write the source at OUT.
        QTest::addColumn<QStringList>("maker");
        QTest::addColumn<int>("level");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        const auto lavfi = [](const QString& graph) {
            return QStringList{"ffmpeg", "-v", "error", "-y",        "-f", "lavfi", "-i", graph + ":d=3:s=44100",
                               "-ac",    "2",  "-c:a",  "pcm_s16le", "OUT"};
        };
        const QString square = "aevalsrc=if(lt(mod(t*441\\,1)\\,0.5)\\,1\\,-1)";
        QTest::newRow("full-scale sine") << lavfi("aevalsrc=sin(2*PI*997*t)") << 100 << -1.0 << 0.0;
        QTest::newRow("square") << lavfi(square) << 100 << -1.0 << 0.0;
        QTest::newRow("pink noise") << lavfi("anoisesrc=c=pink:a=1") << 100 << -1.0 << 0.0;
        QTest::newRow("clipped mix") << lavfi("aevalsrc=clip(0.9*sin(2*PI*220*t)+0.9*sin(2*PI*331*t)\\,-1\\,1)") << 100
                                     << -1.0 << 0.0;
        // Its first encode decodes above full scale; the encoder's lift at an abrupt onset scatters by more than a dB
        // between nearby levels.
        QTest::newRow("abrupt 1 kHz tone at -20 dBFS")
            << QStringList{"sox", "-R",  "-n",    "-r", "44100", "-b",   "16",   "-c",
                           "2",   "OUT", "synth", "6",  "sine",  "1000", "gain", "-20"}
            << 100 << -2.0 << 0.0;
        QTest::newRow("square at 50 %") << lavfi(square) << 50 << -7.02 << -6.02;
        QTest::newRow("normalization off")
            << lavfi("aevalsrc=0.5*sin(2*PI*997*t)|0.5*sin(2*PI*997*t)") << 0 << -7.5 << -4.5;
    }

    // The decoded peak of the result as ffmpeg's astats measures it.
    void testEncodedPeak()
    {
        QFETCH(QStringList, maker);
        QFETCH(int, level);
        QFETCH(double, low);
        QFETCH(double, high);
        const QString name = QString("peak/%1.wav").arg(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(m_strIn + "peak"));
        maker.replaceInStrings(QRegularExpression("^OUT$"), m_strIn + name);
        QVERIFY(tool(maker.first(), maker.mid(1)));
        store(
            {{"KeyNormalizationActive", level > 0}, {"KeyNormalization", level}, {"KeyFolderStructureActive", false}});
        const Recorder* r = run({{name}, {}, {}, {}, {}});
        QVERIFY(r->bFinished && r->errors.isEmpty());
        const QString result = r->runFolder + QFileInfo(name).completeBaseName() + ".m4a";
        const double peak = TestKit::decodedLevel(result, "Peak");
        QVERIFY2(peak >= low && peak <= high, qPrintable(QString::number(peak)));
    }

    void testStopAndPause()
    {
        store({{"KeyFolderStructureActive", false}, {"KeyCopyImagesActive", true}});
        const Recorder* stopped =
            run({{"Loose/fade.wav", "Loose/fade.wav", "Loose/fade.wav"}, {"Album/cover.jpg"}, {}, {}, {}},
                [](BatchWorker* worker) {
                    connect(
                        worker, &BatchWorker::fileProgress, worker,
                        [worker](int percent) {
                            if (percent > 0)
                                worker->stop();
                        },
                        Qt::DirectConnection);
                });
        QVERIFY(stopped->bFinished);
        QCOMPARE(tree(stopped->runFolder), QStringList{"fade.m4a"});
        checkAac(stopped->runFolder + "fade.m4a", 44100, 3.0);
        QCOMPARE(stopped->count("current:COPYING"), 0);
        // The file the run stopped in counts for no progress.
        QCOMPARE(stopped->events.filter(QRegularExpression("^total:")), QStringList{"total:100"});

        BatchWorker* pWorker = nullptr;
        Recorder* paused = nullptr;
        bool bPaused = false;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(QTest::qWaitFor([&] { return paused && paused->count("file:[1-9]") > 0; }, 60000));
            QTest::qWait(300);
            const int n = paused->count("file:");
            QTest::qWait(1200);
            QCOMPARE(paused->count("file:"), n);
            QVERIFY(!paused->bFinished);
            pWorker->pause(false);
        });
        run({{"Loose/fade.wav"}, {}, {}, {}, {}}, [&](BatchWorker* worker) {
            pWorker = worker;
            paused = m_pRecorder;
            connect(
                worker, &BatchWorker::fileProgress, worker,
                [worker, &bPaused](int percent) {
                    if (percent >= 10 && !bPaused) {
                        bPaused = true;
                        worker->pause(true);
                    }
                },
                Qt::DirectConnection);
        });
        QVERIFY(paused->bFinished);
        checkAac(paused->runFolder + "fade.m4a", 44100, 3.0);
    }

    // Stopped as it shows its first file, a run of ten thousand files ends within seconds: nothing is probed or
    // prepared for the files it does not begin.
    void testStopAtStartOfManyFiles()
    {
        store({{"KeyFolderStructureActive", false}});
        QVERIFY(QDir().mkpath(m_strIn + "Many"));
        QStringList inputs;
        for (int i = 0; i < 10000; ++i) {
            inputs << QString("Many/%1.wav").arg(i);
            QVERIFY(QFile::link(m_strIn + "Loose/padded.wav", m_strIn + inputs.last()));
        }
        QElapsedTimer timer;
        timer.start();
        const Recorder* r = run({inputs, {}, {}, {}, {}}, [](BatchWorker* worker) {
            connect(
                worker, &BatchWorker::currentFile, worker, [worker](const QString&) { worker->stop(); },
                Qt::DirectConnection);
        });
        QVERIFY(r->bFinished);
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        // Stopped before its second pass, the file shown is not converted either.
        QCOMPARE(tree(r->runFolder), QStringList());
    }

    // A single long file is encoded on every core of the run, and on no more.
    void testEncodeTakesEveryCore()
    {
        store({{"KeyNormalizationActive", false}});
        QVERIFY(QDir().mkpath(m_strIn + "Cores"));
        QVERIFY(tool("sox", {"-R", "-n", "-r", "44100", "-c", "2", "-b", "16", m_strIn + "Cores/long.wav", "synth",
                             "480", "pinknoise", "vol", "0.3"}));
        int nMostThreads = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            for (const int pid : TestKit::encodersWriting(m_dir.path() + "/out/")) {
                const int nThreads =
                    QDir(QString("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
                // Beside the one that hands out the parts.
                nMostThreads = std::max(nMostThreads, nThreads - 1);
            }
        });
        sampler.start(10);
        const Recorder* r = run({{"Cores/long.wav"}, {}, {}, {}, {}});
        QVERIFY2(r->bFinished && r->errors.isEmpty(), qPrintable(r->errors));
        // Parts are short enough that a file of 8 minutes takes every core, within the tool's bound.
        QCOMPARE(nMostThreads, std::min(QThread::idealThreadCount(), EncodeParts::kMaxParts));
        checkAac(r->runFolder + "long.m4a", 44100, 480);
    }

    // Paused during its encode, the encoder is stopped, every part of it: neither its output nor its CPU time moves;
    // resumed, it makes the sound of a run that was never paused.
    void testPauseHoldsEncoder()
    {
        store({{"KeyNormalizationActive", false}});
        const QString source = m_strIn + "Long/long.flac";
        QVERIFY(QDir().mkpath(m_strIn + "Long"));
        QString error;
        QVERIFY2(TestKit::makeTone(source, 300, 44100, 2, {"-c:a", "flac"}, &error), qPrintable(error));
        const Recorder* plain = run({{"Long/long.flac"}, {}, {}, {}, {}});

        const QString out = m_dir.path() + "/out/";
        BatchWorker* pWorker = nullptr;
        QTimer::singleShot(0, this, [&] {
            QList<int> encoders;
            QString partial;
            QVERIFY(QTest::qWaitFor(
                [&] {
                    QDirIterator it(out, {"*.partial"}, QDir::Files, QDirIterator::Subdirectories);
                    partial = it.hasNext() ? it.next() : QString();
                    encoders = TestKit::encodersWriting(out);
                    return !partial.isEmpty() && encoders.size() == 1;
                },
                120000));
            pWorker->pause(true);
            char state = '?';
            QVERIFY(QTest::qWaitFor([&] { return TestKit::processCpuTicks(encoders[0], &state) >= 0 && state == 'T'; },
                                    10000));
            const qint64 ticks = TestKit::processCpuTicks(encoders[0]);
            const qint64 size = QFileInfo(partial).size();
            QTest::qWait(2000);
            QCOMPARE(TestKit::processCpuTicks(encoders[0], &state), ticks);
            QCOMPARE(state, 'T');
            QCOMPARE(QFileInfo(partial).size(), size);
            pWorker->pause(false);
        });
        const Recorder* paused =
            run({{"Long/long.flac"}, {}, {}, {}, {}}, [&](BatchWorker* worker) { pWorker = worker; });
        QVERIFY(paused->bFinished);
        QCOMPARE(tree(paused->runFolder), QStringList{"long.m4a"});
        // The joins of a split encode follow the file alone, never the timing: the same bytes.
        QVERIFY(contents(paused->runFolder + "long.m4a") == contents(plain->runFolder + "long.m4a"));
    }

    void testDrives_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("ntfs-3g") << int(TestKit::FuseDrive::Ntfs);
        QTest::newRow("exfat-fuse") << int(TestKit::FuseDrive::Exfat);
    }

    // On drives without unnamed files, rename flags or links, every result and copy is made whole, and a name taken
    // during a copy gives the next free one.
    void testDrives()
    {
        QFETCH(int, kind);
        TestKit::FuseDrive drive(TestKit::FuseDrive::Kind(kind), m_dir.filePath(QTest::currentDataTag()));
        QString why;
        if (!drive.mount(&why))
            QSKIP(qPrintable("the drive can not be mounted: " + why));
        store({{"DestinationPath", drive.path()},
               {"KeyCopyImagesActive", true},
               {"KeyCopyTextssActive", true},
               {"KeyCopyEntireContentActive", true}});
        // A pipe is copied until it is closed; meanwhile the user takes the copy's name.
        const QByteArray stream = QFile::encodeName(m_strIn + "Album/stream");
        QCOMPARE(::mkfifo(stream.constData(), 0600), 0);
        std::thread user([&] {
            int fifo = -1;
            for (int n = 0; n < 6000 && (fifo = ::open(stream.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0; ++n)
                QThread::msleep(20);
            if (fifo < 0)
                return;
            const QStringList runs = QDir(drive.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            TestKit::writeFile(drive.path() + runs.value(0) + "/Album/stream", "user");
            if (::write(fifo, "piped", 5) != 5)
                qWarning("the pipe took not all bytes");
            ::close(fifo);
        });
        const Recorder* r = run({{"Album/CD1/01 tone.wav", "Album/CD2/02.mp3"},
                                 {"Album/cover.jpg"},
                                 {"Album/notes.txt"},
                                 {"Album/README", "Album/data.bin", "Album/stream"},
                                 {"Album"}});
        user.join();
        QFile::remove(QFile::decodeName(stream));
        QVERIFY(r->bFinished);
        QCOMPARE(r->errors, QString());
        const QString run = r->runFolder;
        QCOMPARE(tree(run), QStringList({"Album/CD1/01 tone.m4a", "Album/CD2/02.m4a", "Album/README", "Album/cover.jpg",
                                         "Album/data.bin", "Album/notes.txt", "Album/stream", "Album/stream 2"}));
        checkAac(run + "Album/CD1/01 tone.m4a", 44100, 2.0);
        for (const char* copy : {"Album/README", "Album/cover.jpg", "Album/data.bin", "Album/notes.txt"})
            QCOMPARE(contents(run + copy), contents(m_strIn + copy));
        QCOMPARE(contents(run + "Album/stream"), QByteArray("user"));
        QCOMPARE(contents(run + "Album/stream 2"), QByteArray("piped"));
    }

    // The encoder killed outright during a run leaves no working file; the file gets its line and the run goes on.
    void testEncoderKilled()
    {
        store({{"KeyNormalizationActive", false}, {"KeyFolderStructureActive", false}});
        QVERIFY(QDir().mkpath(m_strIn + "Killed"));
        QString error;
        QVERIFY2(TestKit::makeTone(m_strIn + "Killed/killed.flac", 300, 44100, 2, {"-c:a", "flac"}, &error),
                 qPrintable(error));
        QTimer::singleShot(0, this, [&] {
            QList<int> encoders;
            QVERIFY(QTest::qWaitFor(
                [&] {
                    QDirIterator it(m_dir.path() + "/out/", {"killed.m4a.*.partial"}, QDir::Files,
                                    QDirIterator::Subdirectories);
                    encoders = it.hasNext() ? TestKit::encodersWriting(it.next().chopped(8)) : QList<int>();
                    return encoders.size() == 1;
                },
                120000));
            QCOMPARE(::kill(encoders[0], SIGKILL), 0);
        });
        const Recorder* r = run({{"Killed/killed.flac", "Loose/fade.wav"}, {}, {}, {}, {}});
        QVERIFY(r->bFinished);
        QCOMPARE(r->errors, "Settings error, can not create: " + r->runFolder + "killed.m4a (afconvert crashed)\n");
        QCOMPARE(tree(r->runFolder), QStringList{"fade.m4a"});
    }

    void testDestinations()
    {
        const Recorder* empty = run({});
        QVERIFY(empty->bFinished && empty->errors.isEmpty());
        QVERIFY(QDir(empty->runFolder).exists() && tree(empty->runFolder).isEmpty());
        QCOMPARE(empty->events, QStringList({"total:100", "finished"}));

        store({{"DestinationPath", m_strIn + "Album/README/out/"}});
        const Recorder* blocked = run({{"Loose/fade.wav"}, {}, {}, {}, {}});
        QVERIFY(blocked->bFinished);
        QCOMPARE(blocked->errors, "Can not create the folder: " + blocked->runFolder + "\n");
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, BatchRunTest)
#include "tst_batchrun.moc"
