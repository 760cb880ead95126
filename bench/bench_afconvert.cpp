// Encoding cost and quality of the project's afconvert, whole and in parts at once, against ffmpeg's own AAC encoding
// of the same WAV file, for a track of three minutes and a long recording: music with noise, speech with pauses, a
// loud master, abrupt tone edges and quiet noise. With "music" as its argument: split against whole on the real music
// of Debian's music packages, at the top of the settings window's lists, at 22.05 kHz, in mono and at the defaults.
#include "BenchTools.h"

#include <afconvert/EncodeParts.h>
#include <core/ConversionSettings.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <numeric>

namespace {

// sh -c Script sh SECONDS OUT: plucked chords with pink and brown noise, words of band-passed noise between pauses, a
// loud limited master, bursts of a tone that starts and stops abruptly, and quiet noise, in a block of about 45 s
// repeated to SECONDS, 44.1 kHz stereo 16-bit, undithered.
const char* const Script = R"(set -e
seconds=$1; out=$2; t=$(mktemp -d); trap 'rm -rf "$t"' EXIT
s="sox -R -D -n -r 44100 -c 2 -b 16"
$s $t/a.wav synth 4 pluck 220 pluck 277 synth 4 pluck mix 330 synth 4 pinknoise mix gain -8 reverb 30
$s $t/b.wav synth 4 pluck 293 pluck 370 synth 4 pluck mix 440 synth 4 brownnoise mix gain -8 reverb 30
$s $t/w.wav synth 0.28 pinknoise sinc 300-3400 tremolo 9 80 gain -12 pad 0 0.17 repeat 13
$s $t/l.wav synth 4 sawtooth 110 sawtooth 165 synth 4 pinknoise mix overdrive 20 gain -3 rate 44100 gain -n -1
$s $t/t.wav synth 0.37 sine 1000 gain -6 pad 0 0.29 repeat 5
$s $t/q.wav synth 4 pinknoise gain -45
sox $t/a.wav $t/b.wav $t/w.wav $t/a.wav $t/l.wav $t/t.wav $t/b.wav $t/l.wav $t/w.wav $t/q.wav $t/block.wav
sox -D $t/block.wav "$out" repeat $((seconds / 30)) trim 0 $seconds
)";

void report(const char* name, const Bench::Cost& cost, const Bench::Cost& reference,
            const Bench::Difference& difference)
{
    std::printf("%-22s %7.2f s %5.2fx  CPU %7.2f s %5.2fx  peak %4ld MB  SNR %6.2f dB  worst loud frame %6.2f dB\n",
                name, cost.seconds, cost.seconds / reference.seconds, cost.cpuSeconds,
                cost.cpuSeconds / reference.cpuSeconds, cost.peakKiB / 1024, difference.snr, difference.worstLoudFrame);
}

// Encodes seconds of the material with ffmpeg, then with afconvert whole and in parts, and reports each.
void measure(const QTemporaryDir& dir, int seconds, int parts)
{
    const QString input = dir.filePath(QString("in-%1.wav").arg(seconds));
    Bench::timeTool("sh", {"-c", Script, "sh", QString::number(seconds), input});
    const QStringList common{input, "-q", "127", "-b", "128000", "-f", "m4af", "-d", "aac", "-o"};
    const Bench::Cost reference = Bench::measureTool(
        "ffmpeg", {"-v", "error", "-y", "-i", input, "-c:a", "aac", "-b:a", "128k", dir.filePath("ffmpeg.m4a")});
    const Bench::Cost whole = Bench::measureTool(AFCONVERT_PATH, common + QStringList{dir.filePath("whole.m4a")});
    const Bench::Cost split = Bench::measureTool(
        AFCONVERT_PATH, common + QStringList{dir.filePath("split.m4a"), "--parts", QString::number(parts)});

    std::printf("\n%d s of 44.1 kHz stereo, 128 kbit/s; times and ratios against one ffmpeg encode\n", seconds);
    std::printf("%-22s %7.2f s %5.2fx  CPU %7.2f s %5.2fx  peak %4ld MB\n", "ffmpeg", reference.seconds, 1.0,
                reference.cpuSeconds, 1.0, reference.peakKiB / 1024);
    report("afconvert whole", whole, reference, Bench::compareDecoded(input, dir.filePath("whole.m4a"), 2));
    const QString name = QString("afconvert %1 parts").arg(parts);
    report(qPrintable(name), split, reference, Bench::compareDecoded(input, dir.filePath("split.m4a"), 2));
    const Bench::FramesWorse worse =
        Bench::compareFrames(input, dir.filePath("whole.m4a"), dir.filePath("split.m4a"), 2);
    std::printf("split CPU %.2fx whole; loud frames more than 10 dB worse: %ld split, %ld whole\n",
                split.cpuSeconds / whole.cpuSeconds, worse.split, worse.whole);
    QFile::remove(input);
}

