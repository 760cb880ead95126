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
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <random>
#include <sstream>
#include <string>

using MTools::MStringWrap;

namespace {

MString bytes(const std::string& text)
{
    return MString(text.data(), text.size());
}

std::string toStd(const MString& text)
{
    return std::string(text.constData() ? text.constData() : "", text.length());
}

std::string randomBytes(std::mt19937& random, int nMaxLength, const std::string& alphabet = std::string())
{
    std::uniform_int_distribution<int> lengthDist(0, nMaxLength);
    std::uniform_int_distribution<int> byteDist(0, 255);
    const int nLength = lengthDist(random);
    std::string result;
    for (int i = 0; i < nLength; ++i) {
        if (alphabet.empty())
            result.push_back(static_cast<char>(byteDist(random)));
        else
            result.push_back(alphabet[static_cast<size_t>(byteDist(random)) % alphabet.size()]);
    }
    return result;
}

// "%f" in the C locale, as a reference for the number constructors.
std::string cLocaleFixed(double dValue)
{
    locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    locale_t previous = uselocale(cLocale);
    const int nNeeded = std::snprintf(nullptr, 0, "%f", dValue);
    std::string result(static_cast<size_t>(nNeeded) + 1, '\0');
    std::snprintf(&result[0], result.size(), "%f", dValue);
    result.resize(static_cast<size_t>(nNeeded));
    uselocale(previous);
    freelocale(cLocale);
    return result;
}

template <class Action>
QByteArray thrownText(Action action)
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
    void emptyString()
    {
        MString empty;
        QVERIFY(empty.isEmpty());
        QCOMPARE(empty.length(), uint64_t(0));
        MString other;
        QVERIFY(empty == other);
        QVERIFY(!(empty < other) && !(empty > other));
        QVERIFY(empty <= other && empty >= other);
        std::ostringstream stream;
        empty.printOn(stream);
        empty.print(stream);
        QVERIFY(stream.str().empty());
        empty.reverse();
        QVERIFY(empty.isEmpty());
        QCOMPARE(std::strlen(empty.cStr()), size_t(0));
        QCOMPARE(empty.find(bytes("a")), -1);
    }

    void liveCounterAndIdentity()
    {
        MString probe;
        const uint32_t nBefore = probe.instances();
        {
            MString created;
            QCOMPARE(probe.instances(), nBefore + 1);
            const QByteArray expectedId = "41c69b52-961b-4eee-b5aa-36a830fc3d81" + QByteArray::number(nBefore);
            const MString id = created.objectId();
            QCOMPARE(QByteArray(id.constData(), int(id.length())), expectedId);
            created = bytes("changed");
            created = "again";
            QCOMPARE(toStd(created.objectId()), expectedId.toStdString());
            QCOMPARE(probe.instances(), nBefore + 2);
            MStringWrap wrapped(42);
            MTools::Error error("x");
            QCOMPARE(probe.instances(), nBefore + 4);
            QCOMPARE(int(&probe.counter() == &wrapped.counter()), 1);
        }
        QCOMPARE(probe.instances(), nBefore);
        QCOMPARE(toStd(probe.className()), std::string("MString"));
        QCOMPARE(probe.classUuid().length(), uint64_t(36));
        QCOMPARE(toStd(probe.classUuid()), std::string("41c69b52-961b-4eee-b5aa-36a830fc3d81"));
    }

