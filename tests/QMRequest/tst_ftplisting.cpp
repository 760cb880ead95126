// Listing lines of the Unix and DOS forms turned into directory entries.
#include "TestMain.h"

#include <QMRequest/FtpCoreDTP.h>

using QMRequest::FtpCoreDTP;
using QMRequest::UrlInfo;

class TestFtpListing : public QObject
{
    Q_OBJECT

private slots:
    void testParse_data();
    void testParse();
    void testRejected_data();
    void testRejected();
    void testYearlessDate();
    void testUtf8Names();
    void testOwnerRights();
};

void TestFtpListing::testParse_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("dir");
    QTest::addColumn<bool>("file");
    QTest::addColumn<bool>("link");
    QTest::addColumn<int>("permissions");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QDate>("date");

    QTest::newRow("unix file") << QByteArray("-rw-r--r--   1 ftp  ftp  512 Aug 10  2004 archive.tar.gz\r\n")
                               << "archive.tar.gz" << qint64(512) << false << true << false << 0644 << true << false
                               << QDate(2004, 8, 10);
    QTest::newRow("unix link") << QByteArray("lrwxrwxrwx 1 ftp ftp 9 Oct 29  2005 docs -> docs.h") << "docs"
                               << qint64(9) << true << false << true << 0777 << true << true << QDate(2005, 10, 29);
    QTest::newRow("unix dir") << QByteArray("drwxr-x---   2 root wheel 4096 jan  3  1999 my folder") << "my folder"
                              << qint64(4096) << true << false << false << 0750 << false << false << QDate(1999, 1, 3);
    QTest::newRow("dos dir") << QByteArray("01-16-02  11:14AM       <DIR>          epsgroup") << "epsgroup" << qint64(0)
                             << true << false << false << 0666 << true << false << QDate(2002, 1, 16);
    QTest::newRow("dos file") << QByteArray("12-31-99  11:59PM             1234 notes.txt\r\n") << "notes.txt"
                              << qint64(1234) << false << true << false << 0666 << true << true << QDate(1999, 12, 31);
    QTest::newRow("dos upper exe") << QByteArray("06-05-10  01:00PM             10 SETUP.EXE") << "SETUP.EXE"
                                   << qint64(10) << false << true << false << 0666 << true << true << QDate(2010, 6, 5);
    QTest::newRow("dos lower exe") << QByteArray("06-05-10  01:00PM             10 setup.exe") << "setup.exe"
                                   << qint64(10) << false << true << false << 0777 << true << true << QDate(2010, 6, 5);
    QTest::newRow("dos year 70") << QByteArray("01-16-70  11:14AM       <DIR>          old") << "old" << qint64(0)
                                 << true << false << false << 0666 << true << false << QDate(1970, 1, 16);
    QTest::newRow("dos year 69") << QByteArray("01-16-69  11:14AM       <DIR>          new") << "new" << qint64(0)
                                 << true << false << false << 0666 << true << false << QDate(2069, 1, 16);
    QTest::newRow("dos four-digit year") << QByteArray("02-29-2024  01:00PM             10 leap.txt") << "leap.txt"
                                         << qint64(10) << false << true << false << 0666 << true << true
                                         << QDate(2024, 2, 29);
    QTest::newRow("dos link") << QByteArray("06-05-10  01:00PM             10 Short Cut.LNK") << "Short Cut.LNK"
                              << qint64(10) << false << true << true << 0666 << true << true << QDate(2010, 6, 5);
}

void TestFtpListing::testParse()
{
    QFETCH(QByteArray, line);
    UrlInfo info;
    QVERIFY(FtpCoreDTP::parseDir(line, QString(), &info));
    QTEST(info.name(), "name");
    QTEST(info.size(), "size");
    QTEST(info.isDir(), "dir");
    QTEST(info.isFile(), "file");
    QTEST(info.isSymLink(), "link");
    QTEST(info.permissions(), "permissions");
    QTEST(info.isReadable(), "readable");
    QTEST(info.isWritable(), "writable");
    QTEST(info.lastModified().date(), "date");
}

