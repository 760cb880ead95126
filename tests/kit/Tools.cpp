#include "Tools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>
#include <QStandardPaths>

#include <cmath>

namespace TestKit {

namespace {

ToolResult run(QProcess& process, const QString& program, const QStringList& args, int timeoutMs)
{
    ToolResult result;
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

} // namespace

ToolResult runTool(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess process;
    return run(process, program, args, timeoutMs);
}

double decodedLevel(const QString& path, const QString& measure)
{
    const ToolResult result =
        runTool("ffmpeg", {"-i", path, "-af", "astats=measure_perchannel=none:measure_overall=" + measure + "_level",
                           "-f", "null", "-"});
    const QRegularExpressionMatch match =
        QRegularExpression(measure + " level dB: (\\S+)").match(QString::fromLocal8Bit(result.err));
    return match.hasMatch() ? match.captured(1).toDouble() : std::nan("");
}

ToolResult runTool(const QString& program, const QStringList& args, int timeoutMs,
                   const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    return run(process, program, args, timeoutMs);
}

bool haveTool(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

bool makeTone(const QString& path, double seconds, int rate, int channels, const QStringList& extra, QString* error,
              int frequency)
{
    QStringList args{
        "-hide_banner", "-loglevel",
        "error",        "-y",
        "-f",           "lavfi",
        "-i",           QString("sine=frequency=%1:sample_rate=%2:duration=%3").arg(frequency).arg(rate).arg(seconds),
        "-ac",          QString::number(channels)};
    args << extra << path;
    const ToolResult result = runTool("ffmpeg", args);
    if (result.exitCode != 0 && error)
        *error = QString("ffmpeg failed (%1): %2").arg(result.exitCode).arg(QString::fromLocal8Bit(result.err));
    return result.exitCode == 0;
}

bool patchWavFormat(const QString& source, const QString& target, quint32 rate, quint16 channels)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = in.readAll();
    const int fmt = bytes.indexOf("fmt ");
    if (fmt < 0 || bytes.size() < fmt + 24)
        return false;
    const quint16 blockAlign = quint16(channels * 2);
    qToLittleEndian(channels, bytes.data() + fmt + 10);
    qToLittleEndian(rate, bytes.data() + fmt + 12);
    qToLittleEndian(quint32(rate * blockAlign), bytes.data() + fmt + 16);
    qToLittleEndian(blockAlign, bytes.data() + fmt + 20);
    QFile out(target);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 peakMemoryKb()
{
    const QString status = QString::fromLatin1(readFile("/proc/self/status"));
    return QRegularExpression("VmHWM:\\s*(\\d+)").match(status).captured(1).toLongLong();
}

bool resetPeakMemory() { return writeFile("/proc/self/clear_refs", "5"); }

QList<int> encodersWriting(const QString& path)
{
    QList<int> pids;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (!entry.toInt() || !cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = cmdline.readAll();
        if (line.contains("afconvert") && line.contains(QFile::encodeName(path)))
            pids << entry.toInt();
    }
    return pids;
}

qint64 processCpuTicks(int pid, char* pState)
{
    if (pState)
        *pState = '?';
    QFile file(QString("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    // After the command name in parentheses: state, then utime and stime as the 12th and 13th fields.
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 1).split(' ');
    if (fields.size() < 15)
        return -1;
    if (pState)
        *pState = fields.at(1).isEmpty() ? '?' : fields.at(1).at(0);
    return fields.at(12).toLongLong() + fields.at(13).toLongLong();
}

} // namespace TestKit
