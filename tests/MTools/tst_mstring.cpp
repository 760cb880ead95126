#include "TestMain.h"

#include <MTools/Error.h>
#include <MTools/MString.h>
#include <MTools/MStringWrap.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <random>
#include <sstream>
#include <string>

using MTools::MStringWrap;

namespace {

MString bytes(const std::string& text) { return MString(text.data(), text.size()); }

std::string toStd(const MString& text) { return std::string(text.constData() ? text.constData() : "", text.length()); }

std::string randomBytes(std::mt19937& random, int nMaxLength, const std::string& alphabet)
{
    std::string result(random() % (nMaxLength + 1), '\0');
    for (char& c : result)
        c = alphabet.empty() ? char(random()) : alphabet[random() % alphabet.size()];
    return result;
}

// "%f" of glibc in the C locale.
std::string cLocaleFixed(double dValue)
{
    locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    locale_t previous = uselocale(cLocale);
    std::string result(std::snprintf(nullptr, 0, "%f", dValue) + 1, '\0');
    result.resize(std::snprintf(&result[0], result.size(), "%f", dValue));
    uselocale(previous);
    freelocale(cLocale);
    return result;
}

template <class Action> QByteArray thrownText(Action action)
{
    try {
        action();
    } catch (const char* szText) {
        return QByteArray(szText);
    }
    return QByteArray();
}

} // namespace

class TestMString : public QObject
{
    Q_OBJECT

private slots:
    void liveCounterAndIdentity()
    {
        MString probe;
        const uint32_t nBefore = probe.instances();
        {
            MString created;
            const std::string expectedId = "41c69b52-961b-4eee-b5aa-36a830fc3d81" + std::to_string(nBefore);
            QCOMPARE(toStd(created.objectId()), expectedId);
            created = bytes("changed");
            created = "again";
            QCOMPARE(toStd(created.objectId()), expectedId);
            MStringWrap wrapped(42);
            MTools::Error error("x");
            QCOMPARE(probe.instances(), nBefore + 3);
        }
        QCOMPARE(probe.instances(), nBefore);
        QCOMPARE(toStd(probe.className()), std::string("MString"));
        QCOMPARE(toStd(probe.classUuid()), std::string("41c69b52-961b-4eee-b5aa-36a830fc3d81"));
    }

    // Bytes compare as signed chars, unlike memcmp.
    void orderingMatchesSignedLexicographicalCompare()
    {
        QVERIFY(bytes("abc") < bytes("abd"));
        QVERIFY(bytes("ab") < bytes("abc"));
        QVERIFY(bytes("\x80") < bytes("a"));
        std::mt19937 random(20240101);
        for (int i = 0; i < 20000; ++i) {
            const std::string alphabet = i % 2 ? std::string("a\x80\xff\x01") : std::string();
            const std::string a = randomBytes(random, 5, alphabet);
            const std::string b = i % 7 == 0 ? a : randomBytes(random, 5, alphabet);
            const std::basic_string<signed char> sa(a.begin(), a.end()), sb(b.begin(), b.end());
            const bool bLess = std::lexicographical_compare(sa.begin(), sa.end(), sb.begin(), sb.end());
            const bool bGreater = std::lexicographical_compare(sb.begin(), sb.end(), sa.begin(), sa.end());
            const MString ma = bytes(a), mb = bytes(b);
            QCOMPARE(ma < mb, bLess);
            QCOMPARE(ma > mb, bGreater);
            QCOMPARE(ma == mb, a == b);
            QCOMPARE(ma != mb, a != b);
            QCOMPARE(ma <= mb, !bGreater);
            QCOMPARE(ma >= mb, !bLess);
        }
    }

