#include <MTools/Base32.h>
#include <MTools/Base64.h>
#include <MTools/PhpCompress.h>
#include <MTools/QByteArrayExtensions.h>

#include "TestMain.h"
#include "Tools.h"

#include <QRandomGenerator>

#include <iconv.h>
#include <zlib.h>

#include <vector>

using namespace MTools;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

QByteArray randomBytes(QRandomGenerator& random, int length)
{
    QByteArray bytes(length, '\0');
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

// UTF-16BE bytes of a UTF-8 text by glibc's iconv.
QByteArray iconvUtf16be(const QByteArray& utf8)
{
    iconv_t cd = iconv_open("UTF-16BE", "UTF-8");
    if (cd == iconv_t(-1))
        return "iconv_open failed";
    QByteArray in = utf8;
    QByteArray out(utf8.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return "iconv failed";
    out.truncate(out.size() - int(outLeft));
    return out;
}

QByteArray zlibUncompress(const QByteArray& stream, int expectedSize)
{
    QByteArray out(expectedSize + 16, '\0');
    uLongf outLength = uLongf(out.size());
    const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &outLength,
                              reinterpret_cast<const Bytef*>(stream.constData()), uLong(stream.size()));
    if (rc != Z_OK)
        return "zlib error " + QByteArray::number(rc);
    out.truncate(int(outLength));
    return out;
}

// Base32 decoding through the free function into an exact heap buffer, so the sanitizer sees any overrun.
QByteArray decodeExact(const QByteArray& text, uint64_t outputLength)
{
    std::vector<uint8_t> input(text.begin(), text.end());
    std::vector<uint8_t> output(outputLength);
    const uint64_t produced = base32_decode(output.data(), output.size(), input.data(), input.size());
    return QByteArray(reinterpret_cast<const char*>(output.data()), int(produced));
}

} // namespace

class TestCodecs : public QObject
{
    Q_OBJECT

private slots:
    void testRfc4648_data();
    void testRfc4648();
    void testBase32Bounds();
    void testBase32Rejects_data();
    void testBase32Rejects();
    void testBase32AgainstPython();
    void testUtf16Rfc2781();
    void testUtf16AgainstIconv();
    void testLatin1Fields();
    void testPhpCompress();
};

void TestCodecs::testRfc4648_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QString>("base64");
    QTest::addColumn<QString>("base32");
    QTest::newRow("empty") << QByteArray() << ""
                           << "";
    QTest::newRow("f") << QByteArray("f") << "Zg=="
                       << "MY======";
    QTest::newRow("fo") << QByteArray("fo") << "Zm8="
                        << "MZXQ====";
    QTest::newRow("foo") << QByteArray("foo") << "Zm9v"
                         << "MZXW6===";
    QTest::newRow("foob") << QByteArray("foob") << "Zm9vYg=="
                          << "MZXW6YQ=";
    QTest::newRow("fooba") << QByteArray("fooba") << "Zm9vYmE="
                           << "MZXW6YTB";
    QTest::newRow("foobar") << QByteArray("foobar") << "Zm9vYmFy"
                            << "MZXW6YTBOI======";
}

void TestCodecs::testRfc4648()
{
    QFETCH(QByteArray, plain);
    QFETCH(QString, base64);
    QFETCH(QString, base32);
    const QString latin = QString::fromLatin1(plain);
    QCOMPARE(Base64::codeQByteArray(plain), base64);
    QCOMPARE(Base64::decodeQByteArray(base64), plain);
    QCOMPARE(Base64::codeLatin1(latin), base64);
    QCOMPARE(Base64::decodeLatin1(base64), latin);
    QCOMPARE(Base32::codeQByteArray(plain), base32);
    QCOMPARE(Base32::decodeQByteArray(base32), plain);
    QCOMPARE(Base32::decodeQByteArray(base32.toLower()), plain);
    QCOMPARE(Base32::codeLatin1(latin), base32);
    QCOMPARE(Base32::decodeLatin1(base32.toLower()), latin);
}

