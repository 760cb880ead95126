// Decoding speed of NativeAudioDecoder, from the start and in sections, against "ffmpeg -i SRC -f null -" on FLAC and
// MP3 files (MP3 is never decoded in sections), and on Opus with pauses, which its decoder fills with denormal values.
#include "BenchTools.h"

#include <ZADovuzIdida/NativeAudioDecoder.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

#include <vector>

namespace {

double decodeSeconds(const QString& path, int nSectionThreads)
{
    ZADovuzIdida::NativeAudioDecoder decoder;
    decoder.setSectionThreads(nSectionThreads);
    std::vector<float> block(32000);
    QElapsedTimer timer;
    timer.start();
    decoder.setFile(path, 44100, 32, 2);
    while (decoder.read(block.data(), int(block.size())) > 0) {
    }
    decoder.finish();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = Bench::lengthArgument(argc, argv, 600);
    QTemporaryDir dir;
    const QString wav = dir.filePath("source.wav");
    Bench::timeTool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", QString::number(seconds),
                            "pinknoise", "vol", "0.5"});
    std::printf("source: %.0f s of 44.1 kHz stereo pink noise; decoder at 44100 Hz, 32 bits, stereo\n", seconds);
    // Noise of 2.6 s and pauses of 1.4 s of digital silence, as edited speech has.
    const QString paused = dir.filePath("paused.wav");
    Bench::timeTool("ffmpeg",
                    {"-v", "error", "-y", "-f", "lavfi", "-i",
                     QString("anoisesrc=c=pink:r=48000:a=0.5:d=2.6,apad=pad_dur=1.4,aloop=loop=%1:size=192000")
                         .arg(int(seconds / 4) - 1),
                     "-ac", "2", paused});
    std::printf("opus: 48 kHz stereo pink noise with pauses of digital silence, as long\n");
    const QStringList kinds{"flac", "mp3", "opus"};
    for (const QString& kind : kinds) {
        const QString source = dir.filePath("source." + kind);
        Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", kind == "opus" ? paused : wav, source});
        const double ours = decodeSeconds(source, 0);
        const int nThreads = QThread::idealThreadCount();
        const double sectioned = decodeSeconds(source, nThreads);
        const double reference = Bench::timeTool("ffmpeg", {"-v", "error", "-i", source, "-f", "null", "-"});
        std::printf("%-4s decoder: %7.1f x realtime   in sections on %d threads: %7.1f x realtime   ffmpeg: %7.1f x "
                    "realtime\n",
                    qPrintable(kind), seconds / ours, nThreads, seconds / sectioned, seconds / reference);
    }
    return 0;
}
