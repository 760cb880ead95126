// Decoding speed of NativeAudioDecoder, from the start and in sections, against "ffmpeg -i SRC -f null -" on FLAC,
// MP3, AAC, Vorbis and Opus copies of one source (AAC and Opus are always decoded from the start), and on Opus with
// pauses, which its decoder fills with denormal values. Arguments: SECONDS, then a WAV file of music to use instead
// of pink noise; one ffmpeg AAC encode of the source is timed as the scale of a conversion.
#include "BenchTools.h"

#include <ZADovuzIdida/NativeAudioDecoder.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int Repeats = 3;

double cpuSeconds(int who)
{
    rusage usage = {};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Pass
{
    double seconds = 0;
    // User and system, all threads.
    double cpuSeconds = 0;
    // Of the floats, to tell the sectioned decode from the whole one.
    quint64 hash = 14695981039346656037ULL;
};

Pass decode(const QString& path, int nSectionThreads)
{
    ZADovuzIdida::NativeAudioDecoder decoder;
    decoder.setSectionThreads(nSectionThreads);
    std::vector<float> block(32000);
    Pass pass;
    qint64 nanoseconds = 0;
    double hashCpu = 0;
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer timer;
    timer.start();
    decoder.setFile(path, 44100, 32, 2);
    for (int got; (got = decoder.read(block.data(), int(block.size()))) > 0;) {
        // The hash is not timed.
        nanoseconds += timer.nsecsElapsed();
        const double hashStart = cpuSeconds(RUSAGE_THREAD);
        const auto* words = reinterpret_cast<const quint32*>(block.data());
        for (int i = 0; i < got; ++i)
            pass.hash = (pass.hash ^ words[i]) * 1099511628211ULL;
        hashCpu += cpuSeconds(RUSAGE_THREAD) - hashStart;
        timer.restart();
    }
    decoder.finish();
    pass.seconds = (nanoseconds + timer.nsecsElapsed()) / 1e9;
    pass.cpuSeconds = cpuSeconds(RUSAGE_SELF) - cpuBefore - hashCpu;
    return pass;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = Bench::lengthArgument(argc, argv, 600);
    QTemporaryDir dir;
    QString wav = dir.filePath("source.wav");
    if (argc > 2 && QFileInfo(argv[2]).isFile()) {
        Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", argv[2], "-t", QString::number(seconds), "-ar", "44100",
                                   "-ac", "2", "-c:a", "pcm_s16le", wav});
        std::printf("source: %.0f s of %s at 44.1 kHz stereo", seconds, argv[2]);
    } else {
        Bench::timeTool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", QString::number(seconds),
                                "pinknoise", "vol", "0.5"});
        std::printf("source: %.0f s of 44.1 kHz stereo pink noise", seconds);
    }
    std::printf("; decoder at 44100 Hz, 32 bits, stereo; medians of %d\n", Repeats);
    const double encode = Bench::timeTool("ffmpeg", {"-v", "error", "-i", wav, "-c:a", "aac", "-f", "null", "-"});
    std::printf("one ffmpeg AAC encode of the source: %.2f s\n", encode);
    std::fflush(stdout);
    // Noise of 2.6 s and pauses of 1.4 s of digital silence, as edited speech has.
    const QString paused = dir.filePath("paused.wav");
    Bench::timeTool("ffmpeg",
                    {"-v", "error", "-y", "-f", "lavfi", "-i",
                     QString("anoisesrc=c=pink:r=48000:a=0.5:d=2.6,apad=pad_dur=1.4,aloop=loop=%1:size=192000")
                         .arg(int(seconds / 4) - 1),
                     "-ac", "2", paused});
    const QStringList kinds{"flac", "mp3", "m4a", "ogg", "opus", "paused.opus"};
    const int nThreads = QThread::idealThreadCount();
    for (const QString& kind : kinds) {
        const QString source = dir.filePath("source." + kind);
        Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", kind == "paused.opus" ? paused : wav, source});
        std::vector<double> whole, sectioned, reference, wholeCpu, sectionedCpu, referenceCpu;
        bool bSame = true;
        for (int i = 0; i < Repeats; ++i) {
            const Pass wholePass = decode(source, 0);
            const Pass sectionedPass = decode(source, nThreads);
            const Bench::Cost cost = Bench::measureTool("ffmpeg", {"-v", "error", "-i", source, "-f", "null", "-"});
            whole.push_back(wholePass.seconds);
            sectioned.push_back(sectionedPass.seconds);
            reference.push_back(cost.seconds);
            wholeCpu.push_back(wholePass.cpuSeconds);
            sectionedCpu.push_back(sectionedPass.cpuSeconds);
            referenceCpu.push_back(cost.cpuSeconds);
            bSame = bSame && wholePass.hash == sectionedPass.hash;
        }
        std::printf("%-11s whole: %5.2f s (CPU %5.2f)   in sections on %d threads: %5.2f s (CPU %5.2f; %.3f x the "
                    "encode; %s)   ffmpeg: %5.2f s (CPU %5.2f)\n",
                    qPrintable(kind), median(whole), median(wholeCpu), nThreads, median(sectioned),
                    median(sectionedCpu), median(sectioned) / encode, bSame ? "same floats" : "FLOATS DIFFER",
                    median(reference), median(referenceCpu));
        std::fflush(stdout);
    }
    return 0;
}
