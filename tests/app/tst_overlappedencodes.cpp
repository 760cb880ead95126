#include "TestMain.h"

#include <core/BatchRun.h>
#include <core/BatchWorker.h>
#include <core/ConversionSettings.h>
#include <core/CoreBudget.h>
#include <core/GeneralOutput.h>

#include <VUVararer/App.h>
#include <ZADovuzIdida/NativeAudioDecoderBase.h>

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <vector>

namespace {

struct EncodeStats
{
    // Files being decoded at once, now and at most.
    std::atomic<int> nDecoding{0};
    std::atomic<int> nMostDecoding{0};
    std::atomic<int> nStarted{0};
    std::atomic<int> nEnded{0};
    std::atomic<int> nRunning{0};
    std::atomic<int> nMostRunning{0};
    // What the worker's free-space query answers.
    qint64 nAvailable = qint64(1) << 40;
    // The durations the list knows, by source name; others are unknown.
    QHash<QString, qint64> seconds;
    // Called in the encode's thread as the given encode (from 1) starts.
    std::function<void(int)> onStart;
    // When set, the pass (1 or 2) of a source named "slow" opens only once two encodes have ended and the test lets
    // it go, or after 20 s.
    int nHeldPass = 0;
    std::atomic<bool> bHeldByTest{false};
    std::atomic<bool> bSlowPassesEnded{false};
    // The most encodes running at once before the slow file's passes ended.
    std::atomic<int> nMostBesideSlow{0};
};

void raiseMost(std::atomic<int>& most, int value)
{
    for (int seen = most; value > seen;)
        most.compare_exchange_weak(seen, value);
}

// Plays a constant for a length told by the name, after a short wait; names with "silent" play nothing.
class NamedDecoder : public ZADovuzIdida::NativeAudioDecoderBase
{
public:
    explicit NamedDecoder(EncodeStats* pStats) : m_pStats(pStats) {}
    void setFile(const QString& path, const int&, const int&, const int&) override
    {
        m_bSlow = path.contains("slow");
        if (m_bSlow && ++m_nPass == m_pStats->nHeldPass)
            for (int n = 0; (m_pStats->nEnded < 2 || m_pStats->bHeldByTest) && n < 2000; ++n)
                QThread::msleep(10);
        raiseMost(m_pStats->nMostDecoding, ++m_pStats->nDecoding);
        QThread::msleep(5);
        m_nPosition = 0;
        m_nLength = path.contains("silent") ? 0 : 20000 + 2000 * int(qHash(path) % 16);
    }
    int read(float* buffer, int count) override
    {
        const int n = std::min(count, m_nLength - m_nPosition);
        std::fill(buffer, buffer + std::max(n, 0), 0.5f);
        m_nPosition += std::max(n, 0);
        return std::max(n, 0);
    }
    void finish() override
    {
        --m_pStats->nDecoding;
        if (m_bSlow && m_nPass == 2)
            m_pStats->bSlowPassesEnded = true;
    }

private:
    EncodeStats* m_pStats;
    bool m_bSlow = false;
    int m_nPass = 0;
    int m_nPosition = 0;
    int m_nLength = 0;
};

// An encoder that takes a random time, refuses sources named "fail..." and else copies the intermediate.
class SlowOutput : public GeneralOutput
{
public:
    SlowOutput(const QString& target, const ZADovuzIdida::MAudioFormat& format, EncodeStats* pStats)
        : GeneralOutput(target, format), m_pStats(pStats)
    {
    }

protected:
    bool encode(const QString& input, const QString& output, float, QString* pReason) override
    {
        const int nth = ++m_pStats->nStarted;
        raiseMost(m_pStats->nMostRunning, ++m_pStats->nRunning);
        if (!m_pStats->bSlowPassesEnded)
            raiseMost(m_pStats->nMostBesideSlow, m_pStats->nRunning);
        if (m_pStats->onStart)
            m_pStats->onStart(nth);
        QThread::msleep(20 + QRandomGenerator::global()->bounded(60));
        const bool bOk = !QFileInfo(input).completeBaseName().startsWith("fail") && QFile::remove(output) &&
                         QFile::copy(input, output);
        if (!bOk)
            *pReason = "refused";
        --m_pStats->nRunning;
        ++m_pStats->nEnded;
        return bOk;
    }

private:
    EncodeStats* m_pStats;
};

class SlowWorker : public BatchWorker
{
public:
    SlowWorker(int nSlots, EncodeStats* pStats) : m_nSlots(nSlots), m_pStats(pStats) {}

protected:
    ZADovuzIdida::NativeAudioDecoderBase* createDecoder() const override { return new NamedDecoder(m_pStats); }
    GeneralOutput* createOutput(const QString& target) override
    {
        return new SlowOutput(target, ConversionSettings::targetFormat(), m_pStats);
    }
    int encodeSlots() const override { return m_nSlots; }
    qint64 availableBytes(const QString&) const override { return m_pStats->nAvailable; }

private:
    int m_nSlots;
    EncodeStats* m_pStats;
};

struct Outcome
{
    // With the run folder as "OUT/".
    QString errors;
    QStringList totals;
    // The names shown as the file at hand.
    QStringList shown;
    // Every file of the run folder with its size.
    QStringList files;
    bool bFinished = false;
    bool bSpaceLacking = false;
};

const QStringList Sources{"d1/a.wav", "d2/a.flac", "fail1.wav", "b.wav",   "silent.wav", "d3/a.mp3",
                          "c.wav",    "fail2.wav", "d.wav",     "e 2.wav", "e.wav",      "e.ogg"};

} // namespace

class OverlappedEncodesTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QStringList filesIn(const QString& folder) const
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files << path.mid(folder.size()) + " " + QString::number(QFileInfo(path).size());
        }
        files.sort();
        return files;
    }

    // One run of names on nSlots cores; during runs, act(run, worker) is called from the test thread until it
    // returns true.
    Outcome run(int nSlots, EncodeStats* pStats, const std::function<bool(BatchRun*&, BatchWorker*)>& act = {},
                const QStringList& names = Sources)
    {
        Outcome outcome;
        auto* pWorker = new SlowWorker(nSlots, pStats);
        pWorker->setSettings(ConversionSettings::targetFormat());
        QVector<QString> sources;
        QVector<qint64> durations;
        for (const QString& name : names) {
            sources << m_dir.path() + "/in/" + name;
            durations << pStats->seconds.value(name, -1);
        }
        pWorker->setInputFiles(sources);
        pWorker->setInputDurations(durations);
        auto* pRun = new BatchRun(pWorker);
        QString folder;
        connect(pRun, &BatchRun::totalProgress, this, [&](int percent) { outcome.totals << QString::number(percent); });
        connect(pRun, &BatchRun::currentFile, this, [&](const QString& text) {
            if (text != "ANALYZING")
                outcome.shown << text;
        });
        connect(pRun, &BatchRun::notEnoughtFreeSpace, this, [&] { outcome.bSpaceLacking = true; });
        connect(pRun, &BatchRun::errorsLog, this, [&](const QString& text) { outcome.errors += text; });
        connect(pRun, &BatchRun::finished, this, [&](const QString& runFolder) {
            folder = runFolder;
            outcome.bFinished = true;
        });
        const QString out = m_dir.path() + "/out/";
        const QStringList before = QDir(out).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        pRun->start(0);
        bool bActed = !act;
        if (!QTest::qWaitFor(
                [&] {
                    if (!bActed)
                        bActed = act(pRun, pWorker);
                    return !pRun || outcome.bFinished;
                },
                60000))
            qWarning("the run did not end");
        delete pRun;
        if (folder.isEmpty()) {
            const QStringList after = QDir(out).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            for (const QString& name : after)
                if (!before.contains(name))
                    folder = out + name + "/";
        }
        outcome.files = filesIn(folder);
        outcome.errors.replace(folder, "OUT/");
        return outcome;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        VUVararer::App::theApp()->settings()->remove(QCoreApplication::applicationName());
        const QVariantMap values{{"DestinationPath", m_dir.path() + "/out/"},
                                 {ConversionSettings::KeyNormalizationActive, false},
                                 {ConversionSettings::KeyCopyMetaTagsActive, false},
                                 {ConversionSettings::KeyFolderStructureActive, false}};
        for (auto it = values.begin(); it != values.end(); ++it)
            VUVararer::App::theApp()->setSettingsValue(it.key(), it.value());
    }

    // A core freed twice shows; the budget still never counts fewer than none held.
    void testCoreFreedTwice()
    {
        CoreBudget cores(2);
        QVERIFY(cores.tryTake());
        QVERIFY(cores.lend());
        cores.release();
        QTest::ignoreMessage(QtCriticalMsg, "CoreBudget: 1 cores released, 0 held");
        cores.release();
        QTest::ignoreMessage(QtCriticalMsg, "CoreBudget: 2 cores given back, 1 held");
        cores.giveBack(2);
        QVERIFY(cores.tryTake() && cores.tryTake());
        QVERIFY(!cores.tryTake());
    }

    void testEncodeParts_data()
    {
        QTest::addColumn<int>("nCores");
        QTest::addColumn<int>("taken");
        QTest::addColumn<int>("lent");
        QTest::addColumn<int>("waiting");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bitRate");
        QTest::addColumn<int>("parts");
        QTest::newRow("one core") << 1 << 0 << 0 << 0 << 3600 << 44100 << 128000 << 1;
        QTest::newRow("alone, 60 s") << 8 << 1 << 0 << 0 << 60 << 44100 << 128000 << 8;
        QTest::newRow("alone, 60 min") << 8 << 1 << 0 << 0 << 3600 << 44100 << 128000 << 16;
        QTest::newRow("a core spare") << 8 << 5 << 0 << 2 << 60 << 44100 << 128000 << 2;
        QTest::newRow("none waits, cores lent") << 8 << 6 << 2 << 0 << 60 << 44100 << 128000 << 3;
        QTest::newRow("every core a file's, 60 s") << 8 << 8 << 0 << 0 << 60 << 44100 << 128000 << 1;
        QTest::newRow("every core a file's, 10 min") << 8 << 8 << 0 << 0 << 600 << 44100 << 128000 << 12;
        QTest::newRow("files wait, cores lent") << 8 << 6 << 2 << 2 << 60 << 44100 << 128000 << 1;
        QTest::newRow("files wait, 60 min") << 8 << 8 << 0 << 5 << 3600 << 44100 << 128000 << 16;
        QTest::newRow("alone, 20 min at 96 kHz 320k") << 8 << 1 << 0 << 0 << 1200 << 96000 << 320000 << 1;
        QTest::newRow("alone, 60 min at 96 kHz 320k") << 8 << 1 << 0 << 0 << 3600 << 96000 << 320000 << 5;
    }

    // A part for each core free now or soon; long files in long parts whatever the cores; no more than the tool cuts.
    void testEncodeParts()
    {
        QFETCH(int, nCores);
        QFETCH(int, taken);
        QFETCH(int, lent);
        QFETCH(int, waiting);
        QFETCH(int, seconds);
        QFETCH(int, rate);
        QFETCH(int, bitRate);
        QFETCH(int, parts);
        CoreBudget cores(nCores);
        for (int i = 0; i < taken; ++i)
            QVERIFY(cores.tryTake());
        for (int i = 0; i < lent; ++i)
            QVERIFY(cores.lend());
        cores.setWaiting(waiting);
        QCOMPARE(cores.encodeParts(qint64(rate) * seconds, rate, bitRate, 2), parts);
    }

    void testAsOneAtATime()
    {
        EncodeStats single;
        const Outcome reference = run(1, &single);
        EncodeStats overlapped;
        const Outcome outcome = run(4, &overlapped);

        QCOMPARE(single.nMostRunning.load(), 1);
        QVERIFY(overlapped.nMostRunning > 1);
        QCOMPARE(single.nMostDecoding.load(), 1);
        QVERIFY(overlapped.nMostDecoding > 1);
        QCOMPARE(outcome.shown, reference.shown);
        QVERIFY(reference.bFinished && outcome.bFinished);
        QCOMPARE(outcome.errors, reference.errors);
        QCOMPARE(outcome.totals, reference.totals);
        QCOMPARE(outcome.files, reference.files);

        const QString in = m_dir.path() + "/in/";
        QCOMPARE(reference.errors, "Settings error, can not create: OUT/fail1.m4a (refused)\nCan not convert: " + in +
                                       "silent.wav\nSettings error, can not create: OUT/fail2.m4a (refused)\n");
        QCOMPARE(reference.totals.join(' '), QString("8 16 25 33 41 50 58 66 75 83 91 100 100"));
        QStringList names;
        for (const QString& file : reference.files)
            names << file.section(' ', 0, -2);
        QCOMPARE(names, QStringList(
                            {"a 2.m4a", "a 3.m4a", "a.m4a", "b.m4a", "c.m4a", "d.m4a", "e 2.m4a", "e 3.m4a", "e.m4a"}));
    }

    // The longest files known to the list go first, numbered names too; the results' names, the lines and the
    // progress still follow the list.
    void testLongestFirst()
    {
        const QStringList names = Sources + QStringList{"Track 1.wav", "Track 2.wav", "Track 3.wav", "Track 4.wav"};
        EncodeStats listed;
        const Outcome reference = run(4, &listed, {}, names);
        EncodeStats stats;
        stats.seconds = {{"c.wav", 300},      {"d3/a.mp3", 200},    {"fail2.wav", 100},  {"e.ogg", 50},
                         {"Track 1.wav", 10}, {"Track 2.wav", 400}, {"Track 3.wav", 20}, {"Track 4.wav", 300}};
        const Outcome outcome = run(4, &stats, {}, names);
        QCOMPARE(outcome.shown.mid(0, 8),
                 QStringList({"Track 2", "c", "Track 4", "a", "fail2", "e", "Track 3", "Track 1"}));
        QCOMPARE(outcome.files, reference.files);
        QCOMPARE(outcome.errors, reference.errors);
        QCOMPARE(outcome.totals, reference.totals);
    }

    void testEncodesBesidePasses_data()
    {
        QTest::addColumn<int>("heldPass");
        QTest::addColumn<bool>("busy");
        QTest::newRow("first pass late") << 1 << false;
        QTest::newRow("second pass late") << 2 << false;
        QTest::newRow("first pass late, every core busy") << 1 << true;
        QTest::newRow("second pass late, every core busy") << 2 << true;
    }

    // Files whose passes end while the first file's have not are encoded at once, each on its own core; the names
    // shown, the lines and the progress still follow the list.
    void testEncodesBesidePasses()
    {
        QFETCH(int, heldPass);
        QFETCH(bool, busy);
        const QStringList names{"fail slow.wav", "fail1.wav", "b.wav", "fail2.wav", "c.wav",
                                "d.wav",         "e.wav",     "f.wav", "g.wav"};
        EncodeStats single;
        const Outcome reference = run(1, &single, {}, names);
        std::vector<std::unique_ptr<QProcess>> vecBusy;
        for (int i = 0; busy && i < QThread::idealThreadCount(); ++i) {
            vecBusy.push_back(std::make_unique<QProcess>());
            vecBusy.back()->start("sh", {"-c", "while :; do :; done"});
        }
        EncodeStats stats;
        stats.nHeldPass = heldPass;
        const Outcome outcome = run(4, &stats, {}, names);
        vecBusy.clear();
        QVERIFY(stats.nMostBesideSlow > 0);
        QVERIFY(stats.nMostBesideSlow <= 3);
        QVERIFY(outcome.bFinished);
        QCOMPARE(outcome.shown, reference.shown);
        QCOMPARE(outcome.errors, reference.errors);
        QCOMPARE(outcome.totals, reference.totals);
        QCOMPARE(outcome.files, reference.files);
        QVERIFY(reference.errors.startsWith("Settings error, can not create: OUT/fail slow.m4a (refused)\n"));
    }

    // Stopped while files after the one shown have been encoded beside it: only the shown file's result stays, and
    // nothing of the others is reported.
    void testStopBesidePasses()
    {
        EncodeStats stats;
        stats.nHeldPass = 2;
        stats.bHeldByTest = true;
        const Outcome outcome = run(4, &stats,
                                    [&](BatchRun*&, BatchWorker* pWorker) {
                                        if (stats.nEnded < 2)
                                            return false;
                                        pWorker->stop();
                                        stats.bHeldByTest = false;
                                        return true;
                                    },
                                    {"slow.wav", "fail1.wav", "b.wav", "c.wav", "fail2.wav", "d.wav", "e.wav"});
        QVERIFY(outcome.bFinished);
        QCOMPARE(stats.nEnded.load(), stats.nStarted.load());
        QCOMPARE(outcome.files.size(), 1);
        QVERIFY2(outcome.files.first().startsWith("slow.m4a "), qPrintable(outcome.files.first()));
        QCOMPARE(outcome.errors, QString());
        QCOMPARE(outcome.totals, QStringList{"100"});
        QCOMPARE(outcome.shown, QStringList{"slow"});
    }

    // Room for one file at a time: the encodes do not overlap, and the worker does not report a full disk.
    void testFreeSpace()
    {
        EncodeStats single;
        const Outcome reference = run(1, &single);
        EncodeStats stats;
        stats.nAvailable = 2 << 20;
        const Outcome outcome = run(4, &stats);
        QCOMPARE(stats.nMostRunning.load(), 1);
        QVERIFY(!outcome.bSpaceLacking);
        QCOMPARE(outcome.files, reference.files);
        QCOMPARE(outcome.errors, reference.errors);
    }

    void testInterrupted_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stop") << "stop";
        QTest::newRow("pause") << "pause";
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("destroy") << "destroy";
    }

    // Interrupted while encodes overlap: the running encodes end, and only complete files are left.
    void testInterrupted()
    {
        QFETCH(QString, how);
        EncodeStats single;
        const Outcome reference = run(1, &single);

        EncodeStats stats;
        std::atomic<bool> bThird{false};
        BatchWorker* pHeld = nullptr;
        stats.onStart = [&](int nth) {
            if (nth == 3)
                bThird = true;
            if (nth == 3 && how == "stop")
                pHeld->stop();
            if (nth == 3 && how == "pause")
                pHeld->pause(true);
            if (nth == 3 && how == "cancel")
                pHeld->cancel();
        };
        bool bPausedSeen = false;
        const Outcome outcome = run(4, &stats, [&](BatchRun*& pRun, BatchWorker* pWorker) {
            pHeld = pWorker;
            if (!bThird)
                return false;
            if (how == "destroy") {
                delete pRun;
                pRun = nullptr;
                return true;
            }
            if (how == "pause") {
                // The running encodes, not processes here, end while the worker is held, and no other starts.
                if (stats.nEnded < stats.nStarted)
                    return false;
                const int nStarted = stats.nStarted;
                QTest::qWait(300);
                bPausedSeen = stats.nStarted == nStarted && stats.nRunning == 0;
                pWorker->pause(false);
            }
            return true;
        });
        QCOMPARE(stats.nEnded.load(), stats.nStarted.load());
        for (const QString& file : outcome.files)
            QVERIFY2(reference.files.contains(file), qPrintable(file));
        if (how == "pause") {
            QVERIFY(bPausedSeen);
            QCOMPARE(outcome.files, reference.files);
            QCOMPARE(outcome.errors, reference.errors);
        } else {
            QVERIFY(outcome.files.size() < reference.files.size());
        }
        // Nothing dropped by a cancel is reported.
        for (const QString& line : outcome.errors.split('\n', Qt::SkipEmptyParts))
            QVERIFY2(reference.errors.contains(line), qPrintable(line));
        QCOMPARE(outcome.bFinished, how != "destroy");
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, OverlappedEncodesTest)
#include "tst_overlappedencodes.moc"
