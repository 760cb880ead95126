// Encoding cost and quality of the project's afconvert, whole and in parts at once, against ffmpeg's own AAC encoding
// of the same WAV file, for a track of three minutes and a long recording: music with noise, speech with pauses, a
// loud master, abrupt tone edges and quiet noise.
#include "BenchTools.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
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
