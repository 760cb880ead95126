#include "CipherOracles.h"
#include "TestMain.h"

#include <MCrypt/Rijndael.h>

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

#include <iostream>
#include <sstream>

namespace {

// Enciphers or deciphers one block given as bytes.
QByteArray runBlock(Rijndael& cipher, const QByteArray& block, bool forward, const unsigned char* check = nullptr)
{
    unsigned int in[8] = {};
    unsigned int out[8] = {};
    memcpy(in, block.constData(), block.size());
    if (forward)
        cipher.Encrypt(in, out, check);
    else
        cipher.Decrypt(in, out, check);
    return QByteArray(reinterpret_cast<const char*>(out), cipher.blockBytes());
}

QByteArray encipher(int keyBits, int blockBits, const QByteArray& key, const QByteArray& block, bool forward = true)
{
    Rijndael cipher;
    cipher.SetParameters(keyBits, blockBits);
    const auto* keyData = reinterpret_cast<const unsigned char*>(key.constData());
    if (forward)
        cipher.StartEncryption(keyData);
    else
        cipher.StartDecryption(keyData);
    return runBlock(cipher, block, forward);
}

// Redirects std::cerr into a string while alive.
class CerrCapture
{
public:
    CerrCapture() : m_pOld(std::cerr.rdbuf(m_stream.rdbuf())) {}
    ~CerrCapture() { std::cerr.rdbuf(m_pOld); }
    std::string text() const { return m_stream.str(); }

private:
    std::ostringstream m_stream;
    std::streambuf* m_pOld;
};

} // namespace

