// The batch worker on a generated corpus against ffmpeg's own AAC encoding of the same files, one after another.
#include "BenchTools.h"

#include <core/BatchThread.h>
#include <core/BatchWorker.h>
#include <core/ConversionSettings.h>

#include <VUVararer/App.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

long peakKiB(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

} // namespace

// Arguments: seconds per track (default 180), number of tracks (default 20).
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
    const int nTracks = argc > 2 ? QString(argv[2]).toInt() : 20;
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

    BatchThread thread;
    BatchWorker* worker = thread.worker();
    worker->setSettings(ConversionSettings::targetFormat());
    worker->setInputFiles(sources);
    QEventLoop loop;
    QObject::connect(&thread, SIGNAL(started()), worker, SLOT(slotDoWork()));
    QObject::connect(worker, SIGNAL(finished(QString)), &loop, SLOT(quit()));
    QElapsedTimer timer;
    timer.start();
    thread.start();
    loop.exec();
    const double workerSeconds = timer.nsecsElapsed() / 1e9;
    thread.quit();
    thread.wait();
    const long workerKiB = peakKiB(RUSAGE_SELF);
    const long encoderKiB = peakKiB(RUSAGE_CHILDREN);

    double reference = 0.0;
    for (const QString& source : qAsConst(sources))
        reference += Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", source, "-c:a", "aac", "-b:a",
                                                QString::number(bitRate), dir.filePath("reference.m4a")});

    std::printf("input: %d tracks of %.0f s, 44.1 kHz stereo, FLAC and MP3; AAC at %d bit/s\n", nTracks, seconds,
                bitRate);
    std::printf("batch worker: %.2f s\n", workerSeconds);
    std::printf("ffmpeg:       %.2f s\n", reference);
    std::printf("ratio worker/ffmpeg: %.3f (goal: at most 1.3)\n", workerSeconds / reference);
    std::printf("peak memory: worker process %ld KiB, encoder process %ld KiB\n", workerKiB, encoderKiB);
    std::fflush(stdout);
    return 0;
}
