#include "TestMain.h"

#include <MTools/Delay.h>
#include <MTools/RegExps.h>
#include <MTools/SysInfo.h>
#include <MTools/ToolsCommon.h>
#include <MTools/Tristate.h>

#include <QDir>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using MTools::Tristate;

// Exported (the suite links with -rdynamic) so that their names show in the traces.
__attribute__((noinline)) QString traceMarkerFunction(int nDepth, int nSkip)
{
    QString strTrace = MTools::SysInfo::stackTrace(nDepth, nSkip);
    strTrace.squeeze();
    return strTrace;
}

__attribute__((noinline)) QString traceMarkerCaller()
{
    QString strTrace = traceMarkerFunction(0, 0);
    strTrace.squeeze();
    return strTrace;
}

__attribute__((noinline)) void traceIntoBuffer(char* pBuffer, unsigned long nSize)
{
    MTools::SysInfo::stackTrace(pBuffer, nSize, 0, 0);
    asm volatile("");
}

__attribute__((noinline)) QString deepTraceRecursion(int nLevels)
{
    if (nLevels == 0)
        return MTools::SysInfo::stackTrace(0, 0);
    // An indirect call that no optimiser can fold, so that each level keeps its frame.
    static QString (*volatile const pNext)(int) = deepTraceRecursion;
    QString strTrace = pNext(nLevels - 1);
    strTrace.squeeze();
    return strTrace;
}

__attribute__((noinline)) void printMarkerFunction()
{
    MTools::SysInfo::printStackTrace(0, 0);
    asm volatile("");
}

namespace {

QStringList traceLines(const QString& strTrace)
{
    QStringList lines = strTrace.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList sm_capturedMessages;

void captureMessage(QtMsgType, const QMessageLogContext&, const QString& strMessage)
{
    sm_capturedMessages << strMessage;
}

} // namespace

class TestServices : public QObject
{
    Q_OBJECT

private slots:
    void stackTraceNamesTheCaller()
    {
        const QStringList lines = traceLines(traceMarkerCaller());
        QVERIFY(lines.size() >= 3);
        QVERIFY2(lines.at(0).startsWith("1 ") && lines.at(0).contains("traceMarkerFunction"), qPrintable(lines.at(0)));
        QVERIFY(lines.at(1).startsWith("2 ") && lines.at(1).contains("traceMarkerCaller"));
        QVERIFY(!lines.join('\n').contains("SysInfo"));
        // Depth counts the tracer's own frame; it is capped at 100; a skip past the end gives "".
        QCOMPARE(traceLines(traceMarkerFunction(0, 1)).size(), lines.size() - 2);
        QCOMPARE(traceLines(traceMarkerFunction(2, 0)).size(), 1);
        // A deeper stack is cut at the cap, or where its lines, which carry the program's path, fill the work area
        // (12799 bytes with the terminating zero); every whole line kept is one of the recursion's.
        const QString strDeep = deepTraceRecursion(150);
        QStringList deep = traceLines(strDeep);
        if (strDeep.size() == 12799 - 1)
            deep.removeLast();
        else
            QCOMPARE(deep.size(), 99);
        QVERIFY(!deep.isEmpty() && deep.size() <= 99);
        for (int i = 0; i < deep.size(); ++i)
            QVERIFY2(deep.at(i).startsWith(QString::number(i + 1) + ' ') && deep.at(i).contains("deepTraceRecursion"),
                     qPrintable(deep.at(i)));
        QVERIFY(traceMarkerFunction(0, 1000).isEmpty());
    }

    void stackTraceIntoBufferIsCutAndTerminated()
    {
        // One call site, so that every pass sees the same return addresses.
        const unsigned long anSizes[] = {12800, 1, 2, 17, 40};
        std::string strFull;
        for (int nPass = 0; nPass < 7; ++nPass) {
            // The last two passes cut just at and just past the full text.
            const unsigned long nSize = nPass < 5 ? anSizes[nPass] : strFull.size() + unsigned(nPass - 5);
            std::vector<char> buffer(12801, '#');
            traceIntoBuffer(buffer.data(), nSize);
            const std::string strText(buffer.data());
            if (strFull.empty()) {
                strFull = strText;
                QVERIFY(strFull.size() > 40);
                QVERIFY(strFull.rfind("0 ", 0) == 0 && strFull.find("\n1 ") != std::string::npos);
                QVERIFY(strFull.find("traceIntoBuffer") != std::string::npos);
                continue;
            }
            QCOMPARE(strText, strFull.substr(0, nSize - 1));
            QCOMPARE(buffer[nSize], '#');
        }
        char cUntouched = '#';
        MTools::SysInfo::stackTrace(&cUntouched, 0, 0, 0);
        QCOMPARE(cUntouched, '#');
        char szEmpty[8] = "#######";
        MTools::SysInfo::stackTrace(szEmpty, sizeof szEmpty, 0, 1000);
        QCOMPARE(szEmpty[0], '\0');
    }

    void printStackTraceWritesOneDebugLine()
    {
        sm_capturedMessages.clear();
        QtMessageHandler previous = qInstallMessageHandler(captureMessage);
        printMarkerFunction();
        qInstallMessageHandler(previous);
        QCOMPARE(sm_capturedMessages.size(), 1);
        QVERIFY(sm_capturedMessages.first().section('\n', 0, 0).contains("printMarkerFunction"));
    }

