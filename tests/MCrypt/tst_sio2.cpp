#include "TestMain.h"

#include <MCrypt/SiO2.h>

#include <QtTest>

using MCrypt::SiO2;

namespace {

// Masks tables written one after the other with the key repeated over the whole run.
QByteArray maskTables(const QByteArray& plain, const QByteArray& key)
{
    QByteArray masked = plain;
    for (int i = 0; i < masked.size(); ++i)
        masked[i] = static_cast<char>(masked.at(i) ^ key.at(i % key.size()));
    return masked;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result.append(static_cast<char>(v));
    return result;
}

QByteArray allBytes()
{
    QByteArray result;
    for (int i = 0; i < 256; ++i)
        result.append(static_cast<char>(i));
    return result;
}

QStringList sm_messages;

void collectMessage(QtMsgType, const QMessageLogContext&, const QString& text) { sm_messages << text; }

} // namespace

class TestSiO2 : public QObject
{
    Q_OBJECT

private slots:
    void testRoundTrip()
    {
        SiO2 sender(QByteArray("master"), 1, 256);
        const QByteArray masked = sender.createCryptedKey();
        QCOMPARE(masked.size(), 256);
        // Unmasked, the table is a permutation of 0 to 255.
        QByteArray plain = maskTables(masked, "master");
        std::sort(plain.begin(), plain.end(), [](char a, char b) { return uchar(a) < uchar(b); });
        QCOMPARE(plain, allBytes());

        const QByteArray data = allBytes() + QByteArray("some text \xff\x00", 12);
        const QByteArray crypted = sender.encrypt(data);
        QCOMPARE(crypted.size(), data.size());
        QVERIFY(crypted != data);
        QCOMPARE(sender.decrypt(crypted), data);

        SiO2 receiver(QString("master"), 1, 256);
        receiver.setCryptedKey(masked);
        QCOMPARE(receiver.decrypt(crypted), data);
        QCOMPARE(receiver.encrypt(data), crypted);

        SiO2 stranger(QString("mastes"), 1, 256);
        stranger.setCryptedKey(masked);
        QVERIFY(stranger.decrypt(crypted) != data);
    }

    void testTablePositions()
    {
        const QByteArray key = "Kx7";
        const QByteArray plain = bytes({0, 1, 2, 3, 1, 2, 3, 0, 3, 2, 1, 0});
        SiO2 cipher(reinterpret_cast<const unsigned char*>(key.constData()), 3, 3, 4);
        cipher.setCryptedKey(maskTables(plain, key));
        // Index of the byte in table i mod 3.
        QCOMPARE(cipher.encrypt(bytes({0, 0, 0, 1, 1, 1, 2})), bytes({0, 3, 3, 1, 0, 2, 2}));
        QCOMPARE(cipher.decrypt(bytes({0, 3, 3, 1, 0, 2, 2})), bytes({0, 0, 0, 1, 1, 1, 2}));
        QCOMPARE(cipher.decrypt(bytes({0, 0, 0, 3, 3, 3})), bytes({0, 1, 3, 3, 0, 0}));
    }

    void testSmallTables()
    {
        SiO2 cipher(QByteArray("k"), 1, 16);
        QCOMPARE(cipher.createCryptedKey().size(), 16);
        const QByteArray data = bytes({1, 15, 0});
        const QByteArray crypted = cipher.encrypt(data);
        QCOMPARE(crypted.size(), 3);
        QCOMPARE(cipher.decrypt(crypted), data);
        // A byte without a table entry is refused, never dropped.
        for (const QByteArray& outside : {bytes({1, 16, 0}), bytes({255})}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^SiO2: byte \\d+ lies outside"));
            QCOMPARE(cipher.encrypt(outside), QByteArray());
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^SiO2: byte \\d+ lies outside"));
            QCOMPARE(cipher.decrypt(outside), QByteArray());
        }
    }

