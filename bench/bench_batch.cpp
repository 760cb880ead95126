// Runs batches of generated music-like material, awkward signals and, when its packages are installed, real music
// against ffmpeg's own AAC encoding of the same files, plain and with its two-pass peak normalization: the time, the
// cores kept busy, the encodes each file took and the decoded peaks of the normalized results, by kind of material.
#include "BenchTools.h"

#include <core/BatchRun.h>
#include <core/BatchWorker.h>
#include <core/ConversionSettings.h>
#include <core/GeneralOutput.h>

#include <VUVararer/App.h>

#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace {

// One track: sh -c Script sh KIND VARIANT SECONDS RATE OUT, with KIND one of
//   chords   plucked chords with pink and brown noise
//   drums    a transient-rich loop
//   speech   gated band-limited noise with pauses
//   master   chords and drums mixed and driven 3 to 9 dB into clipping
//   notes    two sine notes with white noise at about -18 dBFS
//   pink     a pink-noise master driven 4 to 10 dB into clipping
//   bass     a decaying bass drum with noise bursts
//   chord48  a three-note chord with a little white noise, 24-bit
//   tone     a sine that starts and stops abruptly, at one of eight frequencies and levels, 16-bit
//   noise    white, pink or brown noise, mono or stereo, driven 6, 12 or 18 dB into clipping, 16-bit
// VARIANT (0, 1, 2 ...) varies the notes, levels and tones within a kind; SECONDS a multiple of 4; music gets a fifth
// of a second of silence first; OUT ends in .flac, .mp3, .ogg, .opus or .wav.
const char* const Script = R"(set -e
kind=$1; v=$2; seconds=$3; rate=$4; out=$5; t=$(mktemp -d); trap 'rm -rf "$t"' EXIT
# The same noise in every run.
export SOX_OPTS=-R
r="-r $rate -c 2"
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
notes() {
  sox -n $r $t/n1.wav synth 4 sine $(note 12) gain -9
  sox -n $r $t/n2.wav synth 4 sine $(note $((16 + v % 2))) gain -11
  sox -n $r $t/n3.wav synth $seconds whitenoise gain -$((17 + v % 3))
  sox $t/n1.wav $t/n2.wav $t/n12.wav repeat $((seconds / 8))
  sox -m $t/n12.wav $t/n3.wav $1 trim 0 $seconds
}
pink() {
  sox -n $r $1 synth $seconds pinknoise gain $((4 + 2 * (v % 4))) 2>/dev/null
}
bass() {
  sox -n $r $t/k.wav synth 0.5 sine $((50 + 5 * (v % 4))) fade q 0.001 0.5 0.45 gain -3
  sox -n $r $t/b.wav synth 0.1 whitenoise fade q 0.001 0.1 0.09 gain -$((10 + v % 6))
  sox -m "|sox $t/k.wav -p pad 0 0.5" "|sox $t/b.wav -p pad 0.5 0.4" $t/bar.wav
  sox $t/bar.wav $1 repeat $((seconds - 1))
}
chord48() {
  r="-r 48000 -c 2"
  sox -m "|sox -n $r -p synth $seconds sine $(note 15) gain -10" "|sox -n $r -p synth $seconds sine $(note 19) gain -10" \
    "|sox -n $r -p synth $seconds sine $(note 22) gain -10" "|sox -n $r -p synth $seconds whitenoise gain -40" $1
}
tone() {
  set -- $1 $(echo "1000 -20  440 -6  3000 -12  100 -30  2500 -20  60 -10  5000 -14  8000 -3" | \
    awk -v k=$((v % 8)) '{print $(2*k+1), $(2*k+2)}')
  sox -n $r $1 synth $seconds sine $2 gain $3
}
noise() {
  set -- $1 $(echo white pink brown | awk -v k=$((v % 3 + 1)) '{print $k}')
  sox -n -r $rate -c $((1 + v / 3 % 2)) $1 synth $seconds ${2}noise gain $((6 + 6 * (v / 6 % 3))) 2>/dev/null
}
$kind $t/x.wav
case $kind in
  tone) sox $t/x.wav -b 16 "$out"; exit ;;
  noise) sox -D $t/x.wav -b 16 "$out"; exit ;;
  chord48) sox $t/x.wav -b 24 "$out"; exit ;;