void TestFtpListing::testRejected_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blank") << QByteArray("   \r\n");
    QTest::newRow("total") << QByteArray("total 12\r\n");
    QTest::newRow("mlsd") << QByteArray("type=file;size=12;modify=20200101000000; a.txt\r\n");
    QTest::newRow("bad type") << QByteArray("xrw-r--r--   1 ftp  ftp  512 Aug 10  2004 a\r\n");
    // Names a caller could not join to its folder without climbing out of it.
    QTest::newRow("dot") << QByteArray("drwxr-xr-x   2 ftp  ftp  4096 Aug 10  2004 .\r\n");
    QTest::newRow("dot dot") << QByteArray("drwxr-xr-x   2 ftp  ftp  4096 Aug 10  2004 ..\r\n");
    QTest::newRow("slash") << QByteArray("-rw-r--r--   1 ftp  ftp  1 Aug 10  2004 ../../etc/passwd\r\n");
    QTest::newRow("dos dot dot") << QByteArray("01-16-02  11:14AM       <DIR>          ..");
    QTest::newRow("link to parent") << QByteArray("lrwxrwxrwx 1 ftp ftp 9 Oct 29  2005 .. -> /etc");
}

void TestFtpListing::testRejected()
{
    QFETCH(QByteArray, line);
    UrlInfo info;
    QVERIFY(!FtpCoreDTP::parseDir(line, QString(), &info));
    QVERIFY(!info.isValid());
}

void TestFtpListing::testYearlessDate()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate past = now.date().addDays(-40);
    const QDate future = now.date().addDays(40);
    const QLocale c = QLocale::c();

    UrlInfo recent;
    const QByteArray recentLine =
        "-rw-r--r-- 1 a b 1 " + c.toString(past, QStringLiteral("MMM dd")).toLatin1() + " 10:20 recent.txt";
    QVERIFY(FtpCoreDTP::parseDir(recentLine, QString(), &recent));
    QCOMPARE(recent.lastModified().date(), past);
    QCOMPARE(recent.lastModified().time(), QTime(10, 20));

    UrlInfo ahead;
    const QByteArray aheadLine =
        "-rw-r--r-- 1 a b 1 " + c.toString(future, QStringLiteral("MMM dd")).toLatin1() + " 10:20 ahead.txt";
    QVERIFY(FtpCoreDTP::parseDir(aheadLine, QString(), &ahead));
    // A date that would lie ahead belongs to the year before.
    QCOMPARE(ahead.lastModified().date(), future.addYears(-1));

    // 29 February belongs to the latest leap year that is not ahead.
    UrlInfo leap;
    QVERIFY(FtpCoreDTP::parseDir("-rw-r--r-- 1 a b 1 Feb 29 08:15 leap.txt", QString(), &leap));
    int nYear = now.date().year();
    while (!QDate::isLeapYear(nYear) || now.secsTo(QDateTime(QDate(nYear, 2, 29), QTime(8, 15))) > 86400)
        --nYear;
    QCOMPARE(leap.lastModified(), QDateTime(QDate(nYear, 2, 29), QTime(8, 15)));
}

void TestFtpListing::testUtf8Names()
{
    const QByteArray line = QString::fromUtf8("-rw-r--r-- 1 a b 5 Aug 10  2004 Grüße 音楽.txt").toUtf8();
    UrlInfo info;
    QVERIFY(FtpCoreDTP::parseDir(line, QString(), &info, true));
    QCOMPARE(info.name(), QString::fromUtf8("Grüße 音楽.txt"));
    QVERIFY(FtpCoreDTP::parseDir(line, QString(), &info));
    QCOMPARE(info.name(), QString::fromLatin1(line.mid(line.indexOf("Gr"))));
}

void TestFtpListing::testOwnerRights()
{
    const QByteArray line("-rw-------   1 me  staff  3 Aug 10  2004 private.txt");
    UrlInfo stranger;
    QVERIFY(FtpCoreDTP::parseDir(line, QStringLiteral("other"), &stranger));
    QVERIFY(!stranger.isReadable());
    QVERIFY(!stranger.isWritable());
    UrlInfo owner;
    QVERIFY(FtpCoreDTP::parseDir(line, QStringLiteral("me"), &owner));
    QVERIFY(owner.isReadable());
    QVERIFY(owner.isWritable());
    QCOMPARE(owner.permissions(), 0600);
    QCOMPARE(owner.owner(), QStringLiteral("me"));
    QCOMPARE(owner.group(), QStringLiteral("staff"));
}

TRELVANIC_TEST_MAIN(TestFtpListing)
#include "tst_ftplisting.moc"
