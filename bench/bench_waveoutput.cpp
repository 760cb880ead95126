// Writing speed and memory of WaveOutput (an hour of 48 kHz stereo by default) against sox writing the same file.
#include "BenchTools.h"

#include <ZADovuzIdida/_VozIdavi/Output/WaveOutput.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cmath>
#include <vector>

namespace {

long peakResidentKb()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = Bench::lengthArgument(argc, argv, 3600);
    const int bits = argc > 2 ? QString(argv[2]).toInt() : 16;
    const int rate = 48000;
    const int channels = 2;
    QTemporaryDir dir;
    const QString ours = dir.filePath("ours.wav");

    // The batch worker's block: 32000 samples of all channels together.
    std::vector<float> block(32000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = float(0.5 * std::sin(0.0287 * double(i / channels)));
    const long before = peakResidentKb();
    const qint64 totalSamples = qint64(seconds * rate) * channels;
    QElapsedTimer timer;
    timer.start();
    {
        ZADovuzIdida::WaveOutput output(QFile::encodeName(ours).constData(),
                                        ZADovuzIdida::Settings(rate, channels, 1, short(bits)), QString(),
                                        MTools::Handle<ZADovuzIdida::EBUInfo>(), true);
        for (qint64 done = 0; done < totalSamples; done += qint64(block.size())) {
            const int count = int(std::min<qint64>(qint64(block.size()), totalSamples - done));
            if (!output.write(block.data(), count)) {
                std::fprintf(stderr, "write failed: %s\n", qPrintable(output.errorString()));
                return 1;
            }
        }
        if (!output.close()) {
            std::fprintf(stderr, "close failed: %s\n", qPrintable(output.errorString()));
            return 1;
        }
    }
    const double oursSeconds = timer.nsecsElapsed() / 1e9;
    const double megabytes = QFileInfo(ours).size() / 1e6;
    const long after = peakResidentKb();
    QFile::remove(ours);

    const QString reference = dir.filePath("sox.wav");
    const double soxSeconds = Bench::timeTool("sox", {"-n", "-r", QString::number(rate), "-c",
                                                      QString::number(channels), "-b", QString::number(bits), reference,
                                                      "synth", QString::number(seconds), "sine", "440", "vol", "0.5"});
    const double soxMegabytes = QFileInfo(reference).size() / 1e6;

    std::printf("%.0f s of %d Hz, %d channels, %d bits\n", seconds, rate, channels, bits);
    std::printf("WaveOutput: %8.1f MB in %6.2f s = %7.1f MB/s; peak memory %ld kB before, %ld kB after\n", megabytes,
                oursSeconds, megabytes / oursSeconds, before, after);
    std::printf("sox:        %8.1f MB in %6.2f s = %7.1f MB/s\n", soxMegabytes, soxSeconds, soxMegabytes / soxSeconds);
    return 0;
}
