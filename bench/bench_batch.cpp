// A run on a generated corpus against ffmpeg's own AAC encoding of the same files, all at once and one after another.
#include "BenchTools.h"

#include <core/BatchRun.h>
#include <core/BatchWorker.h>
#include <core/ConversionSettings.h>

#include <VUVararer/App.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <vector>

#include <sys/resource.h>

namespace {

long peakKiB(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

// Wall time of one ffmpeg AAC encode per source, all started at once.
// Wall time of one run of sources with the stored settings.
double timeRun(const QVector<QString>& sources)
{
    BatchRun run;
    BatchWorker* worker = run.worker();
    worker->setSettings(ConversionSettings::targetFormat());
    worker->setInputFiles(sources);
    QEventLoop loop;
    QObject::connect(&run, SIGNAL(finished(QString)), &loop, SLOT(quit()));
    QElapsedTimer timer;
    timer.start();
    run.start(0);
    loop.exec();
    return timer.nsecsElapsed() / 1e9;
}

double encodeAllAtOnce(const QVector<QString>& sources, int bitRate, const QString& folder)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < sources.size(); ++i) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        processes.back()->start("ffmpeg", {"-v", "error", "-y", "-i", sources.at(i), "-c:a", "aac", "-b:a",
                                           QString::number(bitRate), QString("%1/parallel%2.m4a").arg(folder).arg(i)});
    }
    for (const auto& process : processes) {
        if (!process->waitForFinished(-1) || process->exitCode() != 0) {
            std::fprintf(stderr, "failed: ffmpeg on %s\n", qPrintable(process->arguments().at(4)));
            std::exit(1);
        }
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

// Arguments: seconds per track (default 180), number of tracks (default 8).
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
    const double seconds = Bench::lengthArgument(argc, argv, 180);
    const int nTracks = argc > 2 ? QString(argv[2]).toInt() : 8;
    const int bitRate = ConversionSettings::bitRate();
    app.setSettingsValue("DestinationPath", dir.filePath("out/"));

    QVector<QString> sources;
    for (int i = 0; i < nTracks; ++i) {
        const QString source = dir.filePath(QString("track%1.%2").arg(i).arg(i % 2 ? "mp3" : "flac"));
        Bench::timeTool("ffmpeg",
                        {"-v", "error", "-f", "lavfi", "-i",
                         QString("sine=frequency=%1:sample_rate=44100:duration=%2").arg(220 + 20 * i).arg(seconds),
                         "-af", "volume=0.5", "-ac", "2", source});
        sources << source;
    }

    // With normalization (the default) a result above the peak window is encoded again; without it, never.
    const double workerSeconds = timeRun(sources);
    app.setSettingsValue(ConversionSettings::KeyNormalizationActive, false);
    const double plainSeconds = timeRun(sources);
    const long workerKiB = peakKiB(RUSAGE_SELF);
    const long encoderKiB = peakKiB(RUSAGE_CHILDREN);

    const double parallel = encodeAllAtOnce(sources, bitRate, dir.path());
    double reference = 0.0;
    for (const QString& source : qAsConst(sources))
        reference += Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", source, "-c:a", "aac", "-b:a",
                                                QString::number(bitRate), dir.filePath("reference.m4a")});

    std::printf("input: %d tracks of %.0f s, 44.1 kHz stereo, FLAC and MP3; AAC at %d bit/s\n", nTracks, seconds,
                bitRate);
    std::printf("run (at most %d files converted and encoded at once): %.2f s; without normalization %.2f s\n",
                QThread::idealThreadCount(), workerSeconds, plainSeconds);
    std::printf("ffmpeg, all at once:      %.2f s\n", parallel);
    std::printf("ffmpeg, one after another: %.2f s\n", reference);
    std::printf("ratio run/ffmpeg all at once: %.3f; without normalization %.3f (goal: at most 1.25)\n",
                workerSeconds / parallel, plainSeconds / parallel);
    std::printf("ratio run/ffmpeg one after another: %.3f\n", workerSeconds / reference);
    std::printf("peak memory: run process %ld KiB, largest encoder process %ld KiB\n", workerKiB, encoderKiB);
    std::fflush(stdout);
    return 0;
}
