#pragma once
// Runs the reference tools that tests check against (ffmpeg, ffprobe, sox ...).

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace TestKit {

struct ToolResult
{
    int exitCode = -1; // -1 when the tool could not be started or timed out
    QByteArray out;
    QByteArray err;
};

// Runs program with args and waits up to timeoutMs.
ToolResult runTool(const QString& program, const QStringList& args, int timeoutMs = 120000);
// The same with the child's whole environment given.
ToolResult runTool(const QString& program, const QStringList& args, int timeoutMs,
                   const QProcessEnvironment& environment);

// A level of the whole decoded sound of path in dB as ffmpeg's astats measures it: "Peak" or "RMS"; NaN when
// ffmpeg tells none.
double decodedLevel(const QString& path, const QString& measure);

// True when program is found on PATH.
bool haveTool(const QString& program);

// Writes a sine tone with ffmpeg's lavfi source; extra arguments go before the output path
// (for example {"-c:a", "flac"}). Returns false and leaves a message in *error on failure.
bool makeTone(const QString& path, double seconds, int rate, int channels, const QStringList& extra = {},
              QString* error = nullptr, int frequency = 440);

// Copies the 16-bit WAV file source to target with the rate and channel count of its header replaced (the
// samples stay as they are): a hostile header made at test time.
bool patchWavFormat(const QString& source, const QString& target, quint32 rate, quint16 channels);

// The ids of running encoder tools (afconvert) whose arguments name a file under path.
QList<int> encodersWriting(const QString& path);
// Clock ticks of CPU time (user and system) process pid has used, and its state letter ('T' when stopped);
// -1 and '?' once it is gone.
qint64 processCpuTicks(int pid, char* pState = nullptr);

// Writes bytes to path; false when the file cannot be written whole.
bool writeFile(const QString& path, const QByteArray& bytes);
// The bytes of path; empty when it cannot be read.
QByteArray readFile(const QString& path);

// The process's peak resident memory in kB since the last reset.
qint64 peakMemoryKb();
// Resets that peak; false where the system refuses.
bool resetPeakMemory();

} // namespace TestKit