    void findMatchesStdFind()
    {
        QCOMPARE(bytes("aab").find(bytes("ab")), 1);
        QCOMPARE(bytes("abc").find(bytes("a"), 3), -1);
        QCOMPARE(bytes("abc").find(MString(), 1), 1);
        QCOMPARE(bytes(std::string("x\0y", 3)).find(bytes(std::string("\0y", 2))), 1);
        std::mt19937 random(7);
        for (int i = 0; i < 20000; ++i) {
            const std::string text = randomBytes(random, 10, "ab");
            const std::string pattern = randomBytes(random, 4, "ab");
            const uint32_t nFrom = uint32_t(random() % 12);
            const size_t nExpected = text.find(pattern, nFrom);
            const int nWanted = nFrom >= text.size() || nExpected == std::string::npos ? -1 : int(nExpected);
            QVERIFY2(bytes(text).find(bytes(pattern), nFrom) == nWanted,
                     qPrintable(QStringLiteral("%1 in %2 from %3").arg(pattern.c_str(), text.c_str()).arg(nFrom)));
        }
    }

    // ASCII only: UTF-8 bytes of umlauts stay as they are.
    void reverseAndCaseChange()
    {
        std::mt19937 random(11);
        for (int i = 0; i < 2000; ++i) {
            const std::string text = randomBytes(random, 40, std::string());
            std::string expected = text, expectedUpper = text, expectedLower = text;
            std::reverse(expected.begin(), expected.end());
            for (char& c : expectedUpper)
                c = c >= 'a' && c <= 'z' ? char(c - 32) : c;
            for (char& c : expectedLower)
                c = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
            QCOMPARE(toStd(bytes(text).reverse()), expected);
            QCOMPARE(toStd(bytes(text).toUpper()), expectedUpper);
            QCOMPARE(toStd(bytes(text).toLower()), expectedLower);
        }
        MString umlaut = bytes("aZ9\xc3\xa4\xc3\x84");
        QCOMPARE(toStd(umlaut.toUpper()), std::string("AZ9\xc3\xa4\xc3\x84"));
        QCOMPARE(toStd(umlaut.toLower()), std::string("az9\xc3\xa4\xc3\x84"));
    }

    void zeroBytesTerminatorAndMid()
    {
        const MString text = bytes(std::string("ab\0cd", 5));
        QCOMPARE(text.length(), uint64_t(5));
        std::ostringstream whole, head;
        text.printOn(whole);
        text.print(head);
        QCOMPARE(whole.str(), std::string("ab cd"));
        QCOMPARE(head.str(), std::string("ab"));

        MString hello = bytes("hello");
        QCOMPARE(std::strcmp(hello.cStr(), "hello"), 0);
        QCOMPARE(hello.length(), uint64_t(5));
        hello.append(bytes("!"));
        QCOMPARE(std::strcmp(hello.cStr(), "hello!"), 0);

        // mid takes an end position, clamped to the text.
        const MString letters = bytes("abcdefg");
        QCOMPARE(toStd(letters.mid(2, 5)), std::string("cde"));
        QCOMPARE(toStd(letters.mid(-4, 2)), std::string("ab"));
        QCOMPARE(toStd(letters.mid(5, 100)), std::string("fg"));
        QVERIFY(letters.mid(5, 2).isEmpty() && letters.mid(50, 60).isEmpty());

        MString twice = bytes("xy");
        twice.append(twice);
        QCOMPARE(toStd(twice + bytes("z")), std::string("xyxyz"));
    }

    void assignmentFromOwnBuffer()
    {
        MString text = bytes("abcdef");
        text = text.cStr() + 2;
        QCOMPARE(toStd(text), std::string("cdef"));
        MString& alias = text;
        text = alias;
        QCOMPARE(toStd(text), std::string("cdef"));
        text = static_cast<const char*>(nullptr);
        QVERIFY(text.isEmpty());
    }

