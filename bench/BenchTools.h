#pragma once
// Small helpers of the benchmark programs: run a tool and time it.

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

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

// Seconds of test signal: the first argument, or the default.
inline double lengthArgument(int argc, char** argv, double fallback)
{
    return argc > 1 ? QString(argv[1]).toDouble() : fallback;
}

} // namespace Bench
