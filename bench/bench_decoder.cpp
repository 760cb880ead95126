// Decoding speed of NativeAudioDecoder, from the start and in sections, against "ffmpeg -i SRC -f null -" on FLAC and
// MP3 files (MP3 is never decoded in sections).
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
    const QStringList kinds{"flac", "mp3"};
    for (const QString& kind : kinds) {
        const QString source = dir.filePath("source." + kind);
        Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", wav, source});
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