esac
# A fifth of a second of silence before the sound, as on released tracks.
sox $t/x.wav $t/y.wav pad 0.2
case $out in
  *.mp3) ffmpeg -v error -y -i $t/y.wav -b:a 192k "$out" ;;
  *.ogg) ffmpeg -v error -y -i $t/y.wav -c:a libvorbis -q:a 5 "$out" ;;
  *.opus) ffmpeg -v error -y -i $t/y.wav -c:a libopus -b:a 128k "$out" ;;
  *) sox $t/y.wav "$out" ;;
esac
)";

struct TrackSpec
{
    QString kind;
    int variant;
    int seconds;
    int rate;
    QString extension;
};

// The files of specs, named "NN kind" so that a result tells its kind.
QVector<QString> makeTracks(const QString& folder, const QVector<TrackSpec>& specs)
{
    QDir().mkpath(folder);
    QVector<QString> tracks;
    QList<QStringList> commands;
    for (int i = 0; i < specs.size(); ++i) {
        const TrackSpec& spec = specs[i];
        tracks << QString("%1/%2 %3.%4").arg(folder).arg(i, 2, 10, QChar('0')).arg(spec.kind, spec.extension);
        // Made for an earlier batch of the same material.
        if (QFileInfo::exists(tracks.last()))
            continue;
        commands << QStringList{"sh",
                                "-c",
                                Script,
                                "sh",
                                spec.kind,
                                QString::number(spec.variant),
                                QString::number(spec.seconds),
                                QString::number(spec.rate),
                                tracks.last()};
    }
    // The tools' warnings (clipped samples) are left out.
    QStringList warnings;
    Bench::timeTools(commands, QThread::idealThreadCount(), &warnings);
    return tracks;
}

QString kindOf(const QString& path) { return QFileInfo(path).completeBaseName().section(' ', 1, 1); }

// The encodes of each file that ran to their end, by its intermediate file, and those that ended early above the
// limit (or failed) in all.
struct EncodeCounts
{
    std::mutex mutex;
    QHash<QString, int> counts;
    int nEndedEarly = 0;
};

// Counts its encodes; its intermediate is written louder than the run aims it by a factor, as when the encoder adds
// more to the peak than the first aim allows for.
class CountingOutput : public GeneralOutput
{
public:
    CountingOutput(const QString& target, EncodeCounts* pCounts, float fAimError)
        : GeneralOutput(target, ConversionSettings::targetFormat()), m_strTarget(target), m_pCounts(pCounts),
          m_fAimError(fAimError)
    {
    }

    void write(float* data, qint64 count) override
    {
        for (qint64 i = 0; i < count; ++i)
            data[i] *= m_fAimError;
        GeneralOutput::write(data, count);
    }

protected:
    bool encode(const QString& input, const QString& output, float gain, QString* pReason) override
    {
        const bool bEncoded = GeneralOutput::encode(input, output, gain, pReason);
        std::lock_guard<std::mutex> lock(m_pCounts->mutex);
        ++(bEncoded ? m_pCounts->counts[m_strTarget] : m_pCounts->nEndedEarly);
        return bEncoded;
    }

private:
    QString m_strTarget;
    EncodeCounts* m_pCounts;
    float m_fAimError;
};

class CountingWorker : public BatchWorker
{
public:
    CountingWorker(EncodeCounts* pCounts, float fAimError) : m_pCounts(pCounts), m_fAimError(fAimError) {}

protected:
    GeneralOutput* createOutput(const QString& target) override
    {
        return new CountingOutput(target, m_pCounts, m_fAimError);
    }

private:
    EncodeCounts* m_pCounts;
    float m_fAimError;
};

