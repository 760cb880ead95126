// Runs on generated music-like material against ffmpeg's own AAC encoding of the same files: the time, the encodes
// each file took and the decoded peaks of the normalized results.
#include "BenchTools.h"

#include <core/BatchRun.h>
#include <core/BatchWorker.h>
#include <core/ConversionSettings.h>
#include <core/GeneralOutput.h>

#include <VUVararer/App.h>

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include <sys/resource.h>

namespace {

// One track of music-like material: sh -c Script sh KIND INDEX SECONDS OUT, with KIND chords (plucked chords with
// noise), drums (a transient-rich loop), speech (gated band-limited noise with pauses) or master (chords and drums
// mixed and driven 3 to 9 dB into clipping); SECONDS a multiple of 4 (a fifth of a second of silence comes first);
// OUT ending in .flac or .mp3.
const char* const Script = R"(set -e
kind=$1; i=$2; seconds=$3; out=$4; t=$(mktemp -d); trap 'rm -rf "$t"' EXIT
# The same noise in every run.
export SOX_OPTS=-R
# The index within the kind varies the track.
v=$((i / 4))
r="-r 44100 -c 2"
note() { awk "BEGIN{print 110*2^((($v*5)%12+$1)/12)}"; }
chords() {
  third=$((3 + v % 2))
  sox -n $r $t/a.wav synth 2 pluck $(note 0) pluck $(note $third) synth 2 pluck mix $(note 7) \
    synth 2 pinknoise mix gain -8
  sox -n $r $t/b.wav synth 2 pluck $(note 5) pluck $(note $((5 + third))) synth 2 pluck mix $(note 12) \
    synth 2 brownnoise mix gain -8
  sox $t/a.wav $t/b.wav $1 repeat $((seconds / 4 - 1)) reverb $((20 + 5 * (v % 5)))
}
drums() {
  sox -n $r $t/kick.wav synth 0.3 sine $((140 + 5 * (v % 4))):45 fade q 0.002 0.3 0.28 gain -6
  sox -n $r $t/snare.wav synth 0.2 noise synth 0.2 sine mix 190 fade q 0.001 0.2 0.19 gain -10 highpass 150
  sox -n $r $t/hat.wav synth 0.06 noise fade q 0.0005 0.06 0.055 gain -$((14 + v % 5)) highpass 6000
  bar=$1; set --
  for at in 0 0.75; do set -- "$@" "|sox $t/kick.wav -p pad $at"; done
  for at in 0.5 1.5; do set -- "$@" "|sox $t/snare.wav -p pad $at"; done
  for at in 0 0.25 0.5 0.75 1 1.25 1.5 1.75; do set -- "$@" "|sox $t/hat.wav -p pad $at"; done
  sox -m "$@" $t/bar.wav pad 0 1 trim 0 2 gain -n -2
  sox $t/bar.wav $bar repeat $((seconds / 2 - 1))
}
speech() {
  sox -n $r $t/s.wav synth 2.6 pinknoise synth 2.6 sine amod $(awk "BEGIN{print 3.6+0.2*$v}") 50 sinc 250-3400 \
    tremolo 1.7 80 fade q 0.05 2.6 0.2 pad 0 1.4 gain -n -4
  sox $t/s.wav $1 repeat $((seconds / 4 - 1))
}
master() {
  chords $t/c.wav; drums $t/d.wav
  sox -m $t/c.wav $t/d.wav $1 gain $((3 + 2 * (v % 4))) 2>/dev/null
}
$kind $t/x.wav
# A fifth of a second of silence before the sound, as on released tracks.
sox $t/x.wav $t/y.wav pad 0.2
case $out in
  *.mp3) ffmpeg -v error -y -i $t/y.wav -b:a 192k "$out" ;;
  *) sox $t/y.wav "$out" ;;
esac
)";

const char* const Kinds[] = {"chords", "drums", "speech", "master"};

// Tracks of the four kinds in turn, FLAC and MP3 in turns of four.
QVector<QString> makeTracks(const QString& folder, int nTracks, int seconds)
{
    QDir().mkpath(folder);
    QVector<QString> tracks;
    QList<QStringList> commands;
    for (int i = 0; i < nTracks; ++i) {
        const QString kind = Kinds[i % 4];
        tracks
            << QString("%1/%2 %3.%4").arg(folder).arg(i, 2, 10, QChar('0')).arg(kind).arg(i / 4 % 2 ? "mp3" : "flac");
        commands << QStringList{"sh",         "-c", Script, "sh", kind, QString::number(i), QString::number(seconds),
                                tracks.last()};
    }
    // The tools' warnings (clipped samples) are left out.
    QStringList warnings;
    Bench::timeTools(commands, QThread::idealThreadCount(), &warnings);
    return tracks;
}

