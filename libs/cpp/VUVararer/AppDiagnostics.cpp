#include "App.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <cstdio>
#include <cstdlib>

namespace VUVararer {

namespace {

QMutex s_mtxLog;
thread_local bool s_bInHandler = false;

const char* levelText(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return " Debug: ";
    case QtWarningMsg:
        return " Warning: ";
    case QtCriticalMsg:
        return " Critical: ";
    case QtFatalMsg:
        return " Fatal: ";
    default:
        return nullptr;
    }
}

} // namespace

void terminalOutputToFile(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const char* pszLevel = levelText(type);
    // A message from inside the handler (a warning of the file code itself) would dead-lock on the mutex.
    if (pszLevel && !s_bInHandler) {
        s_bInHandler = true;
        const QByteArray baLine = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yy-hh:mm")).toUtf8() +
                                  pszLevel + message.toUtf8() + ", " + QString::fromLatin1(context.file).toUtf8() +
                                  '\n';
        App* pApp = qobject_cast<App*>(QCoreApplication::instance());
        if (pApp) {
            QMutexLocker lock(&s_mtxLog);
            QFile file(pApp->supportDirectory(true) + QStringLiteral("protocol.log"));
            if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
                file.write(baLine);
                file.close();
            }
        } else {
            // Without the application object (before it, after it, or another kind) there is no support folder.
            std::fwrite(baLine.constData(), 1, size_t(baLine.size()), stderr);
        }
        s_bInHandler = false;
    }
    if (type == QtFatalMsg)
        std::abort();
}

void terminalOutputToDummy(QtMsgType, const QMessageLogContext&, const QString&) {}

void App::setTerminalOuputToFile() { qInstallMessageHandler(terminalOutputToFile); }

void App::disableTerminalOuput() { qInstallMessageHandler(terminalOutputToDummy); }

void App::enableTerminalOuput() { qInstallMessageHandler(nullptr); }

} // namespace VUVararer