// The free functions never read past the input nor write past the output (the sanitizer watches exact buffers).
void TestCodecs::testBase32Bounds()
{
    QCOMPARE(base32_encoder_output_padding_size(1), uint64_t(6));
    QCOMPARE(base32_encoder_buffer_size(6), uint64_t(16));
    QCOMPARE(base32_decoder_buffer_size(7), uint64_t(0));
    const std::vector<uint8_t> single = {0xFF};
    QCOMPARE(int(base32_encoder_encode_bits(1, single.data(), single.size())), 0x1C);

    const std::vector<uint8_t> foobar = {'f', 'o', 'o', 'b', 'a', 'r'};
    std::vector<uint8_t> shortOutput(4);
    base32_encode(shortOutput.data(), shortOutput.size(), foobar.data(), foobar.size());
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(shortOutput.data()), 4), QByteArray("MZXW"));
    QCOMPARE(decodeExact("MZXW6YTBOI======", 6), QByteArray("foobar"));
    QCOMPARE(decodeExact("MZXW6YTBOI======", 3), QByteArray("foo"));
    QCOMPARE(decodeExact("MZXW6YTBOI======", 0), QByteArray());

    QRandomGenerator random(4648);
    for (int length = 0; length <= 64; ++length) {
        const QByteArray data = randomBytes(random, length);
        std::vector<uint8_t> input(data.begin(), data.end());
        std::vector<uint8_t> text(base32_encoder_buffer_size(input.size()));
        base32_encode(text.data(), text.size(), input.data(), input.size());
        const QByteArray encoded(reinterpret_cast<const char*>(text.data()), int(text.size()));
        QCOMPARE(Base32::codeQByteArray(data), QString::fromLatin1(encoded));
        QCOMPARE(decodeExact(encoded, base32_decoder_buffer_size(uint64_t(encoded.size()))), data);
    }
}

void TestCodecs::testBase32Rejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("seven characters") << "MZXW6YT";
    QTest::newRow("digit 1") << "MZXW6YT1";
    QTest::newRow("digit 8") << "8ZXW6YTB";
    QTest::newRow("space") << "MZXW YTB";
    QTest::newRow("non-Latin-1 letter") << QString::fromUtf8("MZXW\xE2\x82\xACYTB");
    QTest::newRow("pad at 1") << "========";
    QTest::newRow("pad at 2") << "M=======";
    QTest::newRow("pad at 4") << "MZX=====";
    QTest::newRow("pad at 7") << "MZXW6Y==";
    QTest::newRow("letter after pad") << "MY=A====";
    QTest::newRow("pad in first block") << "MY======MZXW6YQ=";
    QTest::newRow("invalid in second block") << "MZXW6YTB!I======";
}

void TestCodecs::testBase32Rejects()
{
    QFETCH(QString, text);
    QCOMPARE(Base32::decodeQByteArray(text), QByteArray());
    QCOMPARE(Base32::decodeLatin1(text), QString());
    QCOMPARE(decodeExact(text.toLatin1(), 64), QByteArray());
}

void TestCodecs::testBase32AgainstPython()
{
    QRandomGenerator random(2781);
    QStringList samples;
    QList<QByteArray> data;
    for (int i = 0; i < 60; ++i) {
        data << randomBytes(random, int(random.bounded(40)));
        samples << QString::fromLatin1(data.last().toHex());
    }
    const QString script = QStringLiteral("import base64, sys\n"
                                          "for h in sys.argv[1:]:\n"
                                          "    print(base64.b32encode(bytes.fromhex(h)).decode())\n");
    const TestKit::ToolResult result = TestKit::runTool("/usr/bin/python3", QStringList{"-c", script} + samples);
    QCOMPARE(result.exitCode, 0);
    const QList<QByteArray> lines = result.out.split('\n');
    QVERIFY(lines.size() >= data.size());
    for (int i = 0; i < data.size(); ++i) {
        QCOMPARE(Base32::codeQByteArray(data[i]), QString::fromLatin1(lines[i]));
        QCOMPARE(Base32::decodeQByteArray(QString::fromLatin1(lines[i])), data[i]);
    }
}

