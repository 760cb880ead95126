#include "SelfRun.h"

#include <QCoreApplication>
#include <QProcessEnvironment>

namespace TestKit {

ToolResult runSelf(const QStringList& functions, const QStringList& environment, int timeoutMs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains("ASAN_OPTIONS"))
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
    for (const QString& entry : environment) {
        const int eq = entry.indexOf('=');
        env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    return runTool(QCoreApplication::applicationFilePath(), functions, timeoutMs, env);
}

} // namespace TestKit
