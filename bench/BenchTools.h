#pragma once
// Small helpers of the benchmark programs: run a tool and time it.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

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

} // namespace Bench
