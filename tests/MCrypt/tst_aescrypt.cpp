#include "CipherOracles.h"
#include "TestMain.h"

#include <MCrypt/AesCrypt.h>

#include <QRandomGenerator>
#include <QtTest>

using MCrypt::AesCrypt;

namespace {

// Rijndael-256 in ECB mode of libmcrypt on data padded with blanks to the next whole block plus one.
QByteArray reference(const QByteArray& key, const QByteArray& data)
{
    QByteArray padded = data;
    padded.append(QByteArray(32 - data.size() % 32, ' '));
    return CipherOracles::mcryptEcb("rijndael-256", key, padded);
}

} // namespace

class TestAesCrypt : public QObject
{
    Q_OBJECT

private slots:
    void testSizes_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("blocks");
        QTest::newRow("empty") << 0 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("31") << 31 << 1;
        QTest::newRow("32") << 32 << 2;
        QTest::newRow("33") << 33 << 2;
        QTest::newRow("64") << 64 << 3;
        QTest::newRow("100") << 100 << 4;
    }

    void testSizes()
    {
        QFETCH(int, length);
        QFETCH(int, blocks);
        QRandomGenerator generator(length);
        const QByteArray data = CipherOracles::randomBytes(generator, length);
        const QString key = "secret key";
        const QByteArray crypted = AesCrypt::encrypt(key, data);
        QCOMPARE(crypted.size(), blocks * 32);
        QCOMPARE(crypted.toHex(), reference(QByteArray("secret key").append(QByteArray(22, ' ')), data).toHex());
        const QByteArray plain = AesCrypt::decrypt(key, crypted);
        QCOMPARE(plain.size(), blocks * 32);
        QCOMPARE(plain.left(length), data);
        QCOMPARE(plain.mid(length), QByteArray(blocks * 32 - length, ' '));
    }

    void testBlankBlock()
    {
        const QByteArray crypted = AesCrypt::encrypt("k", QByteArray(32, 'x'));
        QCOMPARE(crypted.mid(32), AesCrypt::encrypt("k", QByteArray()));
        QCOMPARE(AesCrypt::decrypt("k", crypted.mid(32)), QByteArray(32, ' '));
        QCOMPARE(AesCrypt::decrypt("abc", AesCrypt::encrypt("abc", "abc")), QByteArray("abc") + QByteArray(29, ' '));
    }

    void testKeys()
    {
        const QByteArray data = "The quick brown fox";
        // One character 0xE9: key byte 0xE9, then 31 blanks.
        QByteArray expected = QByteArray(1, char(0xE9)) + QByteArray(31, ' ');
        QCOMPARE(AesCrypt::encrypt(QString(QChar(0xE9)), data).toHex(), reference(expected, data).toHex());
        // A key with a character above U+00FF is taken as UTF-8, so different keys stay different.
        expected = QByteArray("a\xe2\x98\xba"
                              "b") +
                   QByteArray(27, ' ');
        QCOMPARE(AesCrypt::encrypt(QString("a") + QChar(0x263A) + "b", data).toHex(),
                 reference(expected, data).toHex());
        QVERIFY(AesCrypt::encrypt(QString::fromUtf8("\u4e2d"), data) !=
                AesCrypt::encrypt(QString::fromUtf8("\u6587"), data));
        // Only the first 32 units count.
        const QString long32 = QString(32, QChar('q'));
        QCOMPARE(AesCrypt::encrypt(long32 + "tail", data), AesCrypt::encrypt(long32, data));
        QVERIFY(AesCrypt::encrypt(long32, data) != AesCrypt::encrypt(QString(31, QChar('q')), data));
        // An empty key is 32 blanks.
        QCOMPARE(AesCrypt::encrypt(QString(), data), AesCrypt::encrypt(QString(32, QChar(' ')), data));
        QVERIFY(AesCrypt::decrypt("other", AesCrypt::encrypt("key", data)).left(data.size()) != data);
    }

    void testDecryptWholeBlocks()
    {
        const QByteArray crypted = AesCrypt::encrypt("key", "hello");
        const QByteArray reference =
            CipherOracles::mcryptEcb("rijndael-256", QByteArray("key") + QByteArray(29, ' '), crypted, true);
        QCOMPARE(AesCrypt::decrypt("key", crypted), reference);
        // Anything but whole blocks is refused instead of losing the partial block.
        for (const QByteArray& bad : {QByteArray(), QByteArray(31, 'z'), crypted + QByteArray(17, 'z')}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^AesCrypt: "));
            QCOMPARE(AesCrypt::decrypt("key", bad), QByteArray());
        }
    }
};

TRELVANIC_TEST_MAIN(TestAesCrypt)
#include "tst_aescrypt.moc"
