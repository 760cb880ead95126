// Directory entries: validity, defaults, copying and the sort comparisons.
#include "TestMain.h"

#include <QMRequest/UrlInfo.h>

using QMRequest::UrlInfo;

class TestFtpUrlInfo : public QObject
{
    Q_OBJECT

private slots:
    void testValidityAndDefaults();
    void testFullConstructors();
    void testCopyAndAssign();
    void testComparisons();
    void testEquality();
};

void TestFtpUrlInfo::testValidityAndDefaults()
{
    UrlInfo info;
    QVERIFY(!info.isValid());
    QVERIFY(!info.isFile());
    QVERIFY(!info.isWritable());
    QVERIFY(!info.isReadable());
    QCOMPARE(info.size(), qint64(0));
    QVERIFY(!info.lastModified().isValid());

    info.setName(QStringLiteral("any"));
    QVERIFY(info.isValid());
    QVERIFY(info.isFile());
    QVERIFY(info.isWritable());
    QVERIFY(info.isReadable());
    QVERIFY(!info.isDir());
    QVERIFY(!info.isSymLink());
    QVERIFY(!info.isExecutable());
    QCOMPARE(info.permissions(), 0);

    UrlInfo sized;
    sized.setSize(77);
    QVERIFY(sized.isValid());
    QCOMPARE(sized.name(), QString());
    QCOMPARE(sized.size(), qint64(77));
}

void TestFtpUrlInfo::testFullConstructors()
{
    const QDateTime modified(QDate(2004, 8, 10), QTime(12, 0));
    const UrlInfo byName(QStringLiteral("a.txt"), 0644, QStringLiteral("ftp"), QStringLiteral("grp"), 512, modified,
                         QDateTime(), false, true, false, true, true, true);
    QCOMPARE(byName.name(), QStringLiteral("a.txt"));
    QCOMPARE(byName.permissions(), 0644);
    QCOMPARE(byName.owner(), QStringLiteral("ftp"));
    QCOMPARE(byName.group(), QStringLiteral("grp"));
    QCOMPARE(byName.size(), qint64(512));
    QCOMPARE(byName.lastModified(), modified);
    QVERIFY(byName.isExecutable());

    const UrlInfo byUrl(QUrl(QStringLiteral("ftp://host/one/two/last%20name.bin")), 0, QString(), QString(), 0,
                        QDateTime(), QDateTime(), false, true, false, true, true, false);
    QCOMPARE(byUrl.name(), QStringLiteral("last name.bin"));
}

void TestFtpUrlInfo::testCopyAndAssign()
{
    UrlInfo a;
    a.setName(QStringLiteral("a"));
    a.setSize(5);
    UrlInfo copy(a);
    copy.setSize(9);
    QCOMPARE(a.size(), qint64(5));
    QCOMPARE(copy.size(), qint64(9));

    UrlInfo target;
    target = a;
    QVERIFY(target == a);
    target = UrlInfo();
    QVERIFY(!target.isValid());
    QCOMPARE(target.name(), QString());

    const UrlInfo invalidCopy{UrlInfo()};
    QVERIFY(!invalidCopy.isValid());
}

void TestFtpUrlInfo::testComparisons()
{
    UrlInfo a;
    a.setName(QStringLiteral("a"));
    a.setSize(10);
    a.setLastModified(QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    UrlInfo b;
    b.setName(QStringLiteral("b"));
    b.setSize(20);
    b.setLastModified(QDateTime(QDate(2021, 1, 1), QTime(0, 0)));

    for (int sortBy = 0; sortBy < 3; ++sortBy) {
        QVERIFY(UrlInfo::greaterThan(b, a, sortBy));
        QVERIFY(!UrlInfo::greaterThan(a, b, sortBy));
        QVERIFY(UrlInfo::lessThan(a, b, sortBy));
        QVERIFY(UrlInfo::lessThan(a, a, sortBy));
        QVERIFY(UrlInfo::equal(a, a, sortBy));
        QVERIFY(!UrlInfo::equal(a, b, sortBy));
    }
    QVERIFY(UrlInfo::lessThan(a, b, 7));
    QVERIFY(!UrlInfo::equal(a, b, 7));
    QVERIFY(!UrlInfo::greaterThan(a, b, 7));
}

void TestFtpUrlInfo::testEquality()
{
    QVERIFY(UrlInfo() == UrlInfo());
    UrlInfo a;
    a.setName(QStringLiteral("x"));
    QVERIFY(!(a == UrlInfo()));
    QVERIFY(!(UrlInfo() == a));
    UrlInfo b(a);
    QVERIFY(a == b);
    b.setLastRead(QDateTime(QDate(2000, 1, 1), QTime(1, 2)));
    QVERIFY(a != b);
    UrlInfo c(a);
    c.setWritable(false);
    QVERIFY(a != c);
}

TRELVANIC_TEST_MAIN(TestFtpUrlInfo)
#include "tst_ftpurlinfo.moc"
