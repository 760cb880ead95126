#include <VUVararer/App.h>

#include "Probe.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

class TestOpenRequests : public QObject
{
    Q_OBJECT

private slots:
    void testArgumentsBecomeRequests()
    {
        QTemporaryDir home;
        QTemporaryDir files;
        const QString strFile = files.filePath(QStringLiteral("a song ä.wav"));
        QFile file(strFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString strFolder = files.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(strFolder));
        const QString strMissing = files.filePath(QStringLiteral("missing.wav"));

        FrameTest::ProbeResult result =
            FrameTest::runProbe(QStringLiteral("open"), {strFile, strMissing, strFolder}, home.path());
        QCOMPARE(result.exitCode, 0);
        const QStringList lines = QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // Requests arrive once the event loop runs, never inside the constructor.
        QCOMPARE(lines, (QStringList{QStringLiteral("CONSTRUCTED"), QStringLiteral("OPEN ") + strFile,
                                     QStringLiteral("OPEN ") + strFolder}));
    }

    void testRelativeArgument()
    {
        QTemporaryDir home;
        QTemporaryDir files;
        QFile file(files.filePath(QStringLiteral("rel.wav")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        FrameTest::ProbeResult result =
            FrameTest::runProbe(QStringLiteral("open"), {QStringLiteral("rel.wav")}, home.path(), files.path());
        QVERIFY2(result.out.contains("OPEN " + QFileInfo(file).absoluteFilePath().toUtf8() + "\n"),
                 result.out.constData());
    }

    void testRegisteredFunctionsRunInOrder()
    {
        QTemporaryDir home;
        FrameTest::ProbeResult result = FrameTest::runProbe(QStringLiteral("register"), {}, home.path());
        QCOMPARE(result.exitCode, 0);
        // A function registered while the list runs is not called.
        QCOMPARE(result.out, QByteArray("CALLED first\nCALLED second\nCONSTRUCTED\n"));
    }
};

TRELVANIC_TEST_MAIN(TestOpenRequests)
#include "tst_openrequests.moc"
