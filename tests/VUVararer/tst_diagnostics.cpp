#include <VUVararer/App.h>

#include "Probe.h"
#include "TestMain.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using VUVararer::App;

class TestDiagnostics : public QObject
{
    Q_OBJECT

private:
    QString logPath() const { return App::theApp()->supportDirectory(false) + QStringLiteral("protocol.log"); }

    QStringList logLines() const
    {
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // "dd.MM.yy-hh:mm Level: text, file"; builds without message context leave the file empty.
    static QRegularExpression line(const QString& level, const QString& text)
    {
        return QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d-\\d\\d:\\d\\d ") + level +
                                  QStringLiteral(": ") + text + QStringLiteral(", (.*tst_diagnostics\\.cpp)?$"));
    }

private slots:
    void init() { QFile::remove(logPath()); }
    void cleanup() { App::enableTerminalOuput(); }

    void testLines()
    {
        App::setTerminalOuputToFile();
        const QDateTime before = QDateTime::currentDateTime();
        qWarning("x");
        const QDateTime after = QDateTime::currentDateTime();
        qInfo("quiet");
        App::enableTerminalOuput();
        QStringList lines = logLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(line(QStringLiteral("Warning"), QStringLiteral("x")).match(lines.first()).hasMatch(),
                 qPrintable(lines.first()));
        const QString stamp = lines.first().left(14);
        QVERIFY(stamp == before.toString(QStringLiteral("dd.MM.yy-hh:mm")) ||
                stamp == after.toString(QStringLiteral("dd.MM.yy-hh:mm")));

        QFile::remove(logPath());
        const QMessageLogContext context("f.cpp", 1, "fn", "cat");
        VUVararer::terminalOutputToFile(QtDebugMsg, context, QStringLiteral("d"));
        VUVararer::terminalOutputToFile(QtCriticalMsg, context, QStringLiteral("c"));
        VUVararer::terminalOutputToFile(QtInfoMsg, context, QStringLiteral("i"));
        VUVararer::terminalOutputToFile(QtDebugMsg, QMessageLogContext(), QStringLiteral("Grüße"));
        lines = logLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).endsWith(QStringLiteral(" Debug: d, f.cpp")));
        QVERIFY(lines.at(1).endsWith(QStringLiteral(" Critical: c, f.cpp")));
        QVERIFY(lines.at(2).endsWith(QStringLiteral(" Debug: Grüße, ")));
    }

    void testLinesFromTwoThreads()
    {
        App::setTerminalOuputToFile();
        const QString strLong(2000, QLatin1Char('a'));
        QThread* pThread = QThread::create([&] {
            for (int i = 0; i < 200; ++i)
                qWarning("%s", qPrintable(strLong));
        });
        pThread->start();
        const QString strOther(2000, QLatin1Char('b'));
        for (int i = 0; i < 200; ++i)
            qWarning("%s", qPrintable(strOther));
        pThread->wait();
        delete pThread;
        App::enableTerminalOuput();
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 400);
        const QRegularExpression whole = line(QStringLiteral("Warning"), QStringLiteral("(a{2000}|b{2000})"));
        for (const QString& text : lines)
            QVERIFY2(whole.match(text).hasMatch(), qPrintable(text.left(80)));
    }

    void testOtherProcesses()
    {
        QTemporaryDir home;
        const FrameTest::ProbeResult fatal = FrameTest::runProbe("fatal", {}, home.path());
        QCOMPARE(fatal.exitStatus, QProcess::CrashExit);
        QFile log(home.path() + QStringLiteral("/.config/ProbeApp/protocol.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d-\\d\\d:\\d\\d Fatal: boom, .*\\n$"))
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));

        QTemporaryDir quiet;
        const FrameTest::ProbeResult stderrRun = FrameTest::runProbe("stderr", {}, quiet.path());
        QCOMPARE(stderrRun.exitCode, 0);
        QVERIFY2(!stderrRun.err.contains("hidden-text") && stderrRun.err.contains("shown-text"),
                 stderrRun.err.constData());
        QVERIFY(!QFileInfo::exists(quiet.path() + QStringLiteral("/.config/ProbeApp/protocol.log")));

        // Before the application object exists the handler must not touch it.
        const FrameTest::ProbeResult early = FrameTest::runProbe("early", {}, quiet.path());
        QCOMPARE(early.exitStatus, QProcess::NormalExit);
        QCOMPARE(early.exitCode, 0);
        QVERIFY2(early.err.contains(" Warning: early, "), early.err.constData());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestDiagnostics)
#include "tst_diagnostics.moc"