class TestRijndael : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(CreateRijndaelTables(true, false)); }

    void testParameters_data()
    {
        QTest::addColumn<int>("keyBits");
        QTest::addColumn<int>("blockBits");
        QTest::addColumn<int>("nb");
        QTest::addColumn<int>("nk");
        QTest::addColumn<int>("nr");
        QTest::addColumn<QList<int>>("shifts");
        QTest::newRow("128/128") << 128 << 128 << 4 << 4 << 10 << QList<int>{1, 2, 3};
        QTest::newRow("256/128") << 256 << 128 << 4 << 8 << 14 << QList<int>{1, 2, 3};
        QTest::newRow("192/192") << 192 << 192 << 6 << 6 << 12 << QList<int>{1, 2, 3};
        QTest::newRow("128/256") << 128 << 256 << 8 << 4 << 14 << QList<int>{1, 3, 4};
        QTest::newRow("192/128") << 192 << 128 << 4 << 6 << 12 << QList<int>{1, 2, 3};
        QTest::newRow("key 100") << 100 << 128 << 0 << 0 << 0 << QList<int>{};
        QTest::newRow("block 64") << 128 << 64 << 0 << 0 << 0 << QList<int>{};
    }

    void testParameters()
    {
        QFETCH(int, keyBits);
        QFETCH(int, blockBits);
        QFETCH(int, nb);
        QFETCH(int, nk);
        QFETCH(int, nr);
        QFETCH(QList<int>, shifts);
        Rijndael cipher;
        cipher.SetParameters(256, 256);
        cipher.SetParameters(keyBits, blockBits);
        QCOMPARE(cipher.blockWords(), nb);
        QCOMPARE(cipher.keyWords(), nk);
        QCOMPARE(cipher.rounds(), nr);
        for (int row = 1; row <= shifts.size(); ++row)
            QCOMPARE(cipher.shift(row), shifts.at(row - 1));
    }

    void testTables()
    {
        QCOMPARE(int(Rijndael::byte_sub[0]), 0x63);
        QCOMPARE(int(Rijndael::byte_sub[1]), 0x7C);
        QCOMPARE(int(Rijndael::byte_sub[0x53]), 0xED);
        QCOMPARE(int(Rijndael::inv_byte_sub[0x63]), 0);
        QCOMPARE(int(Rijndael::gf2_8_inv[0]), 0);
        QCOMPARE(int(Rijndael::gf2_8_inv[0x53]), 0xCA);
        for (int v = 0; v < 256; ++v)
            QCOMPARE(int(Rijndael::inv_byte_sub[Rijndael::byte_sub[v]]), v);
        const unsigned long rcon[] = {0, 1, 2, 4, 8, 0x10, 0x20, 0x40, 0x80, 0x1B, 0x36, 0x6C};
        for (int i = 0; i < 12; ++i)
            QCOMPARE(Rijndael::RCon[i], rcon[i]);
        QCOMPARE(int(BitSum(0)), 0);
        QCOMPARE(int(BitSum(0xFF)), 0);
        QCOMPARE(int(BitSum(0x80)), 1);
        QCOMPARE(int(BitSum(0x07)), 1);

        QVERIFY(CreateRijndaelTables(false, false));
        Rijndael::byte_sub[7] ^= 1;
        QVERIFY(!CreateRijndaelTables(false, false));
        QVERIFY(CreateRijndaelTables(true, false));
        QVERIFY(CreateRijndaelTables(false, false));
    }

    void testDump()
    {
        QTemporaryDir dir;
        const QString old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const bool made = CreateRijndaelTables(true, true);
        QDir::setCurrent(old);
        QVERIFY(made);
        QFile file(dir.filePath("Tables.dat"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.at(0), QByteArray("gf2_8_inv"));
        QCOMPARE(lines.at(1).left(10), QByteArray("0x00,0x01,"));
        QCOMPARE(lines.at(1).size(), 16 * 5);
        QVERIFY(lines.contains("byte_sub"));
        const int sub = lines.indexOf("byte_sub");
        QCOMPARE(lines.at(sub + 1).left(15), QByteArray("0x63,0x7c,0x77,"));
        const int rcon = lines.indexOf("RCon");
        QVERIFY(rcon > sub);
        QCOMPARE(lines.at(rcon + 1).left(33), QByteArray("0x00000000,0x00000001,0x00000002,"));

        std::ostringstream hex;
        const unsigned long words[] = {0x1B, 0xFFFFFFFF};
        DumpLongTable(hex, "T", words, 2);
        QCOMPARE(QString::fromStdString(hex.str()), QString("T\n0x0000001b,0xffffffff,"));
    }

    // FIPS-197 appendix C and B.
    void testAesVectors_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipher");
        const QByteArray plain = QByteArray::fromHex("00112233445566778899aabbccddeeff");
        QTest::newRow("AES-128") << QByteArray::fromHex("000102030405060708090a0b0c0d0e0f") << plain
                                 << QByteArray::fromHex("69c4e0d86a7b0430d8cdb78070b4c55a");
        QTest::newRow("AES-192") << QByteArray::fromHex("000102030405060708090a0b0c0d0e0f1011121314151617") << plain
                                 << QByteArray::fromHex("dda97ca4864cdfe06eaf70a0ec0d7191");
        QTest::newRow("AES-256") << QByteArray::fromHex(
                                        "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")
                                 << plain << QByteArray::fromHex("8ea2b7ca516745bfeafc49904b496089");
        QTest::newRow("appendix B") << QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c")
                                    << QByteArray::fromHex("3243f6a8885a308d313198a2e0370734")
                                    << QByteArray::fromHex("3925841d02dc09fbdc118597196a0b32");
    }

    void testAesVectors()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipher);
        const int keyBits = key.size() * 8;
        QCOMPARE(encipher(keyBits, 128, key, plain).toHex(), cipher.toHex());
        QCOMPARE(encipher(keyBits, 128, key, cipher, false).toHex(), plain.toHex());
    }

    // Random keys and blocks against the openssl tool, both directions.
    void testAgainstOpenssl_data()
    {
        QTest::addColumn<int>("keyBits");
        QTest::newRow("aes-128-ecb") << 128;
        QTest::newRow("aes-192-ecb") << 192;
        QTest::newRow("aes-256-ecb") << 256;
    }

    void testAgainstOpenssl()
    {
        QFETCH(int, keyBits);
        QRandomGenerator generator(keyBits);
        for (int round = 0; round < 4; ++round) {
            const QByteArray key = CipherOracles::randomBytes(generator, keyBits / 8);
            const QByteArray data = CipherOracles::randomBytes(generator, 16 * 8);
            const QString name = QString("aes-%1-ecb").arg(keyBits);
            const QByteArray expected = CipherOracles::opensslEcb(name, key, data);
            QCOMPARE(expected.size(), data.size());
            QByteArray mine;
            QByteArray back;
            for (int i = 0; i < data.size(); i += 16) {
                mine += encipher(keyBits, 128, key, data.mid(i, 16));
                back += encipher(keyBits, 128, key, expected.mid(i, 16), false);
            }
            QCOMPARE(mine.toHex(), expected.toHex());
            QCOMPARE(back.toHex(), data.toHex());
        }
    }

    // Every key and block length against libmcrypt's Rijndael.
    void testAgainstMcrypt_data()
    {
        QTest::addColumn<int>("keyBits");
        QTest::addColumn<int>("blockBits");
        for (int block : {128, 192, 256})
            for (int key : {128, 192, 256})
                QTest::newRow(qPrintable(QString("key %1 block %2").arg(key).arg(block))) << key << block;
    }

    void testAgainstMcrypt()
    {
        QFETCH(int, keyBits);
        QFETCH(int, blockBits);
        const QByteArray algorithm = "rijndael-" + QByteArray::number(blockBits);
        QRandomGenerator generator(keyBits * 1000 + blockBits);
        const int blockBytes = blockBits / 8;
        for (int round = 0; round < 6; ++round) {
            const QByteArray key =
                round == 0 ? QByteArray(keyBits / 8, '\0') : CipherOracles::randomBytes(generator, keyBits / 8);
            const QByteArray block =
                round == 0 ? QByteArray(blockBytes, '\0') : CipherOracles::randomBytes(generator, blockBytes);
            const QByteArray expected = CipherOracles::mcryptEcb(algorithm.constData(), key, block);
            QCOMPARE(expected.size(), blockBytes);
            QCOMPARE(encipher(keyBits, blockBits, key, block).toHex(), expected.toHex());
            QCOMPARE(encipher(keyBits, blockBits, key, expected, false).toHex(), block.toHex());
        }
    }

    void testRoundTrip()
    {
        QRandomGenerator generator(7);
        for (int block : {128, 192, 256}) {
            for (int keyBits : {128, 192, 256}) {
                const QByteArray key = CipherOracles::randomBytes(generator, keyBits / 8);
                const QByteArray data = CipherOracles::randomBytes(generator, block / 8);
                const QByteArray crypted = encipher(keyBits, block, key, data);
                QVERIFY(crypted != data);
                QCOMPARE(encipher(keyBits, block, key, crypted, false), data);
            }
        }
    }

    // A wrong entry of the check table gives one report for its round; the result stays right.
    void testCheckTable()
    {
        const QByteArray key = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
        const QByteArray plain = QByteArray::fromHex("00112233445566778899aabbccddeeff");
        Rijndael cipher;
        cipher.SetParameters(128, 128);
        cipher.StartEncryption(reinterpret_cast<const unsigned char*>(key.constData()));
        // FIPS-197 C.1: start of rounds 2 to 10 are the states after rounds 1 to 9.
        const QByteArray rounds = QByteArray::fromHex("89d810e8855ace682d1843d8cb128fe4"
                                                      "4915598f55e5d7a0daca94fa1f0a63f7"
                                                      "fa636a2825b339c940668a3157244d17"
                                                      "247240236966b3fa6ed2753288425b6c"
                                                      "c81677bc9b7ac93b25027992b0261996"
                                                      "c62fe109f75eedc3cc79395d84f9cf5d"
                                                      "d1876c0f79c4300ab45594add66ff41f"
                                                      "fde3bad205e5d0d73547964ef1fe37f1"
                                                      "bd6e7c3df2b5779e0b61216e8b10b689");
        QByteArray wrong = rounds;
        wrong[16 * 4 + 3] = static_cast<char>(wrong.at(16 * 4 + 3) ^ 0x40);
        {
            CerrCapture capture;
            QCOMPARE(runBlock(cipher, plain, true, reinterpret_cast<const unsigned char*>(rounds.constData())).toHex(),
                     QByteArray("69c4e0d86a7b0430d8cdb78070b4c55a"));
            QCOMPARE(QString::fromStdString(capture.text()), QString());
        }
        CerrCapture capture;
        QCOMPARE(runBlock(cipher, plain, true, reinterpret_cast<const unsigned char*>(wrong.constData())).toHex(),
                 QByteArray("69c4e0d86a7b0430d8cdb78070b4c55a"));
        const QString report = QString::fromStdString(capture.text());
        QCOMPARE(report.count("failed"), 1);
        QVERIFY(report.startsWith("State 5 failed:\nState     : c8 16 77 bc 9b "));
        QVERIFY(report.contains("\nShould be : c8 16 77 fc 9b "));

        // Deciphering, inverse round r leaves the state that enciphering had after round r - 1.
        const QByteArray inverse = QByteArray::fromHex("00102030405060708090a0b0c0d0e0f0") + rounds.left(16 * 8);
        CerrCapture inverseCapture;
        QCOMPARE(runBlock(cipher, QByteArray::fromHex("69c4e0d86a7b0430d8cdb78070b4c55a"), false,
                          reinterpret_cast<const unsigned char*>(inverse.constData())),
                 plain);
        QCOMPARE(QString::fromStdString(inverseCapture.text()), QString());
    }
};

TRELVANIC_TEST_MAIN(TestRijndael)
#include "tst_rijndael.moc"
