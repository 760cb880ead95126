// Media search and track-time speed on a tree of 10,000 small files, against ffprobe run once per file.
#include "BenchTools.h"

#include <ZADovuzIdida/MediaSearchDialog.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;

void copyOrDie(const QString& from, const QString& to)
{
    if (!QFile::copy(from, to)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(to));
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wav = dir.filePath("seed.wav");
    const QString mp3 = dir.filePath("seed.mp3");
    Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=d=0.2", wav});
    Bench::timeTool("ffmpeg", {"-v", "error", "-y", "-i", wav, mp3});
    const QString root = dir.filePath("tree");
    QStringList probed;
    for (int folder = 0; folder < kFolders; ++folder) {
        const QString sub = QString("%1/f%2").arg(root).arg(folder);
        QDir().mkpath(sub);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const QString base = QString("%1/%2").arg(sub).arg(i);
            switch (i % 4) {
            case 0:
            case 1:
                copyOrDie(wav, base + ".wav");
                probed << base + ".wav";
                break;
            case 2:
                copyOrDie(mp3, base + ".mp3");
                break;
            default:
                QFile(base + ".txt").open(QIODevice::WriteOnly);
                break;
            }
        }
    }
    const int files = kFolders * kFilesPerFolder;
    std::printf("tree: %d folders, %d files (%d probed .wav, %d listed .mp3, %d .txt)\n", kFolders, files,
                int(probed.size()), files / 4, files / 4);

    ZADovuzIdida::MediaSearchDialog dialog;
    dialog.setUrls({QUrl::fromLocalFile(root)});
    QElapsedTimer timer;
    timer.start();
    dialog.slotStart();
    const double search = timer.nsecsElapsed() / 1e9;
    if (dialog.audioFiles().size() != files * 3 / 4) {
        std::fprintf(stderr, "search found %d audio files\n", int(dialog.audioFiles().size()));
        return 1;
    }

    ZADovuzIdida::PlayListModel model;
    model.setPlayList(probed);
    timer.start();
    for (int row = 0; row < model.rowCount(); ++row)
        model.data(model.index(row), ZADovuzIdida::PlayListModel::DurationRole);
    const double durations = timer.nsecsElapsed() / 1e9;

    const int sample = 100;
    double reference = 0;
    for (int i = 0; i < sample; ++i)
        reference += Bench::timeTool(
            "ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", probed.at(i)});
    const double find = Bench::timeTool("find", {root, "-type", "f"});

    std::printf("media search:   %8.0f files/s (walk, sort and probe of all %d files)\n", files / search, files);
    std::printf("track times:    %8.0f files/s (%d .wav files)\n", probed.size() / durations, int(probed.size()));
    std::printf("ffprobe:        %8.0f files/s (one process per file, %d files)\n", sample / reference, sample);
    std::printf("find (walk):    %8.0f files/s\n", files / find);
    return 0;
}