// The encodes of each file, by its intermediate file.
struct EncodeCounts
{
    std::mutex mutex;
    QHash<QString, int> counts;
};

class CountingOutput : public GeneralOutput
{
public:
    CountingOutput(const QString& target, EncodeCounts* pCounts)
        : GeneralOutput(target, ConversionSettings::targetFormat()), m_strTarget(target), m_pCounts(pCounts)
    {
    }

protected:
    bool encode(const QString& input, const QString& output, float gain, QString* pReason) override
    {
        {
            std::lock_guard<std::mutex> lock(m_pCounts->mutex);
            ++m_pCounts->counts[m_strTarget];
        }
        return GeneralOutput::encode(input, output, gain, pReason);
    }

private:
    QString m_strTarget;
    EncodeCounts* m_pCounts;
};

class CountingWorker : public BatchWorker
{
public:
    explicit CountingWorker(EncodeCounts* pCounts) : m_pCounts(pCounts) {}

protected:
    GeneralOutput* createOutput(const QString& target) override { return new CountingOutput(target, m_pCounts); }

private:
    EncodeCounts* m_pCounts;
};

struct RunResult
{
    double seconds = 0.0;
    QString folder;
    double averageEncodes = 0.0;
    int nMostEncodes = 0;
};

// One run of the sources with the stored settings.
RunResult timeRun(const QVector<QString>& sources)
{
    EncodeCounts counts;
    BatchRun run(new CountingWorker(&counts));
    run.worker()->setSettings(ConversionSettings::targetFormat());
    run.worker()->setInputFiles(sources);
    RunResult result;
    QEventLoop loop;
    QObject::connect(&run, &BatchRun::finished, &loop, [&](const QString& folder) {
        result.folder = folder;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    run.start(0);
    loop.exec();
    result.seconds = timer.nsecsElapsed() / 1e9;
    for (const int n : qAsConst(counts.counts)) {
        result.averageEncodes += double(n) / sources.size();
        result.nMostEncodes = std::max(result.nMostEncodes, n);
    }
    return result;
}

// Decoded peaks of the results in folder by ffmpeg's astats, in dBFS.
std::vector<double> decodedPeaks(const QString& folder)
{
    QList<QStringList> commands;
    for (const QFileInfo& info : QDir(folder).entryInfoList({"*.m4a"}, QDir::Files, QDir::Name))
        commands << QStringList{"ffmpeg", "-hide_banner",
                                "-i",     info.filePath(),
                                "-af",    "astats=measure_perchannel=none:measure_overall=Peak_level",
                                "-f",     "null",
                                "-"};
    QStringList errors;
    Bench::timeTools(commands, QThread::idealThreadCount(), &errors);
    std::vector<double> peaks;
    const QRegularExpression peak("Peak level dB: (\\S+)");
    for (const QString& text : qAsConst(errors))
        peaks.push_back(peak.match(text).captured(1).toDouble());
    return peaks;
}

// ffmpeg's AAC encodes of the sources, nAtOnce at a time.
double timeFfmpeg(const QVector<QString>& sources, int nAtOnce, int bitRate, const QString& folder)
{
    QList<QStringList> commands;
    for (int i = 0; i < sources.size(); ++i)
        commands << QStringList{"ffmpeg",
                                "-v",
                                "error",
                                "-y",
                                "-i",
                                sources.at(i),
                                "-c:a",
                                "aac",
                                "-b:a",
                                QString::number(bitRate),
                                QString("%1/reference%2.m4a").arg(folder).arg(i)};
    return Bench::timeTools(commands, nAtOnce);
}

struct Spread
{
    std::vector<double> values;
    void add(double value) { values.push_back(value); }
    QString text() const
    {
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        return values.size() == 1 ? QString::number(*low, 'f', 2)
                                  : QString("%1-%2").arg(*low, 0, 'f', 2).arg(*high, 0, 'f', 2);
    }
};

// A batch of tracks measured repeats times: the run with and without normalization, ffmpeg nAtOnce at a time and,
// when bOneAfterAnother, one file after another.
void measure(const QString& title, const QVector<QString>& sources, int nAtOnce, bool bOneAfterAnother, int repeats,
             const QString& folder)
{
    VUVararer::App* app = VUVararer::App::theApp();
    const int bitRate = ConversionSettings::bitRate();
    const double limit = 20.0 * std::log10(ConversionSettings::normalization() / 100.0);
    Spread normalized, plain, reference, serial, ratio, plainRatio, average, most;
    int nInWindow = 0;
    int nPeaks = 0;
    double lowest = 100.0;
    double highest = -100.0;
    for (int n = 0; n < repeats; ++n) {
        app->setSettingsValue(ConversionSettings::KeyNormalizationActive, true);
        const RunResult run = timeRun(sources);
        app->setSettingsValue(ConversionSettings::KeyNormalizationActive, false);
        const RunResult plainRun = timeRun(sources);
        const double parallel = timeFfmpeg(sources, nAtOnce, bitRate, folder);
        normalized.add(run.seconds);
        plain.add(plainRun.seconds);
        reference.add(parallel);
        ratio.add(run.seconds / parallel);
        plainRatio.add(plainRun.seconds / parallel);
        average.add(run.averageEncodes);
        most.add(run.nMostEncodes);
        if (bOneAfterAnother)
            serial.add(timeFfmpeg(sources, 1, bitRate, folder));
        for (const double peak : decodedPeaks(run.folder)) {
            ++nPeaks;
            nInWindow += peak >= limit - 1.0 && peak <= limit;
            lowest = std::min(lowest, peak);
            highest = std::max(highest, peak);
        }
        QDir(run.folder).removeRecursively();
        QDir(plainRun.folder).removeRecursively();
    }
    std::printf("\n%s (%d repeats; each figure as lowest-highest)\n", qPrintable(title), repeats);
    std::printf("  run, normalized:              %s s\n", qPrintable(normalized.text()));
    std::printf("  run, not normalized:          %s s\n", qPrintable(plain.text()));
    std::printf("  ffmpeg, %2d at a time:         %s s\n", nAtOnce, qPrintable(reference.text()));
    if (bOneAfterAnother)
        std::printf("  ffmpeg, one after another:    %s s\n", qPrintable(serial.text()));
    std::printf("  ratio normalized/ffmpeg:      %s (goal: at most 1.3)\n", qPrintable(ratio.text()));
    std::printf("  ratio not normalized/ffmpeg:  %s\n", qPrintable(plainRatio.text()));
    std::printf("  encodes per file, average:    %s (goal: at most 1.2)\n", qPrintable(average.text()));
    std::printf("  encodes per file, most:       %s (goal: at most 2)\n", qPrintable(most.text()));
    std::printf("  decoded peaks in [%.2f, %.2f] dBFS: %d of %d (lowest %.2f, highest %.2f)\n", limit - 1.0, limit,
                nInWindow, nPeaks, lowest, highest);
    std::fflush(stdout);
}

// Leaves out the libraries' diagnostic lines (the encoder's command lines).
void dropDebug(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

long peakKiB(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

} // namespace

// Argument: how often each batch is measured (default 1).
int main(int argc, char** argv)
{
    QTemporaryDir dir;
    // The application object keeps its settings under this private home.
    qputenv("HOME", QFile::encodeName(dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(".config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(".local/share")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PATH", QFile::encodeName(QFileInfo(AFCONVERT_PATH).absolutePath()) + ":" + qgetenv("PATH"));
    VUVararer::App app(argc, argv);
    qInstallMessageHandler(dropDebug);
    const int repeats = std::max(argc > 1 ? QString(argv[1]).toInt() : 1, 1);
    const int nCores = QThread::idealThreadCount();
    app.setSettingsValue("DestinationPath", dir.filePath("out/"));

    std::printf("input: music-like tracks (plucked chords with noise, a drum loop, gated speech-like noise, a "
                "clipped master), 44.1 kHz stereo, FLAC and MP3; AAC at %d bit/s; runs convert and encode up to %d "
                "files at once\n",
                ConversionSettings::bitRate(), nCores);
    measure("32 tracks of 60 s", makeTracks(dir.filePath("short"), 32, 60), 8, false, repeats, dir.path());
    measure("8 tracks of 180 s", makeTracks(dir.filePath("long"), 8, 180), 8, true, repeats, dir.path());
    std::printf("\npeak memory: run process %ld KiB, largest encoder process %ld KiB\n", peakKiB(RUSAGE_SELF),
                peakKiB(RUSAGE_CHILDREN));
    return 0;
}
