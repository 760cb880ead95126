#include "TestMain.h"
#include "Tools.h"

#include <MTools/JSMinimizer.h>

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Runs a script, stored as UTF-8, with Node.js and returns what it printed (exit code -1 when it failed).
TestKit::ToolResult runNode(const QString& strScript)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("script.js")));
    if (!file.open(QIODevice::WriteOnly) || file.write(strScript.toUtf8()) < 0)
        return {};
    file.close();
    return TestKit::runTool(QStringLiteral("node"), {file.fileName()}, 60000);
}

} // namespace

class TestJsMin : public QObject
{
    Q_OBJECT

private slots:
    void exactOutput_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only comments") << "  // one\n/* two */\n\t \r\n"
                                       << "";
        QTest::newRow("quote first") << "'a'"
                                     << "'a'";
        QTest::newRow("semicolon first") << ";x"
                                         << ";x";
        QTest::newRow("var") << "var a = 1;\n"
                             << "\nvar a=1;";
        QTest::newRow("signs") << "a = b + ++c; // note\nd = e - -f;"
                               << "\na=b+ ++c;d=e- -f;";
        QTest::newRow("block comment") << "x = /* c */ y;"
                                       << "\nx=y;";
        QTest::newRow("braces") << "if (a) {\n  b();\n}\n"
                                << "\nif(a){b();}";
        QTest::newRow("string") << "s = 'a  b\\' // c';"
                                << "\ns='a  b\\' // c';";
        QTest::newRow("template") << "t = `x  ${y}  z`;"
                                  << "\nt=`x  ${y}  z`;";
        QTest::newRow("regexp") << "r = /[/]  x\\/y/g;"
                                << "\nr=/[/]  x\\/y/g;";
        QTest::newRow("regexp first") << "/ab/.test(s)"
                                      << "\n/ab/.test(s)";
        QTest::newRow("crlf") << "a\r\nb"
                              << "\na\nb";
        QTest::newRow("tab") << "a\tb"
                             << "\na b";
        QTest::newRow("bom") << QString(QChar(0xEF)) + QChar(0xBB) + QChar(0xBF) + "x = 1"
                             << "\nx=1";
        QTest::newRow("latin1 letter") << QString("caf") + QChar(0xE9) + " = 1"
                                       << QString("\ncaf") + QChar(0xE9) + "=1";
        QTest::newRow("outside latin1") << QString::fromUtf8("s = '\xE2\x82\xAC \xF0\x9F\x8E\xB5';\nt = 1")
                                        << QString::fromUtf8("\ns='\xE2\x82\xAC \xF0\x9F\x8E\xB5';t=1");
        QTest::newRow("open comment") << "a = 1; /* never closed"
                                      << "\na=1;";
        QTest::newRow("open string") << "a = 'abc"
                                     << "\na='abc";
        QTest::newRow("open regexp") << "a = /abc"
                                     << "\na=/abc";
        QTest::newRow("open class") << "a = /[abc"
                                    << "\na=/[abc";
    }

    void exactOutput()
    {
        QFETCH(QString, source);
        QFETCH(QString, expected);
        QCOMPARE(MTools::JSMinimizer::minimize(source), expected);
    }

    // Each call answers for its own source only, whatever ran before on this or another object.
    void callsAreIndependent()
    {
        MTools::JSMinimizer minimizer;
        QCOMPARE(minimizer.minimizeJSCode(QStringLiteral("var a = 1;")), QStringLiteral("\nvar a=1;"));
        QCOMPARE(minimizer.minimizeJSCode(QStringLiteral("b = 2")), QStringLiteral("\nb=2"));
        // An unterminated literal leaves no state behind for the next run.
        QCOMPARE(MTools::JSMinimizer::minimize(QStringLiteral("x = 'open")), QStringLiteral("\nx='open"));
        QCOMPARE(minimizer.minimizeJSCode(QStringLiteral("'a' + b")), QStringLiteral("'a'+b"));
    }

    // The minified program prints exactly what the original prints.
    void nodeRunsTheSame_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("arithmetic") << "// sums\nvar a = 5, b = 3;\nvar c = a - -b;\nvar d = a + +b;\n"
                                       "var e = a - --b;\nconsole.log(c, d, e, a++ + ++a);\n";
        QTest::newRow("asi")
            << "let x = 1\nlet y = 2\nconst f = function () {\n  return x +\n  y\n}\n"
               "let z = x\n++y\nconsole.log(f(), x, y, z);\n[1, 2].forEach(function (v) { console.log(v) })\n";
        QTest::newRow("strings") << "var s = \"tab\\there /* not a comment */\";\n"
                                    "var t = 'it\\'s // fine';\nvar u = `multi\n  line ${s.length}`;\n"
                                    "console.log(s, t, u);\n";
        QTest::newRow("regexps") << "var r = /[/\\]]+/g; /* comment */\n"
                                    "var m = 'a/b]c//d'.replace(r, '-');\n"
                                    "console.log(m, /\\d+/.test('x42'), 'a b  c'.split(/ +/));\n"
                                    "console.log(4 / 2 / 1);\n";
        QTest::newRow("control flow")
            << "\r\nfunction fib(n) {\r\n\tif (n < 2) { return n; }\r\n"
               "\treturn fib(n - 1) + fib(n - 2);\r\n}\r\n"
               "for (var i = 0; i < 10; i++) {\r\n\tconsole.log(i, fib(i));\r\n}\r\n"
               "var o = { k: !true, l: ~5, m: typeof o };\r\nconsole.log(JSON.stringify(o));\r\n";
        QTest::newRow("beyond latin1") << QString::fromUtf8(
            "// \xD0\xBA\xD0\xBE\xD0\xBC\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD0\xB0\xD1\x80\xD0\xB8\xD0\xB9\n"
            "const \xCF\x80 = 3.14, \xE5\x90\x8D\xE5\x89\x8D = '\xE6\x9D\xB1\xE4\xBA\xAC \xE2\x82\xAC';\n"
            "var s = \"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xF0\x9F\x8E\xB5\" + "
            "`${\xE5\x90\x8D\xE5\x89\x8D}  \xCF\x80`;\n"
            "console.log(s, s.length, /[\xCE\xB1-\xCF\x89]+/.test('\xCE\xBB'), \xCF\x80 * 2);\n");
    }

    void nodeRunsTheSame()
    {
        QFETCH(QString, script);
        const QString strMinified = MTools::JSMinimizer::minimize(script);
        QVERIFY(strMinified.size() < script.size());
        const TestKit::ToolResult original = runNode(script);
        QCOMPARE(original.exitCode, 0);
        QVERIFY(!original.out.isEmpty());
        const TestKit::ToolResult minified = runNode(strMinified);
        QVERIFY2(minified.exitCode == 0, minified.err.constData());
        QCOMPARE(minified.out, original.out);
    }
};

TRELVANIC_TEST_MAIN(TestJsMin)
#include "tst_jsmin.moc"