// Seconds a music track lasts at least, so that each of 16 parts is longer than its lead-in many times over.
constexpr double kMinTrackSeconds = 120;

// The ogg tracks of a music package that last long enough, up to most of them; an absent package is said and gives
// none. Tracks in an archive of the package are unpacked into dir.
QStringList musicTracks(const QString& package, const QTemporaryDir& dir, int most)
{
    QProcess dpkg;
    dpkg.start("dpkg", {"-L", package});
    dpkg.waitForFinished(-1);
    if (dpkg.exitCode() != 0) {
        std::printf("%s is not installed: its tracks are skipped\n", qPrintable(package));
        return {};
    }
    QStringList candidates;
    for (const QString& file : QString::fromLocal8Bit(dpkg.readAllStandardOutput()).split('\n')) {
        if (file.endsWith(".ogg") && !file.contains("/sounds/")) {
            candidates << file;
        } else if (file.endsWith(".pk3")) {
            const QString folder = dir.filePath(package);
            Bench::timeTool("unzip", {"-q", "-o", file, "*.ogg", "-d", folder});
            QProcess find;
            find.start("find", {folder, "-name", "*.ogg"});
            find.waitForFinished(-1);
            candidates << QString::fromLocal8Bit(find.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        }
    }
    candidates.sort();
    QStringList tracks;
    for (const QString& file : candidates) {
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", file});
        probe.waitForFinished(-1);
        if (probe.exitCode() == 0 && probe.readAllStandardOutput().trimmed().toDouble() >= kMinTrackSeconds)
            tracks << file;
        if (tracks.size() == most)
            break;
    }
    return tracks;
}

struct SplitRow
{
    QString name;
    int rate;
    int channels;
    int bitRate;
    int quality;
};

// Split against whole over the tracks, at each part count: SNR split minus whole, per file and pooled over the first
// second after every join, loud frames far worse than whole within 30 s of a join, and the CPU split against whole.
void measureSplit(const QTemporaryDir& dir, const QStringList& tracks, const SplitRow& row, const QList<int>& counts)
{
    struct Tally
    {
        std::vector<double> losses;
        QString worstTrack;
        double joinWhole = 0, joinSplit = 0, cpu = 0, wholeCpu = 0;
        long joins = 0, splitWorse = 0, wholeWorse = 0;
    };
    std::vector<Tally> tallies(size_t(counts.size()));
    const QString source = dir.filePath("source.wav");
    const QString whole = dir.filePath("whole.m4a");
    const QString split = dir.filePath("split.m4a");
    const QStringList common{"-q", QString::number(row.quality), "-b", QString::number(row.bitRate), "-f", "m4af", "-d",
                             "aac"};
    for (const QString& track : tracks) {
        Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", track, "-ar", QString::number(row.rate), "-ac",
                                   QString::number(row.channels), "-c:a", "pcm_s16le", source});
        QFile::remove(whole);
        const Bench::Cost wholeCost = Bench::measureTool(AFCONVERT_PATH, QStringList{source, "-o", whole} + common);
        for (int i = 0; i < counts.size(); ++i) {
            const int parts = counts.at(i);
            QFile::remove(split);
            const Bench::Cost cost = Bench::measureTool(
                AFCONVERT_PATH, QStringList{source, "-o", split, "--parts", QString::number(parts)} + common);
            const Bench::FrameEnergies energies = Bench::frameEnergies(source, whole, split, row.channels);
            Tally& tally = tallies[size_t(i)];
            tally.cpu += cost.cpuSeconds;
            tally.wholeCpu += wholeCost.cpuSeconds;
            const double wholeError = std::accumulate(energies.whole.begin(), energies.whole.end(), 0.0);
            const double splitError = std::accumulate(energies.split.begin(), energies.split.end(), 0.0);
            tally.losses.push_back(10 * std::log10(wholeError / splitError));
            if (tally.losses.back() <= *std::min_element(tally.losses.begin(), tally.losses.end()))
                tally.worstTrack = QFileInfo(track).completeBaseName();
            const long frames = long(energies.signal.size());
            const long second = row.rate / 1024 + 1;
            // As many as the tool cuts at this setting.
            const int cut = std::min(parts, EncodeParts::mostParts(frames * EncodeParts::kFrameSamples, row.rate,
                                                                   row.bitRate, row.channels));
            for (int join = 1; join < cut; ++join) {
                // A join lies within 16 frames of its even point.
                const long even = frames * join / cut;
                for (long frame = even - 16; frame < std::min(even + 16 + second, frames); ++frame) {
                    tally.joinWhole += energies.whole[size_t(frame)];
                    tally.joinSplit += energies.split[size_t(frame)];
                }
                for (long frame = even - 16; frame < std::min(even + 16 + 30 * second, frames); ++frame) {
                    const double signal = energies.signal[size_t(frame)];
                    const double wholeFrame = energies.whole[size_t(frame)];
                    const double splitFrame = energies.split[size_t(frame)];
                    if (signal > 1e-4 * 1024 * row.channels) {
                        tally.splitWorse += splitFrame > 10 * wholeFrame && signal > 31.6 * splitFrame;
                        tally.wholeWorse += wholeFrame > 10 * splitFrame && signal > 31.6 * wholeFrame;
                    }
                }
                ++tally.joins;
            }
        }
    }
    for (int i = 0; i < counts.size(); ++i) {
        const Tally& tally = tallies[size_t(i)];
        const double mean = std::accumulate(tally.losses.begin(), tally.losses.end(), 0.0) / tally.losses.size();
        const long below = std::count_if(tally.losses.begin(), tally.losses.end(), [](double x) { return x < -0.3; });
        std::printf("%s, %2d parts: split minus whole %+.3f dB mean, %+.3f to %+.3f (worst %s), %ld of %zu below "
                    "-0.3 dB; first second after %ld joins %+.2f dB; loud frames > 10 dB worse within 30 s of a join: "
                    "%ld split, %ld whole; CPU %.2fx whole\n",
                    qPrintable(row.name), counts.at(i), mean,
                    *std::min_element(tally.losses.begin(), tally.losses.end()),
                    *std::max_element(tally.losses.begin(), tally.losses.end()), qPrintable(tally.worstTrack), below,
                    tally.losses.size(), tally.joins, 10 * std::log10(tally.joinWhole / tally.joinSplit),
                    tally.splitWorse, tally.wholeWorse, tally.cpu / tally.wholeCpu);
    }
    std::fflush(stdout);
}

