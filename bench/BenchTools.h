#pragma once
// Small helpers of the benchmark programs: run a tool and time it, and measure how an encode differs from its source.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Bench {

// Runs program to its end and returns the wall time in seconds; stops the benchmark when the run fails.
inline double timeTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s %s\n", qPrintable(program), qPrintable(args.join(' ')));
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e9;
}

// What one run of a program cost: wall and CPU seconds, peak resident memory.
struct Cost
{
    double seconds = 0;
    double cpuSeconds = 0; // user and system, all its threads
    long peakKiB = 0;
};

// Runs program to its end and returns its cost; stops the benchmark when the run fails.
inline Cost measureTool(const QString& program, const QStringList& args)
{
    std::vector<QByteArray> strings{program.toLocal8Bit()};
    for (const QString& arg : args)
        strings.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& string : strings)
        argv.push_back(string.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage = {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s %s\n", qPrintable(program), qPrintable(args.join(' ')));
        std::exit(1);
    }
    Cost cost;
    cost.seconds = timer.nsecsElapsed() / 1e9;
    cost.cpuSeconds =
        usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    cost.peakKiB = usage.ru_maxrss;
    return cost;
}

// Runs every command (program, then its arguments), at most nAtOnce at a time, a new one as soon as one ends;
// returns the wall time in seconds and, when pErrors is given, each command's error output. Stops the benchmark
// when a command fails.
inline double timeTools(const QList<QStringList>& commands, int nAtOnce, QStringList* pErrors = nullptr)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    QEventLoop loop;
    int nStarted = 0;
    int nEnded = 0;
    std::function<void()> startNext;
    startNext = [&] {
        const QStringList& command = commands.at(nStarted++);
        processes.push_back(std::make_unique<QProcess>());
        QProcess* process = processes.back().get();
        if (!pErrors)
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                         [&, process, command](int code, QProcess::ExitStatus status) {
                             if (code != 0 || status != QProcess::NormalExit) {
                                 std::fprintf(stderr, "failed: %s\n", qPrintable(command.join(' ')));
                                 std::exit(1);
                             }
                             if (++nEnded == commands.size())
                                 loop.quit();
                             else if (nStarted < commands.size())
                                 startNext();
                         });
        process->start(command.first(), command.mid(1));
    };
    QElapsedTimer timer;
    timer.start();
    while (nStarted < std::min<int>(nAtOnce, commands.size()))
        startNext();
    if (!commands.isEmpty())
        loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (pErrors) {
        pErrors->clear();
        for (const auto& process : processes)
            *pErrors << QString::fromLocal8Bit(process->readAllStandardError());
    }
    return seconds;
}

// Seconds of test signal: the first argument, or the default.
inline double lengthArgument(int argc, char** argv, double fallback)
{
    return argc > 1 ? QString(argv[1]).toDouble() : fallback;
}

// How the decoded sound of an encode differs from its source, sample by sample as ffmpeg decodes both.
struct Difference
{
    double snr = 0;            // dB over the whole file
    double largestError = 0;   // the largest difference of one value, full scale 1
    double worstLoudFrame = 0; // dB full scale: the largest mean square error of a frame of 1024 samples louder
                               // than -40 dBFS
};