// CPU seconds (user and system) of this process and of its ended children.
double cpuSeconds()
{
    double total = 0.0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        total +=
            usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// Busy and total clock ticks of the whole machine, from /proc/stat.
std::pair<qint64, qint64> machineTicks()
{
    QFile stat("/proc/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return {0, 0};
    const QList<QByteArray> fields = stat.readLine().simplified().split(' ');
    qint64 total = 0;
    qint64 idle = 0;
    for (int i = 1; i < fields.size(); ++i) {
        total += fields[i].toLongLong();
        // idle and iowait
        if (i == 4 || i == 5)
            idle += fields[i].toLongLong();
    }
    return {total - idle, total};
}

struct Timing
{
    double seconds = 0.0;
    // CPU seconds per second of wall time.
    double cores = 0.0;
    // Cores of the machine busy in each second of the run.
    std::vector<double> timeline;
};

Timing timed(const std::function<void()>& work)
{
    Timing timing;
    std::atomic<bool> bDone{false};
    const int nCores = QThread::idealThreadCount();
    std::thread sampler([&] {
        auto last = machineTicks();
        while (!bDone) {
            for (int i = 0; i < 20 && !bDone; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const auto now = machineTicks();
            if (now.second > last.second)
                timing.timeline.push_back(nCores * double(now.first - last.first) / double(now.second - last.second));
            last = now;
        }
    });
    const double cpu = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    work();
    timing.seconds = timer.nsecsElapsed() / 1e9;
    timing.cores = (cpuSeconds() - cpu) / timing.seconds;
    bDone = true;
    sampler.join();
    return timing;
}

QString timelineText(const std::vector<double>& timeline)
{
    QStringList seconds;
    for (const double cores : timeline)
        seconds << QString::number(cores, 'f', 1);
    return seconds.join(' ');
}

struct RunResult
{
    Timing timing;
    QString folder;
    // Encodes run to their end by kind, one entry per file, and those that ended early in all.
    QMap<QString, std::vector<int>> encodes;
    int nEndedEarly = 0;
    int nErrorLines = 0;
};

// Whole seconds of each source as ffprobe tells them, as the window's list knows them; 0 for a file it can not read.
QVector<qint64> wholeSeconds(const QVector<QString>& sources)
{
    QList<QStringList> commands;
    for (const QString& source : sources)
        commands << QStringList{
            "sh", "-c", "ffprobe -v error -show_entries format=duration -of csv=p=0 \"$1\" >&2 || true", "sh", source};
    QStringList outputs;
    Bench::timeTools(commands, QThread::idealThreadCount(), &outputs);
    QVector<qint64> seconds;
    for (const QString& output : outputs)
        seconds << qint64(output.trimmed().toDouble());
    return seconds;
}

// One run of the sources with the stored settings, the durations given as the window gives them; a normalized
// run's intermediates aimError dB louder than aimed.
RunResult timeRun(const QVector<QString>& sources, const QVector<qint64>& seconds, double aimError = 0.0)
{
    EncodeCounts counts;
    const bool bNormalized = ConversionSettings::normalizationActive();
    BatchRun run(new CountingWorker(&counts, bNormalized ? float(std::pow(10.0, aimError / 20.0)) : 1.0f));
    run.worker()->setSettings(ConversionSettings::targetFormat());
    run.worker()->setInputFiles(sources);
    run.worker()->setInputDurations(seconds);
    RunResult result;
    QEventLoop loop;
    QObject::connect(&run, &BatchRun::errorsLog, &loop,
                     [&](const QString& lines) { result.nErrorLines = lines.count('\n'); });
    QObject::connect(&run, &BatchRun::finished, &loop, [&](const QString& folder) {
        result.folder = folder;
        loop.quit();
    });
    result.timing = timed([&] {
        run.start(0);
        loop.exec();
    });
    for (auto it = counts.counts.cbegin(); it != counts.counts.cend(); ++it)
        result.encodes[kindOf(it.key())].push_back(it.value());
    result.nEndedEarly = counts.nEndedEarly;
    return result;
}

// Decoded peaks of the M4A files in folder by ffmpeg's astats, in dBFS, by kind.
QMap<QString, std::vector<double>> decodedPeaks(const QString& folder)
{
    QList<QStringList> commands;
    QStringList kinds;
    for (const QFileInfo& info : QDir(folder).entryInfoList({"*.m4a"}, QDir::Files, QDir::Name)) {
        commands << QStringList{"ffmpeg", "-hide_banner",
                                "-i",     info.filePath(),
                                "-af",    "astats=measure_perchannel=none:measure_overall=Peak_level",
                                "-f",     "null",
                                "-"};
        kinds << kindOf(info.filePath());
    }
    QStringList errors;
    Bench::timeTools(commands, QThread::idealThreadCount(), &errors);
    QMap<QString, std::vector<double>> peaks;
    const QRegularExpression peak("Peak level dB: (\\S+)");
    for (int i = 0; i < errors.size(); ++i)
        peaks[kinds[i]].push_back(peak.match(errors[i]).captured(1).toDouble());
    return peaks;
}

// ffmpeg's AAC encodes of the sources into folder, nAtOnce at a time; with bTwoPass each after volumedetect, at the
// gain that brings the measured peak to full scale.
Timing timeFfmpeg(const QVector<QString>& sources, int nAtOnce, int bitRate, bool bTwoPass, const QString& folder)
{
    QList<QStringList> commands;
    for (const QString& source : sources) {
        const QString output = folder + "/" + QFileInfo(source).completeBaseName() + ".m4a";
        const QString encode = QString("ffmpeg -v error -y -i \"$1\" %1 -c:a aac -b:a %2 \"$2\"")
                                   .arg(bTwoPass ? "-af volume=${gain}dB" : "")
                                   .arg(bitRate);
        const QString measure = "gain=$(ffmpeg -hide_banner -i \"$1\" -af volumedetect -f null - 2>&1 | "
                                "sed -n 's/.*max_volume: \\(.*\\) dB/\\1/p' | awk '{print -$1}'); ";
        commands << QStringList{"sh", "-c", (bTwoPass ? measure : QString()) + encode, "sh", source, output};
    }
    QDir().mkpath(folder);
    return timed([&] { Bench::timeTools(commands, nAtOnce); });
}

struct Spread
{
    std::vector<double> values;
    void add(double value) { values.push_back(value); }
    QString text(int decimals = 2) const
    {
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        if (values.size() == 1)
            return QString::number(*low, 'f', decimals);
        const QString range = QString("%1-%2").arg(*low, 0, 'f', decimals).arg(*high, 0, 'f', decimals);
        if (values.size() < 3)
            return range;
        // A single call's lowest and highest are one noisy repeat each; the median is the steadier figure.
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const size_t middle = sorted.size() / 2;
        const double median = sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
        return range + QString(" (median %1)").arg(median, 0, 'f', decimals);
    }
};

// Peaks and encodes of one kind of material over every repeat.
struct KindFigures
{
    int nFiles = 0;
    int nEncodes = 0;
    int nMostEncodes = 0;
    int nAbove = 0;
    int nBelow = 0;
    double lowest = 100.0;
    double highest = -100.0;
};

void addPeaks(QMap<QString, KindFigures>& kinds, const QMap<QString, std::vector<double>>& peaks, double limit,
              int* pInWindow = nullptr)
{
    for (auto it = peaks.cbegin(); it != peaks.cend(); ++it) {
        KindFigures& figures = kinds[it.key()];
        for (const double peak : it.value()) {
            figures.nAbove += peak > limit;
            figures.nBelow += peak < limit - 1.0;
            if (pInWindow)
                *pInWindow += peak >= limit - 1.0 && peak <= limit;
            figures.lowest = std::min(figures.lowest, peak);
            figures.highest = std::max(figures.highest, peak);
        }
    }
}

// A batch measured repeats times: the run with and without normalization and ffmpeg plain and two-pass, nAtOnce
// at a time; with bQuality, the first file of the run without normalization and of ffmpeg plain against its source.
void measure(const QString& title, const QVector<QString>& sources, int nAtOnce, int repeats, const QString& folder,
             bool bQuality, double aimError)
{
    VUVararer::App* app = VUVararer::App::theApp();
    const int bitRate = ConversionSettings::bitRate();
    const double limit = 20.0 * std::log10(ConversionSettings::normalization() / 100.0);
    Spread normalized, plain, reference, twoPass, ratio, plainRatio, twoPassRatio, cpuRatio;
    Spread normalizedCores, plainCores, referenceCores;
    QMap<QString, KindFigures> kinds;
    QMap<QString, KindFigures> ffmpegKinds;
    int nSafe = 0;
    int nEndedEarly = 0;
    int nErrorLines = 0;
    int nFfmpegInWindow = 0;
    std::vector<double> lastTimeline;
    Bench::Difference ours;
    Bench::Difference theirs;
    const QVector<qint64> seconds = wholeSeconds(sources);
    for (int n = 0; n < repeats; ++n) {
        app->setSettingsValue(ConversionSettings::KeyNormalizationActive, true);
        const RunResult run = timeRun(sources, seconds, aimError);
        app->setSettingsValue(ConversionSettings::KeyNormalizationActive, false);
        const RunResult plainRun = timeRun(sources, seconds);
        const Timing parallel = timeFfmpeg(sources, nAtOnce, bitRate, false, folder + "/plain");
        const Timing twoPassRun = timeFfmpeg(sources, nAtOnce, bitRate, true, folder + "/twopass");
        normalized.add(run.timing.seconds);
        plain.add(plainRun.timing.seconds);
        reference.add(parallel.seconds);
        twoPass.add(twoPassRun.seconds);
        ratio.add(run.timing.seconds / parallel.seconds);
        plainRatio.add(plainRun.timing.seconds / parallel.seconds);
        twoPassRatio.add(run.timing.seconds / twoPassRun.seconds);
        cpuRatio.add(run.timing.cores * run.timing.seconds / (parallel.cores * parallel.seconds));
        normalizedCores.add(run.timing.cores);
        lastTimeline = run.timing.timeline;
        plainCores.add(plainRun.timing.cores);
        referenceCores.add(parallel.cores);
        nErrorLines += run.nErrorLines;
        nEndedEarly += run.nEndedEarly;
        for (auto it = run.encodes.cbegin(); it != run.encodes.cend(); ++it) {
            KindFigures& figures = kinds[it.key()];
            for (const int nEncodes : it.value()) {
                ++figures.nFiles;
                figures.nEncodes += nEncodes;
                figures.nMostEncodes = std::max(figures.nMostEncodes, nEncodes);
                nSafe += nEncodes > 3;
            }
        }
        if (bQuality) {
            const QString name = "/" + QFileInfo(sources.first()).completeBaseName() + ".m4a";
            ours = Bench::compareDecoded(sources.first(), plainRun.folder + name, 2);
            theirs = Bench::compareDecoded(sources.first(), folder + "/plain" + name, 2);
        }
        addPeaks(kinds, decodedPeaks(run.folder), limit);
        addPeaks(ffmpegKinds, decodedPeaks(folder + "/twopass"), limit, &nFfmpegInWindow);
        QDir(run.folder).removeRecursively();
        QDir(plainRun.folder).removeRecursively();
        QDir(folder + "/twopass").removeRecursively();
        QDir(folder + "/plain").removeRecursively();
    }
    std::printf("\n%s (%d repeats; each figure as lowest-highest, with the median of three or more)\n",
                qPrintable(title), repeats);
    std::printf("  run, normalized:              %s s, %s cores busy\n", qPrintable(normalized.text()),
                qPrintable(normalizedCores.text(1)));
    std::printf("  cores busy second by second, last normalized run: %s\n", qPrintable(timelineText(lastTimeline)));
    std::printf("  run, not normalized:          %s s, %s cores busy\n", qPrintable(plain.text()),
                qPrintable(plainCores.text(1)));
    std::printf("  ffmpeg, %2d at a time:         %s s, %s cores busy\n", nAtOnce, qPrintable(reference.text()),
                qPrintable(referenceCores.text(1)));
    std::printf("  ffmpeg two-pass, %2d at a time: %s s\n", nAtOnce, qPrintable(twoPass.text()));
    std::printf("  ratio normalized/ffmpeg:      %s\n", qPrintable(ratio.text()));
    std::printf("  ratio normalized/two-pass:    %s\n", qPrintable(twoPassRatio.text()));
    std::printf("  ratio not normalized/ffmpeg:  %s\n", qPrintable(plainRatio.text()));
    std::printf("  CPU normalized/ffmpeg:        %s\n", qPrintable(cpuRatio.text()));
    if (bQuality)
        std::printf("  against the source, run not normalized / ffmpeg: SNR %.2f / %.2f dB, largest error %.4f / "
                    "%.4f, worst loud frame %.2f / %.2f dBFS\n",
                    ours.snr, theirs.snr, ours.largestError, theirs.largestError, ours.worstLoudFrame,
                    theirs.worstLoudFrame);
    int nFiles = 0;
    int nEncodes = 0;
    int nInWindow = 0;
    std::printf("  %-9s %6s %8s %5s %7s %7s %15s\n", "kind", "files", "encodes", "most", "above", "below",
                "peaks, dBFS");
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
        const KindFigures& f = it.value();
        nFiles += f.nFiles;
        nEncodes += f.nEncodes;
        nInWindow += f.nFiles - f.nAbove - f.nBelow;
        std::printf("  %-9s %6d %8.2f %5d %7d %7d %7.2f %7.2f\n", qPrintable(it.key()), f.nFiles,
                    double(f.nEncodes) / std::max(f.nFiles, 1), f.nMostEncodes, f.nAbove, f.nBelow, f.lowest,
                    f.highest);
    }
    std::printf("  all: %.3f encodes per file and %.3f ended early, %d of %d in the window [%.2f, %.2f], %d safe "
                "fourth encodes, %d error lines\n",
                double(nEncodes) / std::max(nFiles, 1), double(nEndedEarly) / std::max(nFiles, 1), nInWindow, nFiles,
                limit - 1.0, limit, nSafe, nErrorLines);
    int nFfmpegAbove = 0;
    double ffmpegHighest = -100.0;
    for (const KindFigures& f : ffmpegKinds) {
        nFfmpegAbove += f.nAbove;
        ffmpegHighest = std::max(ffmpegHighest, f.highest);
    }
    std::printf("  ffmpeg two-pass: %d of %d in the window, %d above the limit, highest %.2f dBFS\n", nFfmpegInWindow,
                nFiles, nFfmpegAbove, ffmpegHighest);
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

const char* const MusicKinds[] = {"chords", "drums", "speech", "master", "notes", "pink", "bass", "chord48"};
const char* const Containers[] = {"flac", "mp3", "ogg", "opus"};

// 32 tracks of 60 s, eight kinds of music in turn, in four containers.
QVector<TrackSpec> musicBatch()
{
    QVector<TrackSpec> specs;
    for (int i = 0; i < 32; ++i) {
        const QString kind = MusicKinds[i % 8];
        specs << TrackSpec{kind, i / 8, 60, kind == "chord48" ? 48000 : 44100,
                           kind == "chord48" ? "flac" : Containers[i / 8]};
    }
    return specs;
}

// Abrupt tones of 6 s at eight frequencies and levels, at 44.1 and 48 kHz, and 20 s of the 24-bit chord and of
// notes in noise.
QVector<TrackSpec> awkwardBatch()
{
    QVector<TrackSpec> specs;
    for (int i = 0; i < 16; ++i)
        specs << TrackSpec{"tone", i / 2, 6, i % 2 ? 48000 : 44100, "wav"};
    for (int i = 0; i < 2; ++i)
        specs << TrackSpec{"chord48", i, 20, 48000, "flac"} << TrackSpec{"notes", i, 20, 44100, "flac"};
    return specs;
}

// 24 tracks from 5 s to 15 min, their lengths spread evenly on a log scale and shuffled, 44.1 and 48 kHz, in four
// containers.
QVector<TrackSpec> mixedBatch()
{
    QVector<TrackSpec> specs;
    const int nTracks = 24;
    for (int i = 0; i < nTracks; ++i) {
        // A fixed shuffle: every fifth length, round the list.
        const int rank = (i * 5) % nTracks;
        const int seconds = 4 * std::max(1, int(std::lround(5.0 * std::pow(180.0, rank / double(nTracks - 1)) / 4.0)));
        const QString kind = MusicKinds[i % 7];
        specs << TrackSpec{kind, i / 7, seconds, i % 2 ? 48000 : 44100, Containers[i % 4]};
    }
    return specs;
}

// 24 files of noise driven into clipping, of 20 s and 3 min, at 44.1, 48 and 96 kHz.
QVector<TrackSpec> noiseBatch()
{
    const int rates[] = {44100, 48000, 96000};
    QVector<TrackSpec> specs;
    for (int i = 0; i < 24; ++i)
        specs << TrackSpec{"noise", i, i < 12 ? 20 : 180, rates[i / 2 % 3], "wav"};
    return specs;
}

// One recording of 60 minutes: chords with noise.
QVector<TrackSpec> longRecording() { return {TrackSpec{"chords", 0, 3600, 44100, "flac"}}; }

// One track of 3 min of chords with noise, alone.
QVector<TrackSpec> loneTrack() { return {TrackSpec{"chords", 0, 180, 44100, "flac"}}; }

// Eight tracks of 3 min of chords with noise: equal lengths, so that every file reaches its end at once.
QVector<TrackSpec> equalBatch()
{
    QVector<TrackSpec> specs;
    for (int i = 0; i < 8; ++i)
        specs << TrackSpec{"chords", i, 180, 44100, "flac"};
    return specs;
}

// An album: 12 tracks of 4 to 9 min, seven kinds of music, FLAC.
QVector<TrackSpec> albumBatch()
{
    QVector<TrackSpec> specs;
    for (int i = 0; i < 12; ++i)
        specs << TrackSpec{MusicKinds[i % 7], i, 240 + 28 * ((i * 7) % 12), 44100, "flac"};
    return specs;
}

// The Ogg Vorbis files of the packages, those of archives unpacked into folder; empty, and said so, when one of
// them is not installed.
QStringList packageTracks(const QStringList& packages, const QString& folder)
{
    QStringList tracks;
    for (const QString& package : packages) {
        QProcess query;
        query.start("dpkg-query", {"-L", package});
        if (!query.waitForFinished(-1) || query.exitCode() != 0) {
            std::printf("\nskipped: the package %s is not installed\n", qPrintable(package));
            return {};
        }
        for (const QString& path : QString::fromLocal8Bit(query.readAllStandardOutput()).split('\n')) {
            if (path.endsWith(".ogg")) {
                tracks << path;
            } else if (path.endsWith(".pk3")) {
                const QString unpacked = folder + "/" + package;
                QDir().mkpath(unpacked);
                Bench::timeTool("unzip", {"-o", "-q", "-j", path, "*.ogg", "-d", unpacked});
                for (const QFileInfo& info : QDir(unpacked).entryInfoList({"*.ogg"}, QDir::Files, QDir::Name))
                    tracks << info.filePath();
            }
        }
    }
    return tracks;
}

const QStringList MusicPackages{"nexuiz-music", "singularity-music", "hyperrogue-music"};

// Real music of mixed lengths and formats: every track of the packages of 5 s or more in Ogg Vorbis, and a copy
// of every third in Opus at 48 kHz, MP3 or AAC in turn; named "NN codec" so that a result tells its format.
QVector<QString> realMusicBatch(const QString& folder)
{
    const QStringList tracks = packageTracks(MusicPackages, folder);
    if (tracks.isEmpty())
        return {};
    QVector<QString> sources;
    const QVector<qint64> seconds = wholeSeconds(QVector<QString>(tracks.begin(), tracks.end()));
    const QStringList copies[] = {{"opus", "opus", "-c:a", "libopus", "-b:a", "128k", "-ar", "48000"},
                                  {"mp3", "mp3", "-c:a", "libmp3lame", "-b:a", "192k"},
                                  {"aac", "m4a", "-c:a", "aac", "-b:a", "192k"}};
    QList<QStringList> commands;
    int nTracks = 0;
    for (int i = 0; i < tracks.size(); ++i) {
        if (seconds[i] < 5)
            continue;
        const QString name = QString("%1/%2 ").arg(folder).arg(sources.size(), 3, 10, QChar('0'));
        sources << name + "vorbis.ogg";
        QFile::link(tracks[i], sources.last());
        if (++nTracks % 3 != 0)
            continue;
        const QStringList& copy = copies[(nTracks / 3) % 3];
        sources << QString("%1/%2 %3.%4").arg(folder).arg(sources.size(), 3, 10, QChar('0')).arg(copy[0], copy[1]);
        if (!QFileInfo::exists(sources.last()))
            commands << QStringList{"ffmpeg", "-v", "error", "-y", "-i", tracks[i]} + copy.mid(2) +
                            QStringList{"-vn", sources.last()};
    }
    Bench::timeTools(commands, QThread::idealThreadCount());
    return sources;
}

// One recording of 60 minutes of real music as extension: the first package's tracks one after another.
QVector<QString> realLong(const QString& folder, const QString& extension, const QStringList& codec)
{
    const QStringList tracks = packageTracks({MusicPackages.first()}, folder);
    if (tracks.isEmpty())
        return {};
    const QString output = folder + "/00 " + extension + "." + extension;
    if (!QFileInfo::exists(output)) {
        QStringList args{"-v", "error", "-y"};
        QString graph;
        for (int i = 0; i < tracks.size(); ++i) {
            args << "-i" << tracks[i];
            graph += QString("[%1:a]aresample=44100,aformat=channel_layouts=stereo[a%1];").arg(i);
        }
        for (int i = 0; i < tracks.size(); ++i)
            graph += QString("[a%1]").arg(i);
        graph += QString("concat=n=%1:v=0:a=1,atrim=0:3600[out]").arg(tracks.size());
        Bench::timeTool("ffmpeg",
                        args + QStringList{"-filter_complex", graph, "-map", "[out]"} + codec + QStringList{output});
    }
    return {output};
}

QVector<QString> realLongMp3(const QString& folder)
{
    return realLong(folder, "mp3", {"-c:a", "libmp3lame", "-b:a", "192k"});
}

QVector<QString> realLongFlac(const QString& folder) { return realLong(folder, "flac", {"-c:a", "flac"}); }

struct Batch
{
    const char* name;
    // The folder of its material, which batches of the same material share.
    const char* material;
    const char* title;
    // Generated material, or else real music made from installed packages (none when they are missing).
    QVector<TrackSpec> (*specs)();
    QVector<QString> (*real)(const QString& folder);
    bool bQuality;
    // dB by which a normalized run's intermediates are louder than aimed.
    double aimError;
};

const Batch Batches[] = {
    {"music", "music", "32 music tracks of 60 s", musicBatch, nullptr, false, 0.0},
    {"awkward", "awkward", "awkward signals: 16 abrupt tones of 6 s, 24-bit chords and notes in noise of 20 s",
     awkwardBatch, nullptr, false, 0.0},
    {"mixed", "mixed", "24 music tracks of 5 s to 15 min", mixedBatch, nullptr, false, 0.0},
    {"noise", "noise", "24 files of white, pink and brown noise driven into clipping, 20 s and 3 min", noiseBatch,
     nullptr, false, 0.0},
    {"equal", "equal", "8 tracks of 3 min of chords with noise", equalBatch, nullptr, false, 0.0},
    {"lone", "equal", "one track of 3 min alone, against one ffmpeg encode", loneTrack, nullptr, false, 0.0},
    {"album", "album", "an album: 12 tracks of 4 to 9 min", albumBatch, nullptr, false, 0.0},
    {"long", "long", "one recording of 60 min, against one ffmpeg encode", longRecording, nullptr, true, 0.0},
    // The encoder lifting the peak 1.2 dB more than the first aim allows for: the first encode of this material lands
    // above the limit (0.6 dB, as a real recording lifted more than allowed for, no longer misses).
    {"equalmiss", "equal", "8 tracks of 3 min whose first aims miss", equalBatch, nullptr, false, 1.2},
    {"longmiss", "long", "one recording of 60 min whose first aim misses, against one ffmpeg encode", longRecording,
     nullptr, false, 1.2},
    {"real", "real",
     "real music: the packages' tracks of 5 s to 10 min in Ogg Vorbis, every third also in Opus, MP3 or "
     "AAC",
     nullptr, realMusicBatch, false, 0.0},
    {"longmp3", "longmp3", "one recording of 60 min of real music as MP3, against one ffmpeg encode", nullptr,
     realLongMp3, false, 0.0},
    {"longflac", "longflac", "one recording of 60 min of real music as FLAC, against one ffmpeg encode", nullptr,
     realLongFlac, false, 0.0},
};

} // namespace

// Arguments: how often each batch is measured (default 1), then the names of the batches to measure (default all:
// music, awkward, mixed, noise, equal, lone, album, long, equalmiss, longmiss, real, longmp3, longflac).
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

    std::printf("AAC at %d bit/s; runs convert and encode up to %d files at once, as does ffmpeg\n",
                ConversionSettings::bitRate(), nCores);
    QStringList chosen;
    for (int i = 2; i < argc; ++i)
        chosen << argv[i];
    for (const Batch& batch : Batches) {
        if (!chosen.isEmpty() && !chosen.contains(batch.name))
            continue;
        const QString folder = dir.filePath(batch.material);
        QDir().mkpath(folder);
        const QVector<QString> sources = batch.specs ? makeTracks(folder, batch.specs()) : batch.real(folder);
        if (!sources.isEmpty())
            measure(batch.title, sources, nCores, repeats, dir.path(), batch.bQuality, batch.aimError);
    }
    std::printf("\npeak memory: run process %ld KiB, largest encoder process %ld KiB\n", peakKiB(RUSAGE_SELF),
                peakKiB(RUSAGE_CHILDREN));
    return 0;
}