void TestCodecs::testUtf16Rfc2781()
{
    QCOMPARE(QByteArrayExtensions::convertFromQString(QString::fromUcs4(U"\U00010000")), hex("D800DC00"));
    QCOMPARE(QByteArrayExtensions::convertFromQString(QString::fromUcs4(U"\U00012345")), hex("D808DF45"));
    const QString mixed = QString::fromUtf8("A\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
    QCOMPARE(QByteArrayExtensions::convertFromQString(mixed), hex("004100E920ACD834DD1E"));
    QCOMPARE(QByteArrayExtensions::convertToQString(hex("004100E920ACD834DD1E")), mixed);
    QCOMPARE(Base64::codeQString(mixed), QStringLiteral("AEEA6SCs2DTdHg=="));
    QCOMPARE(Base64::decodeQString(QStringLiteral("AEEA6SCs2DTdHg==")), mixed);
    QCOMPARE(Base64::codeQString(QStringLiteral("A")), QStringLiteral("AEE="));
    QCOMPARE(Base64::codeLatin1(QStringLiteral("A")), QStringLiteral("QQ=="));
    // An odd last byte is the high half of the last unit.
    QCOMPARE(QByteArrayExtensions::convertToQString(hex("004142")), QString::fromUtf16(u"A\u4200"));
}

void TestCodecs::testUtf16AgainstIconv()
{
    QRandomGenerator random(16);
    for (int i = 0; i < 200; ++i) {
        std::u32string codePoints;
        const int length = int(random.bounded(1, 24));
        for (int k = 0; k < length; ++k) {
            char32_t cp;
            do {
                cp = random.bounded(4) == 0 ? char32_t(random.bounded(0x10000, 0x110000))
                                            : char32_t(random.bounded(1, 0x10000));
            } while (cp >= 0xD800 && cp <= 0xDFFF);
            codePoints += cp;
        }
        const QString text = QString::fromUcs4(codePoints.data(), int(codePoints.size()));
        const QByteArray expected = iconvUtf16be(text.toUtf8());
        QCOMPARE(QByteArrayExtensions::convertFromQString(text), expected);
        QCOMPARE(QByteArrayExtensions::convertToQString(expected), text);
    }
}

// Zero bytes are kept in fields but end the Latin-1 decoders.
void TestCodecs::testLatin1Fields()
{
    const char field[] = {0x41, 0x00, '\xE9', 0x00};
    QCOMPARE(QByteArrayExtensions::arrToString(field, 4), QString::fromUtf16(u"A\0\u00E9\0", 4));
    QCOMPARE(QByteArrayExtensions::arrToString(field, 0), QString());
    QCOMPARE(QByteArrayExtensions::arrToString(nullptr, 5), QString());

    const QByteArray withZero("ab\0cd", 5);
    QCOMPARE(Base64::decodeLatin1(Base64::codeQByteArray(withZero)), QStringLiteral("ab"));
    QCOMPARE(Base32::decodeQByteArray(Base32::codeQByteArray(withZero)), withZero);
    QCOMPARE(Base32::decodeLatin1(Base32::codeQByteArray(withZero)), QStringLiteral("ab"));
}

void TestCodecs::testPhpCompress()
{
    QCOMPARE(phpCompress(QByteArray()), QByteArray());
    QCOMPARE(phpCompress("hello"), hex("78DACB48CDC9C90700062C0215"));
    QCOMPARE(phpCompress("Wikipedia").right(4), hex("11E60398"));
    QRandomGenerator random(1950);
    for (int i = 0; i < 40; ++i) {
        QByteArray data = randomBytes(random, int(random.bounded(100, 5000)));
        if (i % 2 == 0)
            data = data.left(data.size() / 10).repeated(10);
        const QByteArray stream = phpCompress(data);
        QCOMPARE(stream.left(2), hex("78DA"));
        QCOMPARE(zlibUncompress(stream, data.size()), data);
    }
}

TRELVANIC_TEST_MAIN(TestCodecs)
#include "tst_codecs.moc"