    void saveAndLoad()
    {
        QTemporaryDir dir;
        std::string all;
        for (int i = 0; i < 256; ++i)
            all.push_back(char(i));
        const QByteArray path = QFile::encodeName(dir.filePath("bytes.bin"));
        bytes(all).save(path.constData());
        QFile file(dir.filePath("bytes.bin"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(all.data(), int(all.size())));

        MString loaded = bytes("old");
        QCOMPARE(toStd(loaded.load(path.constData())), all);
        QCOMPARE(toStd(loaded.load(path.constData(), 10, 20)), all.substr(10, 20));
        // Past the end of the file the tail is zero-filled.
        QCOMPARE(toStd(loaded.load(path.constData(), 250, 10)), all.substr(250) + std::string(4, '\0'));
        MString().save(path.constData());
        QVERIFY(loaded.load(path.constData()).isEmpty());
    }

    void fileErrorsThrowTexts()
    {
        QTemporaryDir dir;
        const QByteArray missing = QFile::encodeName(dir.filePath("no/such/file"));
        const QByteArray folder = QFile::encodeName(dir.path());
        MString text = bytes("keep");
        QCOMPARE(thrownText([&] { text.save(missing.constData()); }), QByteArray("can not create the file"));
        QCOMPARE(thrownText([&] { text.load(missing.constData()); }), QByteArray("can not open the file"));
        QCOMPARE(thrownText([&] { text.load(folder.constData()); }), QByteArray("can not open the file"));
        QCOMPARE(thrownText([&] { text.load(folder.constData(), 0, 4); }), QByteArray("can not open the file"));
        QCOMPARE(toStd(text), std::string("keep"));
        // A full device accepts the open but fails the write.
        QCOMPARE(thrownText([&] { text.save("/dev/full"); }), QByteArray("can not write the file"));
    }

    void numberConstructors()
    {
        QCOMPARE(toStd(MStringWrap(42)), std::string("42"));
        QCOMPARE(toStd(MStringWrap(4294967295u)), std::string("4294967295"));
        QCOMPARE(toStd(MStringWrap(5000000000LL)), std::string("5000000000"));
        QCOMPARE(toStd(MStringWrap(INT_MIN)), std::string("-2147483648"));
        QCOMPARE(toStd(MStringWrap(LLONG_MIN)), std::string("-9223372036854775808"));
        QCOMPARE(toStd(MStringWrap(1.5f)), std::string("1.500000"));
        QCOMPARE(toStd(MStringWrap(2.5L)), std::string("2.500000"));
        QCOMPARE(toStd(MStringWrap('z')), std::string("z"));
        QCOMPARE(toStd(MStringWrap("a\0b", 3)), std::string("a\0b", 3));
        // Values far past a fixed formatting area come out whole.
        std::mt19937 random(3);
        for (int i = 0; i < 50; ++i) {
            const double dValue = (i % 2 ? -1 : 1) * std::pow(10.0, -10 + double(random() % 318));
            QCOMPARE(toStd(MStringWrap(dValue)), cLocaleFixed(dValue));
        }
        QCOMPARE(toStd(MStringWrap(1e300)), cLocaleFixed(1e300));
    }

    void numberConstructorsIgnoreTheLocale()
    {
        QTemporaryDir dir;
        const QString localeDir = dir.filePath("locales");
        QVERIFY(QDir().mkpath(localeDir));
        QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8", localeDir + "/de_DE.UTF-8"});
        qputenv("LOCPATH", QFile::encodeName(localeDir));
        const std::string previousLocale = std::setlocale(LC_ALL, nullptr);
        QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr);
        char szLocal[32];
        std::snprintf(szLocal, sizeof szLocal, "%f", 1.5);
        const std::string localText = szLocal;
        const std::string wrapped = toStd(MStringWrap(1234567.125));
        std::setlocale(LC_ALL, previousLocale.c_str());
        qunsetenv("LOCPATH");
        QCOMPARE(localText, std::string("1,500000"));
        QCOMPARE(wrapped, std::string("1234567.125000"));
    }

    void errorCopiesItsMessage()
    {
        const MTools::Error error("Null handle");
        QCOMPARE(error.message().length(), uint64_t(11));
        const MTools::Error copy(error);
        QVERIFY(copy.message().constData() != error.message().constData());
        QVERIFY(copy.message() == error.message());
        MString source = bytes("from a string");
        const MTools::Error fromString(source);
        source.toUpper();
        QCOMPARE(toStd(fromString.message()), std::string("from a string"));
        QVERIFY(MTools::Error(static_cast<const char*>(nullptr)).message().isEmpty());
    }
};

TRELVANIC_TEST_MAIN(TestMString)
#include "tst_mstring.moc"
