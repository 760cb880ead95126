#include "TestMain.h"

#include <MCrypt/BlowFishCrypt.h>
#include <MCrypt/XorCrypt.h>

#include <QtTest>

using MCrypt::BlowFishCrypt;
using MCrypt::XorCrypt;

class TestXorCrypt : public QObject
{
    Q_OBJECT

private slots:
    void testXor()
    {
        const QByteArray data("\x00\x01\x02\xff\x10\x20\x30", 7);
        const QByteArray crypted = XorCrypt::encrypt("AB", data);
        QCOMPARE(crypted.toHex(), QByteArray("414343bd516271"));
        QCOMPARE(XorCrypt::encrypt("AB", crypted), data);
        QCOMPARE(XorCrypt::decrypt("AB", crypted), data);
        QCOMPARE(XorCrypt::encrypt(QString(), data), data);
        QCOMPARE(XorCrypt::encrypt("key", QByteArray()), QByteArray());
    }

    void testXorKeyUnits()
    {
        const QByteArray zeros(4, '\0');
        QCOMPARE(XorCrypt::encrypt(QString(QChar(0xE9)), zeros), QByteArray(4, char(0xE9)));
        // A unit above 255 counts as 0: that position keeps its byte.
        QCOMPARE(XorCrypt::encrypt(QString("x") + QChar(0x4E2D), QByteArray("abab")), QByteArray("\x19"
                                                                                                 "b"
                                                                                                 "\x19"
                                                                                                 "b"));
    }

    void testBlowFishFrontEnd()
    {
        QCOMPARE(BlowFishCrypt::encrypt("key", "hello"), QByteArray(5, '\0'));
        QCOMPARE(BlowFishCrypt::encrypt("key", QByteArray()), QByteArray());
        QCOMPARE(BlowFishCrypt::decrypt("key", "hello"), QByteArray());
    }
};

TRELVANIC_TEST_MAIN(TestXorCrypt)
#include "tst_xorcrypt.moc"
