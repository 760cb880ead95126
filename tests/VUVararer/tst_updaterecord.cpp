#include <VUVararer/Release/UpdateRecord.h>

#include "TestMain.h"

#include <QtTest>

using MRelease::parseUpdateRecord;
using MRelease::UpdateRecord;

class TestUpdateRecord : public QObject
{
    Q_OBJECT

private slots:
    void testParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QDate>("buildDate");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("version");
        const QDate build(2024, 5, 1);
        QTest::newRow("plain") << "build:2.0.0;date:2099-01-01;macos:all"
                               << "" << build << true << "2.0.0";
        QTest::newRow("blanks and line feed") << "build : 2.0.0 ;\n date : 2099-01-01 ; macos : all"
                                              << "" << build << false << "";
        QTest::newRow("blanks after colons") << "build: 2.0.0 ;\n date: 2099-01-01\t;\r macos: all ;"
                                             << "" << build << true << "2.0.0";
        QTest::newRow("blank before build colon") << "build :2.0.0;date:2099-01-01;macos:all"
                                                  << "" << build << false << "";
        QTest::newRow("10_09 on 10_09") << "build:1;date:2099-01-01;macos:10_09"
                                        << "10_09" << build << true << "1";
        QTest::newRow("10_09 on 10_12") << "build:1;date:2099-01-01;macos:10_09"
                                        << "10_12" << build << true << "1";
        QTest::newRow("10_09 on 10_08") << "build:1;date:2099-01-01;macos:10_09"
                                        << "10_08" << build << false << "1";
        QTest::newRow("10_09 on unknown") << "build:1;date:2099-01-01;macos:10_09"
                                          << "" << build << false << "1";
        QTest::newRow("flag never cleared") << "build:1;macos:all;macos:10_14;date:2099-01-01"
                                            << "" << build << true << "1";
        QTest::newRow("same day") << "build:1;date:2024-05-01;macos:all"
                                  << "" << build << false << "1";
        QTest::newRow("one day later") << "build:1;date:2024-05-02;macos:all"
                                       << "" << build << true << "1";
        QTest::newRow("no macos") << "build:1;date:2099-01-01"
                                  << "" << build << false << "1";
        QTest::newRow("bad date") << "build:1;date:2099-13-01;macos:all"
                                  << "" << build << false << "1";
        QTest::newRow("no date") << "build:1;macos:all"
                                 << "" << build << false << "1";
        QTest::newRow("last value") << "build:x:2.5;date:y:2099-01-01;macos:z:all"
                                    << "" << build << true << "2.5";
        QTest::newRow("later build wins") << "build:1;build:3;date:2099-01-01;macos:all"
                                          << "" << build << true << "3";
        QTest::newRow("short entries") << "build:;;:;x;date:2099-01-01;macos:all"
                                       << "" << build << true << "";
        QTest::newRow("keys are case-sensitive") << "build:1;Date:2099-01-01;MACOS:all"
                                                 << "" << build << false << "1";
    }

    void testParse()
    {
        QFETCH(QString, text);
        QFETCH(QString, system);
        QFETCH(QDate, buildDate);
        QFETCH(bool, available);
        QFETCH(QString, version);
        const UpdateRecord record = parseUpdateRecord(text, system, buildDate);
        QCOMPARE(record.m_bAvailable, available);
        QCOMPARE(record.m_strVersion, version);
    }

    void testMarkerAndVersionCap()
    {
        QVERIFY(!parseUpdateRecord("", "", QDate(2024, 1, 1)).m_bPresent);
        QVERIFY(!parseUpdateRecord("<html>captive portal</html>", "", QDate(2024, 1, 1)).m_bPresent);
        const UpdateRecord record =
            parseUpdateRecord("build:" + QString(200, 'v') + ";date:2099-01-01;macos:all", "", QDate(2024, 1, 1));
        QVERIFY(record.m_bPresent && record.m_bHasVersion && record.m_bAvailable);
        QCOMPARE(record.m_strVersion.size(), UpdateRecord::sm_nMaxVersionLength);
        QVERIFY(!parseUpdateRecord("date:2099-01-01;macos:all;build:", "", QDate()).m_bAvailable);
    }
};

TRELVANIC_TEST_MAIN(TestUpdateRecord)
#include "tst_updaterecord.moc"