    void emailPattern_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<bool>("partial");
        QTest::newRow("plain") << "john.doe@example.com" << true << true;
        QTest::newRow("digits") << "root@10.0.0.1" << true << true;
        QTest::newRow("one letter") << "a@b.c" << false << false;
        QTest::newRow("five letters") << "a@b.abcde" << false << true;
        QTest::newRow("surrounded") << "mail <x@y.org> now" << false << true;
    }

    void emailPattern()
    {
        QFETCH(QString, text);
        QFETCH(bool, exact);
        QFETCH(bool, partial);
        QRegExp email = MTools::RegExps::email();
        QCOMPARE(email.pattern(),
                 QStringLiteral("([a-zA-Z0-9_\\-\\.]+)@([a-zA-Z0-9_.-])+\\.([a-zA-Z]{2,4}|[0-9]{1,3})"));
        QCOMPARE(email.caseSensitivity(), Qt::CaseSensitive);
        QCOMPARE(email.exactMatch(text), exact);
        QCOMPARE(email.indexIn(text) >= 0, partial);
    }

    void emailPatternAgreesWithPcre()
    {
        const QRegularExpression reference(
            QStringLiteral("^(?:([a-zA-Z0-9_\\-\\.]+)@([a-zA-Z0-9_.-])+\\.([a-zA-Z]{2,4}|[0-9]{1,3}))$"));
        QRegExp email = MTools::RegExps::email();
        std::mt19937 random(5);
        const QString alphabet = QStringLiteral("aZ9.@-_ ");
        for (int i = 0; i < 5000; ++i) {
            QString text;
            for (int j = int(random() % 12); j > 0; --j)
                text += alphabet.at(int(random() % alphabet.size()));
            QCOMPARE(email.exactMatch(text), reference.match(text).hasMatch());
        }
    }

    // Delays run a nested event loop; an early unblock must not cut the next wait short.
    void delaysKeepHandlingEvents()
    {
        bool bFired = false;
        QTimer::singleShot(0, this, [&bFired] { bFired = true; });
        MTools::delay(20);
        QVERIFY(bFired);

        MTools::Delay waiter;
        QTimer::singleShot(0, &waiter, SLOT(slotUnblock()));
        QCOMPARE(waiter.wait(400), 0);
        bool bLater = false;
        QTimer::singleShot(1200, this, [&bLater, &waiter] {
            bLater = true;
            waiter.slotUnblock();
        });
        QCOMPARE(waiter.wait(60000), 0);
        QVERIFY(bLater);
    }

    void normalizePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trailing slash") << "/Users/a/Music/"
                                        << "/Users/a/Music";
        QTest::newRow("one dot pass") << "/a/././b/"
                                      << "/a/./b";
        QTest::newRow("root") << "/"
                              << "";
        QTest::newRow("slashes only") << "///"
                                      << "/";
        QTest::newRow("triple slash, one pass") << "/a///b"
                                                << "/a//b";
        QTest::newRow("relative") << "a/b/"
                                  << "a/b";
    }

    void normalizePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(MTools::ToolsCommon::normalizePath(path), expected);
    }

    // Absolute paths with single "." parts and doubled separators, as folder paths come in.
    void normalizePathAgreesWithCleanPath()
    {
        std::mt19937 random(9);
        const QStringList names = {"a", "bb", "Music", "x y"};
        for (int i = 0; i < 3000; ++i) {
            QString strPath;
            bool bLastDot = true;
            for (int j = 1 + int(random() % 6); j > 0; --j) {
                const bool bDot = !bLastDot && random() % 4 == 0;
                strPath += !bLastDot && !bDot && random() % 3 == 0 ? "//" : "/";
                strPath += bDot ? QString(".") : names.at(int(random() % names.size()));
                bLastDot = bDot;
            }
            if (random() % 2)
                strPath += "/";
            QCOMPARE(MTools::ToolsCommon::normalizePath(strPath), QDir::cleanPath(strPath));
        }
    }

    void baseNameIsCompleteBaseName()
    {
        for (const char* path : {"archive.tar.gz", "README", ".profile", "/x/y.d/file", "name."})
            QCOMPARE(MTools::ToolsCommon::baseName(QFileInfo(path)), QFileInfo(path).completeBaseName());
    }

    void tristate()
    {
        bool bOk = true;
        QCOMPARE(Tristate(true).toBool(&bOk), true);
        QVERIFY(bOk);
        QCOMPARE(Tristate(Tristate::TriUndefined).toBool(&bOk), false);
        QVERIFY(!bOk);
        bOk = false;
        QCOMPARE(Tristate(false).toBool(&bOk), false);
        QVERIFY(!bOk);
        QCOMPARE(Tristate(Tristate::TriUndefined).toBool(nullptr), false);
        const Tristate::TrisateVal eUndefined = Tristate::TriUndefined;
        QCOMPARE(int(eUndefined), 1000);
        Tristate flag(eUndefined);
        flag = true;
        QVERIFY(flag == Tristate(Tristate::TriTrue) && flag != Tristate(eUndefined));
    }
};

TRELVANIC_TEST_MAIN(TestServices)
#include "tst_services.moc"
