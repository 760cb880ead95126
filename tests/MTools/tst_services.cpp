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
    QString strTrace = deepTraceRecursion(nLevels - 1);
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
        QVERIFY2(lines.first().contains("traceMarkerFunction"), qPrintable(lines.first()));
        QVERIFY(!lines.join('\n').contains("SysInfo"));
        QVERIFY(lines.at(1).contains("traceMarkerCaller"));
        const QRegularExpression lineForm(QStringLiteral("^(\\d+) (.+)$"));
        int nPrevious = -1;
        for (const QString& line : lines) {
            const QRegularExpressionMatch match = lineForm.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            const int nIndex = match.captured(1).toInt();
            QVERIFY(nPrevious < 0 || nIndex == nPrevious + 1);
            nPrevious = nIndex;
        }
        QCOMPARE(lines.first().section(' ', 0, 0).toInt(), 1);

        const QStringList skipped = traceLines(traceMarkerFunction(0, 1));
        QCOMPARE(skipped.size(), lines.size() - 2);
        QVERIFY(!skipped.first().contains("traceMarkerFunction"));
    }

    void stackTraceDepthAndSkip()
    {
        // Frame 0 is the tracer itself, left out of the text form.
        const QStringList shallow = traceLines(traceMarkerFunction(2, 0));
        QCOMPARE(shallow.size(), 1);
        QVERIFY(shallow.first().contains("traceMarkerFunction"));
        QCOMPARE(traceLines(deepTraceRecursion(150)).size(), 99);
        QCOMPARE(traceLines(traceMarkerFunction(150, 0)).size(), traceLines(traceMarkerFunction(0, 0)).size());
        QVERIFY(traceMarkerFunction(0, 1000).isEmpty());
        QVERIFY(traceMarkerFunction(4, 3).isEmpty());
        QCOMPARE(traceLines(traceMarkerFunction(4, 2)).size(), 1);
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
                const QStringList lines = traceLines(QString::fromStdString(strFull));
                QVERIFY(lines.at(0).startsWith("0 ") && lines.at(0).contains("SysInfo"));
                QVERIFY(lines.at(1).startsWith("1 ") && lines.at(1).contains("traceIntoBuffer"));
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
        QTest::newRow("four letters") << "a_b-c@mail.host.info" << true << true;
        QTest::newRow("digits") << "root@10.0.0.1" << true << true;
        QTest::newRow("no dot after at") << "john@localhost" << false << false;
        QTest::newRow("one letter") << "john@example.c" << false << false;
        QTest::newRow("five letters") << "john@example.abcde" << false << true;
        QTest::newRow("no at") << "john.example.com" << false << false;
        QTest::newRow("empty local part") << "@example.com" << false << false;
        QTest::newRow("blank inside") << "jo hn@example.com" << false << true;
        QTest::newRow("surrounded") << "mail <x@y.org> now" << false << true;
    }

    void emailPattern()
    {
        QFETCH(QString, text);
        QFETCH(bool, exact);
        QFETCH(bool, partial);
        QRegExp email = MTools::RegExps::email();
        QCOMPARE(email.pattern(), QStringLiteral("([a-zA-Z0-9_\\-\\.]+)@([a-zA-Z0-9_.-])+\\.([a-zA-Z]{2,4}|[0-9]{1,3})"));
        QCOMPARE(email.pattern().size(), 65);
        QCOMPARE(email.caseSensitivity(), Qt::CaseSensitive);
        QCOMPARE(email.exactMatch(text), exact);
        QCOMPARE(email.indexIn(text) >= 0, partial);
    }

    void emailPatternAgreesWithPcre()
    {
        const QRegularExpression reference(
            QStringLiteral("^(?:([a-zA-Z0-9_\\-\\.]+)@([a-zA-Z0-9_.-])+\\.([a-zA-Z]{2,4}|[0-9]{1,3}))$"));
        QVERIFY(reference.isValid());
        QRegExp email = MTools::RegExps::email();
        std::mt19937 random(5);
        const QString alphabet = QStringLiteral("aZ9.@-_ ");
        for (int i = 0; i < 5000; ++i) {
            QString text;
            const int nLength = int(random() % 12);
            for (int j = 0; j < nLength; ++j)
                text += alphabet.at(int(random() % alphabet.size()));
            QCOMPARE(email.exactMatch(text), reference.match(text).hasMatch());
        }
    }

    void delayKeepsHandlingEvents()
    {
        bool bFired = false;
        QTimer::singleShot(0, this, [&bFired] { bFired = true; });
        MTools::delay(20);
        QVERIFY(bFired);
        MTools::delay(0);
    }

    void delayObjectWaitsAndUnblocks()
    {
        MTools::Delay waiter;
        bool bFired = false;
        QTimer::singleShot(0, this, [&bFired] { bFired = true; });
        QCOMPARE(waiter.wait(10), 0);
        QVERIFY(bFired);

        // An early unblock ends the wait long before its own timer...
        QTimer::singleShot(0, &waiter, SLOT(slotUnblock()));
        QCOMPARE(waiter.wait(400), 0);
        // ...and that timer must not cut the next wait short.
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
        QTest::newRow("plain") << "/Users/a/Music" << "/Users/a/Music";
        QTest::newRow("trailing slash") << "/Users/a/Music/" << "/Users/a/Music";
        QTest::newRow("dot") << "/a/./b" << "/a/b";
        QTest::newRow("double slash") << "/a//b" << "/a/b";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("root") << "/" << "";
        QTest::newRow("triple slash, one pass") << "/a///b" << "/a//b";
        QTest::newRow("two trailing slashes") << "/a//" << "/a/";
        QTest::newRow("relative") << "a/b/" << "a/b";
    }

    void normalizePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(MTools::ToolsCommon::normalizePath(path), expected);
    }

    void normalizePathAgreesWithCleanPath()
    {
        // Absolute paths with single "." parts and doubled separators, as folder paths come in.
        std::mt19937 random(9);
        const QStringList names = {"a", "bb", "Music", "x y"};
        for (int i = 0; i < 3000; ++i) {
            QString strPath;
            bool bLastDot = true;
            const int nParts = 1 + int(random() % 6);
            for (int j = 0; j < nParts; ++j) {
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

    void baseName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two suffixes") << "archive.tar.gz" << "archive.tar";
        QTest::newRow("no suffix") << "README" << "README";
        QTest::newRow("hidden") << ".profile" << "";
        QTest::newRow("dotted folder") << "/x/y.d/file" << "file";
        QTest::newRow("folder and suffix") << "dir.v2/name.m4a" << "name";
        QTest::newRow("trailing dot") << "name." << "name";
    }

    void baseName()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(MTools::ToolsCommon::baseName(QFileInfo(path)), expected);
        QCOMPARE(MTools::ToolsCommon::baseName(QFileInfo(path)), QFileInfo(path).completeBaseName());
    }

    void tristate()
    {
        bool bOk = true;
        QCOMPARE(Tristate(true).toBool(&bOk), true);
        QVERIFY(bOk);
        QCOMPARE(Tristate(false).toBool(&bOk), false);
        QVERIFY(bOk);
        QCOMPARE(Tristate(Tristate::TriUndefined).toBool(&bOk), false);
        QVERIFY(!bOk);
        bOk = false;
        QCOMPARE(Tristate(Tristate::TriTrue).toBool(&bOk), true);
        QVERIFY(!bOk);
        QCOMPARE(Tristate(Tristate::TriUndefined).toBool(nullptr), false);
        QCOMPARE(Tristate(true).toBool(nullptr), true);

        QCOMPARE(int(Tristate::TriFalse), 0);
        QCOMPARE(int(Tristate::TriTrue), 1);
        QCOMPARE(int(Tristate::TriUndefined), 1000);
        Tristate flag(Tristate::TriUndefined);
        const Tristate copy(flag);
        QVERIFY(copy == flag);
        flag = true;
        QVERIFY(flag != copy);
        QVERIFY(flag == Tristate(Tristate::TriTrue));
        flag = copy;
        QVERIFY(flag == Tristate(Tristate::TriUndefined));
        flag = false;
        QVERIFY(flag == Tristate(false));
        QVERIFY(flag != Tristate(true));
    }
};

TRELVANIC_TEST_MAIN(TestServices)
#include "tst_services.moc"
