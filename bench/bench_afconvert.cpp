// Encoding speed and quality of the project's afconvert, whole and in parts at once, against ffmpeg's own AAC encoding
// of the same WAV file: music with noise, abrupt tone edges and quiet noise.
#include "BenchTools.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

namespace {

// sh -c Script sh SECONDS OUT: plucked chords with pink and brown noise, bursts of a tone that starts and stops
// abruptly, and quiet noise, in a block of about 32 s repeated to SECONDS, 44.1 kHz stereo 16-bit, undithered.
const char* const Script = R"(set -e
seconds=$1; out=$2; t=$(mktemp -d); trap 'rm -rf "$t"' EXIT
s="sox -R -D -n -r 44100 -c 2 -b 16"
$s $t/a.wav synth 4 pluck 220 pluck 277 synth 4 pluck mix 330 synth 4 pinknoise mix gain -8 reverb 30
$s $t/b.wav synth 4 pluck 293 pluck 370 synth 4 pluck mix 440 synth 4 brownnoise mix gain -8 reverb 30
$s $t/t.wav synth 0.37 sine 1000 gain -6 pad 0 0.29 repeat 5
$s $t/q.wav synth 4 pinknoise gain -45
sox $t/a.wav $t/b.wav $t/a.wav $t/b.wav $t/t.wav $t/a.wav $t/b.wav $t/q.wav $t/block.wav
sox -D $t/block.wav "$out" repeat $((seconds / 30)) trim 0 $seconds
)";

void report(const char* name, const Bench::Cost& cost, double reference, const Bench::Difference& difference)
{
    std::printf("%-20s %7.2f s  %5.3fx ffmpeg  CPU %7.2f s  peak %4ld MB  SNR %6.2f dB  largest error %.4f  worst loud "
                "frame %6.2f dB\n",
                name, cost.seconds, cost.seconds / reference, cost.cpuSeconds, cost.peakKiB / 1024, difference.snr,
                difference.largestError, difference.worstLoudFrame);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = Bench::lengthArgument(argc, argv, 1800);
    const int parts = QThread::idealThreadCount();
    QTemporaryDir dir;
    const QString input = dir.filePath("in.wav");
    Bench::timeTool("sh", {"-c", Script, "sh", QString::number(int(seconds)), input});

    const QStringList common{input, "-q", "127", "-b", "128000", "-f", "m4af", "-d", "aac", "-o"};
    const double reference = Bench::timeTool(
        "ffmpeg", {"-v", "error", "-y", "-i", input, "-c:a", "aac", "-b:a", "128k", dir.filePath("ffmpeg.m4a")});
    const Bench::Cost whole = Bench::measureTool(AFCONVERT_PATH, common + QStringList{dir.filePath("whole.m4a")});
    const Bench::Cost split = Bench::measureTool(
        AFCONVERT_PATH, common + QStringList{dir.filePath("split.m4a"), "--parts", QString::number(parts)});

    std::printf("input: %.0f s of 44.1 kHz stereo music with noise, abrupt tones and quiet noise, 128 kbit/s\n",
                seconds);
    std::printf("%-20s %7.2f s\n", "ffmpeg", reference);
    report("afconvert whole", whole, reference, Bench::compareDecoded(input, dir.filePath("whole.m4a"), 2));
    const QString name = QString("afconvert %1 parts").arg(parts);
    report(qPrintable(name), split, reference, Bench::compareDecoded(input, dir.filePath("split.m4a"), 2));
    const Bench::FramesWorse worse =
        Bench::compareFrames(input, dir.filePath("whole.m4a"), dir.filePath("split.m4a"), 2);
    std::printf("split CPU %.2fx whole; loud frames more than 10 dB worse: %ld split, %ld whole\n",
                split.cpuSeconds / whole.cpuSeconds, worse.split, worse.whole);
    std::printf("goals: whole at most 1.10x ffmpeg; in %d parts at most 0.3x ffmpeg and CPU at most 1.25x whole, SNR "
                "within 0.3 dB of whole, no more loud frames far worse than whole than twice the other way\n",
                parts);
    return 0;
}
