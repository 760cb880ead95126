#include "SelfRun.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

namespace TestKit {

ToolResult runSelf(const QStringList& functions, const QStringList& environment, int timeoutMs)
{
    ToolResult result;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains("ASAN_OPTIONS"))
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
    for (const QString& entry : environment) {
        const int eq = entry.indexOf('=');
        env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), functions);
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

} // namespace TestKit
