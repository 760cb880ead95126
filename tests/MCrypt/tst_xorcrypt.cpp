#include "TestMain.h"

#include <MCrypt/XorCrypt.h>

#include <QtTest>

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
        QCOMPARE(XorCrypt::encrypt("key", QByteArray()), QByteArray());
        // An empty key would hand back the plain text as if enciphered.
        QTest::ignoreMessage(QtWarningMsg, "XorCrypt: an empty key enciphers nothing");
        QCOMPARE(XorCrypt::encrypt(QString(), data), QByteArray());
    }

    // XOR with zeros shows the key bytes of the front ends.
    void testKeyBytes_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("latin-1") << QString::fromUtf8("a\u00e9\u00ff") << QByteArray("a\xe9\xff");
        QTest::newRow("above 255: utf-8") << QString::fromUtf8("x\u4e2d") << QByteArray("x\xe4\xb8\xad");
        QTest::newRow("other cjk key") << QString::fromUtf8("x\u6587") << QByteArray("x\xe6\x96\x87");
    }

    void testKeyBytes()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, bytes);
        QCOMPARE(XorCrypt::encrypt(key, QByteArray(bytes.size() * 2, '\0')).toHex(), (bytes + bytes).toHex());
    }
};

TRELVANIC_TEST_MAIN(TestXorCrypt)
#include "tst_xorcrypt.moc"