    void orderingMatchesSignedLexicographicalCompare()
    {
        QVERIFY(bytes("abc") < bytes("abd"));
        QVERIFY(!(bytes("abc") > bytes("abd")));
        QVERIFY(bytes("ab") < bytes("abc"));
        QVERIFY(bytes("abc") > bytes("ab"));
        QVERIFY(bytes("\x80") < bytes("a"));
        QVERIFY(bytes(std::string("a\0b", 3)) != bytes(std::string("a\0c", 3)));

        std::mt19937 random(20240101);
        for (int i = 0; i < 20000; ++i) {
            const std::string a = randomBytes(random, 5, i % 2 ? std::string("a\x80\xff\x01") : std::string());
            const std::string b = i % 7 == 0 ? a : randomBytes(random, 5, i % 2 ? std::string("a\x80\xff\x01") : std::string());
            const std::basic_string<signed char> sa(a.begin(), a.end());
            const std::basic_string<signed char> sb(b.begin(), b.end());
            const bool bLess = std::lexicographical_compare(sa.begin(), sa.end(), sb.begin(), sb.end());
            const bool bGreater = std::lexicographical_compare(sb.begin(), sb.end(), sa.begin(), sa.end());
            const MString ma = bytes(a);
            const MString mb = bytes(b);
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
        QCOMPARE(bytes("abcdef").find(bytes("cd")), 2);
        QCOMPARE(bytes("abc").find(bytes("x")), -1);
        QCOMPARE(bytes("abc").find(bytes("a"), 3), -1);
        QCOMPARE(bytes("abc").find(bytes("c"), 300), -1);
        QCOMPARE(bytes("abc").find(MString(), 1), 1);
        QCOMPARE(bytes("abab").find(bytes("ab"), 1), 2);
        QCOMPARE(bytes(std::string("x\0y", 3)).find(bytes(std::string("\0y", 2))), 1);

        std::mt19937 random(7);
        for (int i = 0; i < 20000; ++i) {
            const std::string text = randomBytes(random, 10, "ab");
            const std::string pattern = randomBytes(random, 4, "ab");
            const uint32_t nFrom = uint32_t(random() % 12);
            const size_t nExpected = text.find(pattern, nFrom);
            const int nWanted = nFrom >= text.size() || nExpected == std::string::npos ? -1 : int(nExpected);
            const int nGot = bytes(text).find(bytes(pattern), nFrom);
            if (nGot != nWanted)
                QFAIL(qPrintable(QStringLiteral("find(%1, %2) in %3: %4, expected %5")
                                     .arg(QString::fromStdString(pattern))
                                     .arg(nFrom)
                                     .arg(QString::fromStdString(text))
                                     .arg(nGot)
                                     .arg(nWanted)));
        }
    }

    void reverseAndCaseChange()
    {
        std::mt19937 random(11);
        for (int i = 0; i < 2000; ++i) {
            const std::string text = randomBytes(random, 40);
            MString reversed = bytes(text);
            reversed.reverse();
            std::string expected = text;
            std::reverse(expected.begin(), expected.end());
            QCOMPARE(toStd(reversed), expected);

            MString upper = bytes(text);
            MString lower = bytes(text);
            upper.toUpper();
            lower.toLower();
            std::string expectedUpper = text;
            std::string expectedLower = text;
            for (char& c : expectedUpper)
                if (c >= 'a' && c <= 'z')
                    c = char(c - 32);
            for (char& c : expectedLower)
                if (c >= 'A' && c <= 'Z')
                    c = char(c + 32);
            QCOMPARE(toStd(upper), expectedUpper);
            QCOMPARE(toStd(lower), expectedLower);
        }
        MString umlaut = bytes("aZ9\xc3\xa4\xc3\x84");
        QCOMPARE(toStd(umlaut.toUpper()), std::string("AZ9\xc3\xa4\xc3\x84"));
        QCOMPARE(toStd(umlaut.toLower()), std::string("az9\xc3\xa4\xc3\x84"));
        MString one = bytes("q");
        QCOMPARE(toStd(one.reverse()), std::string("q"));
    }

    void embeddedZeroByte()
    {
        MString text = bytes(std::string("ab\0cd", 5));
        QCOMPARE(text.length(), uint64_t(5));
        std::ostringstream whole;
        text.printOn(whole);
        QCOMPARE(whole.str(), std::string("ab cd"));
        std::ostringstream head;
        text.print(head);
        QCOMPARE(head.str(), std::string("ab"));
        QVERIFY(text != bytes(std::string("ab\0ce", 5)));
        QVERIFY(text == bytes(std::string("ab\0cd", 5)));
    }

    void terminateKeepsLength()
    {
        MString text = bytes("hello");
        const char* szText = text.cStr();
        QCOMPARE(text.length(), uint64_t(5));
        QCOMPARE(szText[5], '\0');
        QCOMPARE(std::strcmp(szText, "hello"), 0);
        text.append(bytes("!"));
        QCOMPARE(text.length(), uint64_t(6));
        QCOMPARE(std::strcmp(text.cStr(), "hello!"), 0);
    }

    void midAppendAndConcatenation()
    {
        const MString text = bytes("abcdefg");
        QCOMPARE(toStd(text.mid(2, 5)), std::string("cde"));
        QVERIFY(text.mid(3, 3).isEmpty());
        QCOMPARE(toStd(text.mid(-4, 2)), std::string("ab"));
        QCOMPARE(toStd(text.mid(5, 100)), std::string("fg"));
        QVERIFY(text.mid(5, 2).isEmpty());
        QVERIFY(text.mid(50, 60).isEmpty());

        MString twice = bytes("xy");
        twice.append(twice);
        QCOMPARE(toStd(twice), std::string("xyxy"));
        twice += bytes("z");
        twice.add(MString());
        QCOMPARE(toStd(twice), std::string("xyxyz"));
        const MString sum = bytes("ab") + bytes("cd");
        QCOMPARE(toStd(sum), std::string("abcd"));
        MString indexed = bytes("abc");
        indexed[1] = 'X';
        indexed.at(2) = 'Y';
        QCOMPARE(toStd(indexed), std::string("aXY"));
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
        QVERIFY(dir.isValid());
        std::string all;
        for (int i = 0; i < 256; ++i)
            all.push_back(char(i));
        const QByteArray path = QFile::encodeName(dir.filePath("bytes.bin"));
        MString original = bytes(all);
        original.save(path.constData());

        QFile file(dir.filePath("bytes.bin"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(all.data(), int(all.size())));

        MString loaded = bytes("old");
        loaded.load(path.constData());
        QCOMPARE(toStd(loaded), all);

        MString part;
        part.load(path.constData(), 10, 20);
        QCOMPARE(toStd(part), all.substr(10, 20));
        part.load(path.constData(), 250, 10);
        QCOMPARE(part.length(), uint64_t(10));
        QCOMPARE(toStd(part), all.substr(250) + std::string(4, '\0'));

        MString pathString = bytes(path.toStdString());
        MString viaString = bytes("again");
        viaString.save(pathString);
        MString back;
        back.load(pathString);
        QCOMPARE(toStd(back), std::string("again"));

        const QByteArray emptyPath = QFile::encodeName(dir.filePath("empty.bin"));
        MString().save(emptyPath.constData());
        back.load(emptyPath.constData());
        QVERIFY(back.isEmpty());
    }

    void fileErrorsThrowTexts()
    {
        QTemporaryDir dir;
        const QByteArray missingFolder = QFile::encodeName(dir.filePath("no/such/file"));
        const QByteArray folder = QFile::encodeName(dir.path());
        MString text = bytes("keep");
        QCOMPARE(thrownText([&] { text.save(missingFolder.constData()); }), QByteArray("can not create the file"));
        QCOMPARE(thrownText([&] { text.load(missingFolder.constData()); }), QByteArray("can not open the file"));
        QCOMPARE(thrownText([&] { text.load(missingFolder.constData(), 0, 4); }), QByteArray("can not open the file"));
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
        QCOMPARE(toStd(MStringWrap(int64_t(-5000000000))), std::string("-5000000000"));
        QCOMPARE(toStd(MStringWrap(INT_MIN)), std::string("-2147483648"));
        QCOMPARE(toStd(MStringWrap(LLONG_MIN)), std::string("-9223372036854775808"));
        QCOMPARE(toStd(MStringWrap(1.5f)), std::string("1.500000"));
        QCOMPARE(toStd(MStringWrap(-0.25)), std::string("-0.250000"));
        QCOMPARE(toStd(MStringWrap(2.5L)), std::string("2.500000"));
        QCOMPARE(toStd(MStringWrap('z')), std::string("z"));
        QCOMPARE(toStd(MStringWrap("text")), std::string("text"));
        QCOMPARE(toStd(MStringWrap("a\0b", 3)), std::string("a\0b", 3));
        MStringWrap sized(uint64_t(4));
        QCOMPARE(toStd(sized), std::string(4, '\0'));

        std::mt19937 random(3);
        std::uniform_real_distribution<double> exponent(-10, 308);
        for (int i = 0; i < 500; ++i) {
            const double dValue = (i % 2 ? -1 : 1) * std::pow(10.0, exponent(random));
            QCOMPARE(toStd(MStringWrap(dValue)), cLocaleFixed(dValue));
        }
        QCOMPARE(toStd(MStringWrap(1e300)), cLocaleFixed(1e300));
        QVERIFY(MStringWrap(1e300).length() > 300);
    }

    void numberConstructorsIgnoreTheLocale()
    {
        QTemporaryDir dir;
        const QString localeDir = dir.filePath("locales");
        QVERIFY(QDir().mkpath(localeDir));
        QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8", localeDir + "/de_DE.UTF-8"});
        const QByteArray previousPath = qgetenv("LOCPATH");
        qputenv("LOCPATH", QFile::encodeName(localeDir));
        const std::string previousLocale = std::setlocale(LC_ALL, nullptr);
        QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr);
        char szLocal[32];
        std::snprintf(szLocal, sizeof szLocal, "%f", 1.5);
        const std::string localText = szLocal;
        const std::string wrapped = toStd(MStringWrap(1.5f));
        const std::string wrappedLong = toStd(MStringWrap(1234567.125));
        std::setlocale(LC_ALL, previousLocale.c_str());
        if (previousPath.isNull())
            qunsetenv("LOCPATH");
        else
            qputenv("LOCPATH", previousPath);
        QCOMPARE(localText, std::string("1,500000"));
        QCOMPARE(wrapped, std::string("1.500000"));
        QCOMPARE(wrappedLong, std::string("1234567.125000"));
    }

    void errorMessages()
    {
        const MTools::Error error("Null handle");
        QCOMPARE(error.message().length(), uint64_t(11));
        QVERIFY(std::memcmp(error.message().constData(), "Null handle", 11) == 0);
        const MTools::Error copy(error);
        QVERIFY(copy.message().constData() != error.message().constData());
        QVERIFY(copy.message() == error.message());

        MString source = bytes("from a string");
        const MTools::Error fromString(source);
        source.toUpper();
        QCOMPARE(toStd(fromString.message()), std::string("from a string"));
        QVERIFY(MTools::Error(static_cast<const char*>(nullptr)).message().isEmpty());

        bool bCaught = false;
        try {
            throw MTools::Error("thrown");
        } catch (const MTools::Error& caught) {
            bCaught = toStd(caught.message()) == "thrown";
        }
        QVERIFY(bCaught);
    }
};

TRELVANIC_TEST_MAIN(TestMString)
#include "tst_mstring.moc"
