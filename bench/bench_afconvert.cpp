// Encoding speed of the project's afconvert against ffmpeg's own AAC encoding of the same WAV file.
#include "BenchTools.h"

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = Bench::lengthArgument(argc, argv, 600);
    QTemporaryDir dir;
    const QString input = dir.filePath("in.wav");
    Bench::timeTool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", input, "synth", QString::number(seconds),
                            "pinknoise", "vol", "0.5"});

    const double tool = Bench::timeTool(AFCONVERT_PATH, {input, "-o", dir.filePath("tool.m4a"), "-q", "127", "-b",
                                                         "256000", "-f", "m4af", "-d", "aac"});
    const double reference = Bench::timeTool(
        "ffmpeg", {"-v", "error", "-y", "-i", input, "-c:a", "aac", "-b:a", "256k", dir.filePath("ffmpeg.m4a")});

    std::printf("input: %.0f s of 44.1 kHz stereo pink noise, 256 kbit/s\n", seconds);
    std::printf("afconvert: %.2f s\n", tool);
    std::printf("ffmpeg:    %.2f s\n", reference);
    std::printf("ratio afconvert/ffmpeg: %.3f (goal: at most 1.10)\n", tool / reference);
    return 0;
}
