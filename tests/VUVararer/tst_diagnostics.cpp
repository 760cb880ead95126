#include <VUVararer/App.h>

#include "Probe.h"
#include "TestMain.h"

#include <QDateTime>
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

private slots:
    void init() { QFile::remove(logPath()); }
    void cleanup() { App::enableTerminalOuput(); }

    void testWarningLine()
    {
        App::setTerminalOuputToFile();
        const QDateTime before = QDateTime::currentDateTime();
        qWarning("x");
        const QDateTime after = QDateTime::currentDateTime();
        App::enableTerminalOuput();
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 1);
        const QString format = QStringLiteral("dd.MM.yy-hh:mm");
        // Builds with message context add the source file after ", "; others leave it empty.
        QStringList accepted;
        for (const QDateTime& time : {before, after}) {
            accepted << time.toString(format) + QStringLiteral(" Warning: x, ")
                     << time.toString(format) + QStringLiteral(" Warning: x, ") + QStringLiteral(__FILE__);
        }
        QVERIFY2(accepted.contains(lines.first()), qPrintable(lines.first()));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d-\\d\\d:\\d\\d Warning: x, (.*tst_diagnostics\\.cpp)?$"))
                    .match(lines.first())
                    .hasMatch());
    }

    void testLevelsAndContext()
    {
        const QMessageLogContext context("f.cpp", 1, "fn", "cat");
        VUVararer::terminalOutputToFile(QtDebugMsg, context, QStringLiteral("d"));
        VUVararer::terminalOutputToFile(QtWarningMsg, context, QStringLiteral("w"));
        VUVararer::terminalOutputToFile(QtCriticalMsg, context, QStringLiteral("c"));
        VUVararer::terminalOutputToFile(QtInfoMsg, context, QStringLiteral("i"));
        VUVararer::terminalOutputToFile(QtDebugMsg, QMessageLogContext(), QStringLiteral("Grüße"));
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(0).endsWith(QStringLiteral(" Debug: d, f.cpp")));
        QVERIFY(lines.at(1).endsWith(QStringLiteral(" Warning: w, f.cpp")));
        QVERIFY(lines.at(2).endsWith(QStringLiteral(" Critical: c, f.cpp")));
        QVERIFY(lines.at(3).endsWith(QStringLiteral(" Debug: Grüße, ")));
        QCOMPARE(lines.at(0).indexOf(QLatin1Char(' ')), 14);
    }

    void testInfoWritesNothing()
    {
        App::setTerminalOuputToFile();
        qInfo("quiet");
        App::enableTerminalOuput();
        QVERIFY(!QFileInfo::exists(logPath()) || logLines().isEmpty());
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
        const QRegularExpression whole(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d-\\d\\d:\\d\\d Warning: (a{2000}|b{2000}), (.*tst_diagnostics\\.cpp)?$"));
        for (const QString& line : lines)
            QVERIFY2(whole.match(line).hasMatch(), qPrintable(line.left(80)));
    }

    void testFatalIsWrittenBeforeAbort()
    {
        QTemporaryDir home;
        FrameTest::ProbeResult result = FrameTest::runProbe(QStringLiteral("fatal"), {}, home.path());
        QCOMPARE(result.exitStatus, QProcess::CrashExit);
        QFile log(home.path() + QStringLiteral("/.config/ProbeApp/protocol.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d-\\d\\d:\\d\\d Fatal: boom, .*\\n$"))
                     .match(QString::fromUtf8(text))
                     .hasMatch(),
                 text.constData());
    }

    void testDisableAndEnable()
    {
        QTemporaryDir home;
        FrameTest::ProbeResult result = FrameTest::runProbe(QStringLiteral("stderr"), {}, home.path());
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(!result.err.contains("hidden-text"), result.err.constData());
        QVERIFY2(result.err.contains("shown-text"), result.err.constData());
        QVERIFY(!QFileInfo::exists(home.path() + QStringLiteral("/.config/ProbeApp/protocol.log")));
    }

    void testHandlerWithoutApplication()
    {
        // Before the application object exists the handler must not touch it.
        QTemporaryDir home;
        FrameTest::ProbeResult result = FrameTest::runProbe(QStringLiteral("early"), {}, home.path());
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.err.contains(" Warning: early, "), result.err.constData());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestDiagnostics)
#include "tst_diagnostics.moc"