// Decodes inputs with ffmpeg, each to channels values a frame, and hands onFrame each frame's values of all inputs
// side by side; the frames handed. Stops the benchmark when ffmpeg fails.
inline qint64 decodeSideBySide(const QStringList& inputs, int channels,
                               const std::function<void(const float*)>& onFrame)
{
    QStringList arguments{"-v", "error"};
    QString pads;
    for (int i = 0; i < inputs.size(); ++i) {
        arguments << "-i" << inputs[i];
        pads += QString("[%1:a]").arg(i);
    }
    arguments << "-filter_complex" << pads + QString("amerge=inputs=%1").arg(inputs.size()) << "-f"
              << "f32le"
              << "-";
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", arguments);
    const int width = int(inputs.size()) * channels;
    const int stride = width * int(sizeof(float));
    qint64 frames = 0;
    QByteArray pending;
    std::vector<float> values;
    while (ffmpeg.bytesAvailable() > 0 || ffmpeg.waitForReadyRead(-1)) {
        pending += ffmpeg.readAll();
        const int count = pending.size() / stride;
        values.resize(size_t(count) * size_t(width));
        std::memcpy(values.data(), pending.constData(), size_t(count) * size_t(stride));
        pending.remove(0, count * stride);
        for (int i = 0; i < count; ++i, ++frames)
            onFrame(&values[size_t(i) * size_t(width)]);
    }
    ffmpeg.waitForFinished(-1);
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 || frames == 0) {
        std::fprintf(stderr, "failed: comparing %s\n", qPrintable(inputs.join(" with ")));
        std::exit(1);
    }
    return frames;
}

// Compares encoded against source (channels each); stops the benchmark when ffmpeg fails.
inline Difference compareDecoded(const QString& source, const QString& encoded, int channels)
{
    Difference difference;
    double signal = 0, error = 0, frameSignal = 0, frameError = 0;
    qint64 sample = 0;
    decodeSideBySide({source, encoded}, channels, [&](const float* frame) {
        for (int channel = 0; channel < channels; ++channel) {
            const double value = frame[channel];
            const double delta = frame[channels + channel] - value;
            frameSignal += value * value;
            frameError += delta * delta;
            difference.largestError = std::max(difference.largestError, std::fabs(delta));
        }
        if (sample++ % 1024 == 1023) {
            if (frameSignal > 1e-4 * 1024 * channels)
                difference.worstLoudFrame = std::max(difference.worstLoudFrame, frameError / (1024 * channels));
            signal += frameSignal;
            error += frameError;
            frameSignal = frameError = 0;
        }
    });
    signal += frameSignal;
    error += frameError;
    difference.snr = 10 * std::log10(signal / error);
    difference.worstLoudFrame = 10 * std::log10(difference.worstLoudFrame);
    return difference;
}

// Per frame of 1024 samples: the source's energy and the error energy of the whole and the split encode.
struct FrameEnergies
{
    std::vector<double> signal, whole, split;
};

inline FrameEnergies frameEnergies(const QString& source, const QString& whole, const QString& split, int channels)
{
    FrameEnergies energies;
    double signal = 0, wholeError = 0, splitError = 0;
    qint64 sample = 0;
    decodeSideBySide({source, whole, split}, channels, [&](const float* frame) {
        for (int channel = 0; channel < channels; ++channel) {
            signal += double(frame[channel]) * frame[channel];
            wholeError += std::pow(double(frame[channels + channel]) - frame[channel], 2);
            splitError += std::pow(double(frame[2 * channels + channel]) - frame[channel], 2);
        }
        if (sample++ % 1024 == 1023) {
            energies.signal.push_back(signal);
            energies.whole.push_back(wholeError);
            energies.split.push_back(splitError);
            signal = wholeError = splitError = 0;
        }
    });
    return energies;
}

// Loud frames (1024 samples louder than -40 dBFS) of the split encode coded more than 10 dB worse than in the whole
// encode and under 15 dB SNR, and the other way round.
struct FramesWorse
{
    long split = 0;
    long whole = 0;
};

inline FramesWorse compareFrames(const QString& source, const QString& whole, const QString& split, int channels)
{
    const FrameEnergies energies = frameEnergies(source, whole, split, channels);
    const auto far = [](double error, double other, double signal) {
        return error > 10 * other && signal > 31.6 * error;
    };
    FramesWorse worse;
    for (size_t i = 0; i < energies.signal.size(); ++i) {
        if (energies.signal[i] > 1e-4 * 1024 * channels) {
            worse.split += far(energies.split[i], energies.whole[i], energies.signal[i]) ? 1 : 0;
            worse.whole += far(energies.whole[i], energies.split[i], energies.signal[i]) ? 1 : 0;
        }
    }
    return worse;
}

} // namespace Bench