    void testMaskAcrossTables()
    {
        // Key length 3 does not divide the table size: masking runs on across the boundary.
        const QByteArray key = bytes({0x10, 0x20, 0x30});
        SiO2 cipher(key, 2, 4);
        const QByteArray plain = bytes({2, 0, 3, 1, 1, 3, 0, 2});
        cipher.setCryptedKey(bytes({2 ^ 0x10, 0 ^ 0x20, 3 ^ 0x30, 1 ^ 0x10, 1 ^ 0x20, 3 ^ 0x30, 0 ^ 0x10, 2 ^ 0x20}));
        QCOMPARE(cipher.decrypt(bytes({0, 0, 1, 1, 2, 2, 3, 3})), bytes({2, 1, 0, 3, 3, 0, 1, 2}));
        // An array of another length is ignored.
        cipher.setCryptedKey(QByteArray(7, '\0'));
        QCOMPARE(cipher.decrypt(bytes({0, 0})), bytes({2, 1}));
    }

    void testCopy()
    {
        SiO2 source(QByteArray("key"), 2, 8);
        const QByteArray masked = source.createCryptedKey();
        const SiO2 copy(source);
        // Zero-filled tables: every index deciphers to 0, byte 0 enciphers to all indices.
        QCOMPARE(copy.decrypt(bytes({5, 7, 1})), QByteArray(3, '\0'));
        QCOMPARE(copy.encrypt(bytes({0})), bytes({0, 1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(copy.encrypt(bytes({3})), QByteArray());

        SiO2 assigned(QByteArray("other"), 1, 256);
        assigned.createCryptedKey();
        assigned = source;
        QCOMPARE(assigned.decrypt(bytes({5, 7})), QByteArray(2, '\0'));
        assigned.setCryptedKey(masked);
        const QByteArray data = bytes({0, 1, 2, 3, 4, 5, 6, 7, 7, 6});
        QCOMPARE(assigned.decrypt(source.encrypt(data)), data);
        QCOMPARE(assigned.encrypt(data), source.encrypt(data));
    }

    void testDimensionGuards()
    {
        SiO2 noTables(QByteArray("k"), 0, 300);
        QCOMPARE(noTables.createCryptedKey().size(), 256);
        SiO2 emptySize(QByteArray("k"), 2, 0);
        QCOMPARE(emptySize.createCryptedKey(), QByteArray(2, 'k'));
        SiO2 emptyKey(QByteArray(), 1, 4);
        const QByteArray masked = emptyKey.createCryptedKey();
        QByteArray sorted = masked;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, bytes({0, 1, 2, 3}));
    }

    void testFreshTablesEachTime()
    {
        // Drawn from the system's random source: objects made together, and calls in a row, never share tables.
        SiO2 first(QByteArray("seed"), 2, 64);
        SiO2 second(QByteArray("seed"), 2, 64);
        const QByteArray a = first.createCryptedKey();
        const QByteArray b = second.createCryptedKey();
        const QByteArray c = first.createCryptedKey();
        QVERIFY(a != b);
        QVERIFY(a != c);
    }

    void testDiagnostics()
    {
        sm_messages.clear();
        const QtMessageHandler old = qInstallMessageHandler(collectMessage);
        SiO2::runTests();
        SiO2 cipher(QByteArray("k"), 1, 3);
        unsigned char row[3] = {2, 0, 1};
        unsigned char* tables[1] = {row};
        cipher.dumpKeyArray(tables);
        qInstallMessageHandler(old);

        QCOMPARE(sm_messages.size(), 4);
        QVERIFY(sm_messages.at(0).startsWith("!Orig     :"));
        QVERIFY(sm_messages.at(1).startsWith("!Crypted  :"));
        QVERIFY(sm_messages.at(2).startsWith("!Decrypted:"));
        QCOMPARE(sm_messages.at(2).mid(11), sm_messages.at(0).mid(11));
        QVERIFY(sm_messages.at(1).mid(11) != sm_messages.at(0).mid(11));
        QCOMPARE(sm_messages.at(3), QString("2,0,1,"));
    }
};

TRELVANIC_TEST_MAIN(TestSiO2)
#include "tst_sio2.moc"
