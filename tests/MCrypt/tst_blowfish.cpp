#include "CipherOracles.h"
#include "TestMain.h"

#include <MCrypt/BlowFish.h>
#include <MCrypt/BlowFishCrypt.h>

#include <QRandomGenerator>
#include <QtTest>

#include <memory>

namespace {

quint64 encipher(const BlowFish& cipher, quint64 block, bool forward = true)
{
    unsigned int left = static_cast<unsigned int>(block >> 32);
    unsigned int right = static_cast<unsigned int>(block);
    if (forward)
        cipher.encrypt(left, right);
    else
        cipher.decrypt(left, right);
    return (quint64(left) << 32) | right;
}

// Blocks as big-endian halves, the byte order of the openssl tool.
QByteArray encipherBytes(const BlowFish& cipher, const QByteArray& data, bool forward = true)
{
    QByteArray result;
    for (int i = 0; i + 8 <= data.size(); i += 8) {
        const quint64 block = qFromBigEndian<quint64>(data.constData() + i);
        char out[8];
        qToBigEndian(encipher(cipher, block, forward), out);
        result.append(out, 8);
    }
    return result;
}

} // namespace

class TestBlowFish : public QObject
{
    Q_OBJECT

private slots:
    // The published test vectors for eight-byte keys.
    void testVectors_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<quint64>("plain");
        QTest::addColumn<quint64>("cipher");
        const char* rows[][3] = {
            {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
            {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
            {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
            {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
            {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
            {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
            {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
            {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
            {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
            {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
            {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
            {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
            {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
            {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
            {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
            {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
            {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
            {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
            {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
            {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
            {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
            {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
            {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
            {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
            {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
            {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
            {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
            {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
            {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
            {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
            {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
            {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
            {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
        };
        int n = 0;
        for (const auto& row : rows) {
            QTest::newRow(qPrintable(QString("vector %1").arg(++n)))
                << QByteArray::fromHex(row[0]) << QByteArray(row[1]).toULongLong(nullptr, 16)
                << QByteArray(row[2]).toULongLong(nullptr, 16);
        }
        QTest::newRow("alphabet key") << QByteArray("abcdefghijklmnopqrstuvwxyz") << Q_UINT64_C(0x424C4F5746495348)
                                      << Q_UINT64_C(0x324ED0FEF413A203);
        QTest::newRow("question key") << QByteArray("Who is John Galt?") << Q_UINT64_C(0xFEDCBA9876543210)
                                      << Q_UINT64_C(0xCC91732B8022F684);
    }

    void testVectors()
    {
        QFETCH(QByteArray, key);
        QFETCH(quint64, plain);
        QFETCH(quint64, cipher);
        const BlowFish blowFish(key.constData(), key.size());
        QCOMPARE(QString::number(encipher(blowFish, plain), 16), QString::number(cipher, 16));
        QCOMPARE(QString::number(encipher(blowFish, cipher, false), 16), QString::number(plain, 16));
    }

    // Random 16-byte keys (the openssl tool's key length) against bf-ecb, both directions.
    void testAgainstOpenssl()
    {
        QRandomGenerator generator(42);
        for (int round = 0; round < 4; ++round) {
            const QByteArray key = CipherOracles::randomBytes(generator, 16);
            const QByteArray data = CipherOracles::randomBytes(generator, 8 * 16);
            const QByteArray expected = CipherOracles::opensslEcb("bf-ecb", key, data);
            QCOMPARE(expected.size(), data.size());
            const BlowFish blowFish(key.constData(), key.size());
            QCOMPARE(encipherBytes(blowFish, data).toHex(), expected.toHex());
            QCOMPARE(encipherBytes(blowFish, expected, false).toHex(), data.toHex());
        }
    }

    void testKeyLengths()
    {
        QRandomGenerator generator(5);
        for (int length : {1, 3, 7, 16, 56, 72, 73, 100}) {
            const QByteArray key = CipherOracles::randomBytes(generator, length);
            const BlowFish blowFish(key.constData(), key.size());
            for (int i = 0; i < 16; ++i) {
                const quint64 block = generator.generate64();
                QCOMPARE(encipher(blowFish, encipher(blowFish, block), false), block);
            }
        }
        const char one = char(0xA5);
        const QByteArray repeated(72, one);
        QCOMPARE(encipher(BlowFish(&one, 1), 0x0123456789ABCDEFULL),
                 encipher(BlowFish(repeated.constData(), 72), 0x0123456789ABCDEFULL));
        const QByteArray longKey = CipherOracles::randomBytes(generator, 90);
        QCOMPARE(encipher(BlowFish(longKey.constData(), 90), 42), encipher(BlowFish(longKey.constData(), 72), 42));
        QVERIFY(encipher(BlowFish(longKey.constData(), 71), 42) != encipher(BlowFish(longKey.constData(), 72), 42));
    }

    // The text front end against openssl: its output deciphers to the data padded with blanks to whole blocks plus
    // one. The keys are 16 bytes, the openssl tool's key length.
    void testFrontEnd_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("keyBytes");
        QTest::addColumn<int>("length");
        const QString latin1 = QString::fromUtf8("Schl\u00fcssel 16 B.!");
        const QString wide = QString::fromUtf8("\u9375\u30ad\u30fc1234567");
        QTest::newRow("latin-1, empty data") << latin1 << latin1.toLatin1() << 0;
        QTest::newRow("latin-1, 7 bytes") << latin1 << latin1.toLatin1() << 7;
        QTest::newRow("latin-1, 8 bytes") << latin1 << latin1.toLatin1() << 8;
        QTest::newRow("latin-1, 29 bytes") << latin1 << latin1.toLatin1() << 29;
        QTest::newRow("utf-8 key") << wide << wide.toUtf8() << 13;
    }

    void testFrontEnd()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, keyBytes);
        QFETCH(int, length);
        QCOMPARE(keyBytes.size(), 16);
        QRandomGenerator generator(length);
        const QByteArray data = CipherOracles::randomBytes(generator, length);
        const QByteArray padded = data + QByteArray(8 - length % 8, ' ');
        const QByteArray crypted = MCrypt::BlowFishCrypt::encrypt(key, data);
        QCOMPARE(crypted.size(), padded.size());
        QCOMPARE(CipherOracles::opensslEcb("bf-ecb", keyBytes, crypted, true).toHex(), padded.toHex());
        QCOMPARE(MCrypt::BlowFishCrypt::decrypt(key, crypted), padded);
    }

    void testFrontEndRefusals_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("encrypt");
        QTest::newRow("encrypt, empty key") << QString() << QByteArray("plain") << true;
        QTest::newRow("decrypt, empty key") << QString() << QByteArray(8, 'x') << false;
        QTest::newRow("decrypt, empty data") << QString("key") << QByteArray() << false;
        QTest::newRow("decrypt, partial block") << QString("key") << QByteArray(7, 'x') << false;
        QTest::newRow("decrypt, block and a byte") << QString("key") << QByteArray(9, 'x') << false;
    }

    void testFrontEndRefusals()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, data);
        QFETCH(bool, encrypt);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^BlowFishCrypt: "));
        QCOMPARE(encrypt ? MCrypt::BlowFishCrypt::encrypt(key, data) : MCrypt::BlowFishCrypt::decrypt(key, data),
                 QByteArray());
    }

    void testCopy()
    {
        auto source = std::make_unique<BlowFish>("copy key", 8);
        const quint64 expected = encipher(*source, 0xFEEDFACECAFEBEEFULL);
        const BlowFish copy(*source);
        BlowFish assigned("other", 5);
        QVERIFY(encipher(assigned, 0xFEEDFACECAFEBEEFULL) != expected);
        assigned = *source;
        source.reset();
        QCOMPARE(encipher(copy, 0xFEEDFACECAFEBEEFULL), expected);
        QCOMPARE(encipher(assigned, 0xFEEDFACECAFEBEEFULL), expected);
        QCOMPARE(encipher(copy, expected, false), 0xFEEDFACECAFEBEEFULL);
        QCOMPARE(copy.F(0x01020304), assigned.F(0x01020304));
    }
};

TRELVANIC_TEST_MAIN(TestBlowFish)
#include "tst_blowfish.moc"