// Seconds of the long recordings made of consecutive tracks, so that the settings of long lead-ins split them too.
constexpr double kLongSeconds = 22 * 60;

// The tracks joined one after another into recordings of at least kLongSeconds at rate, stereo; what is left over
// too short for one is dropped.
QStringList longRecordings(const QTemporaryDir& dir, const QStringList& tracks, int rate)
{
    QStringList recordings, pending;
    double seconds = 0;
    for (const QString& track : tracks) {
        const QString wav = dir.filePath(QString("join-%1.wav").arg(pending.size()));
        Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", track, "-ar", QString::number(rate), "-ac", "2", "-c:a",
                                   "pcm_s16le", wav});
        pending << wav;
        QProcess soxi;
        soxi.start("soxi", {"-D", wav});
        soxi.waitForFinished(-1);
        seconds += soxi.readAllStandardOutput().trimmed().toDouble();
        if (seconds < kLongSeconds)
            continue;
        recordings << dir.filePath(QString("long-%1.wav").arg(recordings.size()));
        Bench::timeTool("sox", pending + QStringList{recordings.back()});
        for (const QString& file : pending)
            QFile::remove(file);
        pending.clear();
        seconds = 0;
    }
    for (const QString& file : pending)
        QFile::remove(file);
    return recordings;
}

// The split rows on real music: the two highest rates at the highest bit rate, half the default rate, mono, and the
// defaults, each at the highest quality; the tracks of each package that is installed. The lowest setting of long
// lead-ins, and the highest on long recordings, so that they are split.
void measureMusic(int tracksEach)
{
    QTemporaryDir dir;
    QStringList tracks;
    for (const char* package : {"singularity-music", "hyperrogue-music", "nexuiz-music"})
        tracks << musicTracks(package, dir, tracksEach);
    if (tracks.isEmpty()) {
        std::printf("no music package is installed: the split rows are skipped\n");
        return;
    }
    std::printf("\nsplit against whole on %d real tracks, the first second after a join pooled over all joins\n",
                int(tracks.size()));
    const QList<int> rates = ConversionSettings::sampleRates();
    const QList<int> bitRates = ConversionSettings::bitRates();
    const QList<int> qualities = ConversionSettings::qualities();
    const QList<int> channelCounts = ConversionSettings::channelCounts();
    const int topBitRate = *std::max_element(bitRates.begin(), bitRates.end());
    const int high = *std::max_element(qualities.begin(), qualities.end());
    const int rate = ConversionSettings::DefaultSampleRate;
    const int bitRate = ConversionSettings::DefaultBitRate;
    const int stereo = ConversionSettings::DefaultChannels;
    const int mono = *std::min_element(channelCounts.begin(), channelCounts.end());
    QList<SplitRow> rows;
    // The list runs from the highest rate down.
    for (int highRate : {rates.at(0), rates.at(1)})
        rows << SplitRow{QString("%1 Hz stereo %2 kbit/s").arg(highRate).arg(topBitRate / 1000), highRate, stereo,
                         topBitRate, high};
    if (rates.contains(rate / 2))
        rows << SplitRow{QString("%1 Hz stereo %2 kbit/s").arg(rate / 2).arg(bitRate / 1000), rate / 2, stereo, bitRate,
                         high};
    rows << SplitRow{QString("%1 Hz mono %2 kbit/s").arg(rate).arg(bitRate / 1000), rate, mono, bitRate, high};
    rows << SplitRow{QString("%1 Hz stereo %2 kbit/s").arg(rate).arg(bitRate / 1000), rate, stereo, bitRate, high};
    int slowMono = topBitRate;
    for (int listed : bitRates) {
        if (EncodeParts::settlesSlowly(rates.at(1), listed, mono))
            slowMono = std::min(slowMono, listed);
    }
    rows << SplitRow{QString("%1 Hz mono %2 kbit/s").arg(rates.at(1)).arg(slowMono / 1000), rates.at(1), mono, slowMono,
                     high};
    for (const SplitRow& row : rows)
        measureSplit(dir, tracks, row, {8, 16});
    const QStringList recordings = longRecordings(dir, tracks, rates.at(0));
    std::printf("%d recordings of at least %.0f min made of consecutive tracks:\n", int(recordings.size()),
                kLongSeconds / 60);
    measureSplit(dir, recordings,
                 SplitRow{QString("%1 Hz stereo %2 kbit/s, long").arg(rates.at(0)).arg(topBitRate / 1000), rates.at(0),
                          stereo, topBitRate, high},
                 {8, 16});
    std::printf("parts as many as the tool cuts; goals: split within 0.1 dB of whole on average and never more than "
                "0.3 dB below on one file, the "
                "first second after a join at most 0.5 dB below whole, CPU at 8 parts at most 1.15x whole\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && QString(argv[1]) == "music") {
        measureMusic(argc > 2 ? QString(argv[2]).toInt() : 4);
        return 0;
    }
    // As many parts as the run asks for: two a core, within the tool's bound.
    const int parts = std::min(2 * QThread::idealThreadCount(), 32);
    QTemporaryDir dir;
    measure(dir, 180, parts);
    measure(dir, int(Bench::lengthArgument(argc, argv, 1800)), parts);
    std::printf(
        "\ngoals: whole at most 1.10x ffmpeg; a 3-min track in parts at most 0.6x ffmpeg's time and 1.8x its CPU, "
        "a long one at most 0.3x; SNR within 0.3 dB of whole, no more loud frames far worse than whole than "
        "twice the other way\n");
    return 0;
}
