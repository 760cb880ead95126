#include <MTools/vCard.h>

#include "TestMain.h"
#include "FileSizeLimit.h"
#include "Tools.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

// "T:work" style rendering of a parameter list for compact comparisons.
QStringList describe(const QList<vCardParam>& params)
{
    static const char* const names[] = {"T", "E", "C", "O"};
    QStringList out;
    for (const vCardParam& param : params)
        out << QString::fromLatin1(names[param.group()]) + QLatin1Char(':') + param.value();
    return out;
}

vCardParam type(const QString& value) { return vCardParam(value, vCardParam::Type); }

// Parses vCard text with Debian's python3-vobject and returns, per card, the properties as
// objects with name, params, singletonparams and the value components.
const char* const s_szVobjectScript = R"PY(
import sys, json, vobject
out = []
with open(sys.argv[1], encoding='utf-8') as f:
    text = f.read()
for card in vobject.readComponents(text):
    props = []
    for ch in card.getChildren():
        v = ch.value
        if ch.name == 'N':
            v = [v.family, v.given, v.additional, v.prefix, v.suffix]
        elif ch.name == 'ADR':
            v = [v.box, v.extended, v.street, v.city, v.region, v.code, v.country]
        elif ch.name == 'GEO':
            v = v.split(';')
        elif not isinstance(v, list):
            v = [v]
        props.append({'name': ch.name, 'params': ch.params, 'single': ch.singletonparams, 'value': v})
    out.append(props)
print(json.dumps(out))
)PY";

QJsonArray parseWithVobject(const QByteArray& text)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.vcf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QJsonArray();
    file.write(text);
    file.close();
    const TestKit::ToolResult result = TestKit::runTool(
        QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(s_szVobjectScript), path});
    if (result.exitCode != 0)
        qWarning("vobject failed: %s", result.err.constData());
    return QJsonDocument::fromJson(result.out).array();
}

QStringList toStrings(const QJsonValue& value)
{
    QStringList out;
    for (const QJsonValue& item : value.toArray())
        out << item.toString();
    return out;
}

} // namespace

class TestVCard : public QObject
{
    Q_OBJECT

private slots:
    void paramParse_data();
    void paramParse();
    void paramWrite();
    void paramEquality();

    void propertyParse();
    void propertyWrite();
    void propertyValidityAndEquality();
    void propertyFactories();
    void propertyEscapesLineBreaks();
    void standardPropertyLines();

    void cardWrite();
    void cardReadStructure();
    void cardReadLineHandling();
    void cardLookup();
    void cardFiles();
    void cardRoundTrip();
    void vCard21Example();
    void rfc2426Example();
    void vobjectReadsWrittenCards();
};

void TestVCard::paramParse_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("null") << QByteArray() << QStringList();
    QTest::newRow("separators only") << QByteArray(" ; ;;\t;") << QStringList();
    QTest::newRow("mixed") << QByteArray("type=work,voice;PREF;Encoding=b;charset=utf-8")
                           << QStringList{"T:work", "T:voice", "O:PREF", "E:b", "C:utf-8"};
    QTest::newRow("empty type between") << QByteArray("TYPE=work,,home") << QStringList{"T:work", "T:", "T:home"};
    QTest::newRow("type without value") << QByteArray("TYPE=") << QStringList{"T:"};
    QTest::newRow("bare TYPE") << QByteArray("TYPE") << QStringList{"T:TYPE"};
    QTest::newRow("bare ENCODING") << QByteArray("ENCODING") << QStringList{"E:ENCODING"};
    QTest::newRow("bare CHARSET") << QByteArray("charset") << QStringList{"C:charset"};
    QTest::newRow("x-type") << QByteArray("X-TYPE=a") << QStringList{"O:X-TYPE=a"};
    QTest::newRow("type prefix") << QByteArray("TYPEX=a") << QStringList{"T:=a"};
    QTest::newRow("blank after separator") << QByteArray("WORK; TYPE=home") << QStringList{"O:WORK", "O: TYPE=home"};
    QTest::newRow("simplified") << QByteArray("  TYPE=a \t  b ;x  ") << QStringList{"T:a b ", "O:x"};
    QTest::newRow("up to NUL") << QByteArray("HOME;X\0;CELL", 12) << QStringList{"O:HOME", "O:X"};
}

void TestVCard::paramParse()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(vCardParam::fromByteArray(input)), expected);
}

void TestVCard::paramWrite()
{
    const QList<vCardParam> params{type("home"), vCardParam("pref", vCardParam::Other),
                                   vCardParam("b", vCardParam::Encoding), type("voice"),
                                   vCardParam("utf-8", vCardParam::Charset)};
    QCOMPARE(vCardParam::toByteArray(params, Version21), QByteArray("HOME;PREF;ENCODING=B;VOICE;CHARSET=UTF-8"));
    QCOMPARE(vCardParam::toByteArray(params, Version30), QByteArray("TYPE=HOME,VOICE;PREF;CHARSET=UTF-8;ENCODING=B"));
    QCOMPARE(vCardParam::toByteArray(params, vCardVersion(2)), QByteArray());
    QCOMPARE(vCardParam::toByteArray({}, Version21), QByteArray());
    QCOMPARE(vCardParam::toByteArray({}, Version30), QByteArray());

    QCOMPARE(type("home").toByteArray(Version30), QByteArray("TYPE=HOME"));
    QCOMPARE(type("home").toByteArray(Version21), QByteArray("HOME"));
    QCOMPARE(type("home").toByteArray(vCardVersion(-1)), QByteArray());
    QCOMPARE(vCardParam("quoted-printable", vCardParam::Encoding).toByteArray(Version21),
             QByteArray("ENCODING=QUOTED-PRINTABLE"));
    QCOMPARE(vCardParam(QString(), vCardParam::Charset).toByteArray(Version30), QByteArray("CHARSET="));
    QCOMPARE(vCardParam::toByteArray({type("a"), type(QString()), type("b")}, Version30), QByteArray("TYPE=A,,B"));

    // Only ASCII letters are upper-cased; UTF-8 bytes stay as they are.
    const QString accented = QString::fromUtf8("h\xC3\xA9llo");
    QCOMPARE(vCardParam(accented, vCardParam::Other).toByteArray(Version21), QByteArray("H\xC3\xA9LLO"));
    QCOMPARE(vCardParam::toByteArray({type(accented)}, Version30), QByteArray("TYPE=H\xC3\xA9LLO"));
}

void TestVCard::paramEquality()
{
    const vCardParam defaulted;
    QCOMPARE(defaulted.group(), vCardParam::Other);
    QVERIFY(defaulted.value().isNull());
    QVERIFY(!defaulted.isValid());
    QVERIFY(!type(QString("")).isValid());
    QVERIFY(vCardParam("x", vCardParam::Encoding).isValid());

    QVERIFY(type("home") == type("home"));
    QVERIFY(type("home") != vCardParam("home", vCardParam::Other));
    QVERIFY(type("home") != type("HOME"));
    QVERIFY(!(type("home") != type("home")));
}

void TestVCard::propertyParse()
{
    QList<vCardProperty> props = vCardProperty::fromByteArray("TEL;TYPE=work,voice:+1 555 0100");
    QCOMPARE(props.size(), 1);
    QCOMPARE(props[0].name(), QString("TEL"));
    QCOMPARE(describe(props[0].params()), (QStringList{"T:work", "T:voice"}));
    QCOMPARE(props[0].values(), QStringList{"+1 555 0100"});

    props = vCardProperty::fromByteArray("N:Doe;John;;;");
    QCOMPARE(props[0].values(), (QStringList{"Doe", "John", "", "", ""}));
    QCOMPARE(props[0].value(), QString("Doe;John;;;"));

    props = vCardProperty::fromByteArray("NOTE:");
    QCOMPARE(props.size(), 1);
    QCOMPARE(props[0].values(), QStringList{""});
    QVERIFY(props[0].isValid());

    props = vCardProperty::fromByteArray(":value");
    QCOMPARE(props.size(), 1);
    QVERIFY(props[0].name().isEmpty());
    QVERIFY(!props[0].isValid());

    props = vCardProperty::fromByteArray("begin:vcard\nversion:3.0");
    QCOMPARE(props.size(), 2);
    QCOMPARE(props[0].name(), QString("begin"));
    QCOMPARE(props[1].name(), QString("version"));

    props = vCardProperty::fromByteArray(
        "BEGIN:VCARD\nVERSION:2.1\nFN:Jane\nno colon\n\nEMAIL;INTERNET:j@x.org\nEND:VCARD");
    QCOMPARE(props.size(), 2);
    QCOMPARE(props[0].name(), QString("FN"));
    QCOMPARE(props[1].name(), QString("EMAIL"));
    QCOMPARE(describe(props[1].params()), QStringList{"O:INTERNET"});

    props = vCardProperty::fromByteArray("URL;X-A=1:http://a.example/x:y\r");
    QCOMPARE(props[0].values(), QStringList{"http://a.example/x:y\r"});
    QCOMPARE(describe(props[0].params()), QStringList{"O:X-A=1"});

    // A group prefix stays part of the name here; escaped separators and commas are part of the value.
    props = vCardProperty::fromByteArray("item1.ORG:A\\;B;C\\, Inc.\\\\;D");
    QCOMPARE(props[0].name(), QString("item1.ORG"));
    QCOMPARE(props[0].values(), (QStringList{"A;B", "C, Inc.\\", "D"}));
    QCOMPARE(vCardProperty::fromByteArray(QByteArray()).size(), 0);
}

void TestVCard::propertyWrite()
{
    const vCardProperty name("N", QStringList{"Doe", "John", "", "", ""});
    QCOMPARE(name.toByteArray(Version21), QByteArray("N:Doe;John;;;"));
    QCOMPARE(name.toByteArray(Version30), QByteArray("N:Doe;John;;;"));
    QCOMPARE(name.toByteArray(vCardVersion(2)), QByteArray());

    const vCardProperty tel("tel", "555", QList<vCardParam>{type("home"), type("work")});
    QCOMPARE(tel.toByteArray(Version21), QByteArray("TEL;HOME;WORK:555"));
    QCOMPARE(tel.toByteArray(Version30), QByteArray("TEL;TYPE=HOME,WORK:555"));

    const vCardProperty note("note", QString::fromUtf8("Mixed Case; caf\xC3\xA9, a:b"));
    QCOMPARE(note.toByteArray(Version30), QByteArray("NOTE:Mixed Case; caf\xC3\xA9\\, a:b"));
    // Commas separate list items in N and stay as they are there.
    QCOMPARE(vCardProperty("N", QStringList{"Doe", "John,Paul", "a;b"}).toByteArray(Version30),
             QByteArray("N:Doe;John,Paul;a\\;b"));
    QCOMPARE(vCardProperty::createOrganization("Acme, Inc.", {"R&D; Lab"}).toByteArray(Version21),
             QByteArray("ORG:Acme\\, Inc.;R&D\\; Lab"));
    QCOMPARE(vCardProperty(QString(), "x").toByteArray(Version21), QByteArray(":x"));

    const vCardProperty fromText("EMAIL", "a@b.c", QString("type=internet;PREF"));
    QCOMPARE(describe(fromText.params()), (QStringList{"T:internet", "O:PREF"}));
    QCOMPARE(fromText.toByteArray(Version30), QByteArray("EMAIL;TYPE=INTERNET;PREF:a@b.c"));
    const vCardProperty listFromText("ORG", QStringList{"A", "B"}, QString("CHARSET=utf-8"));
    QCOMPARE(listFromText.toByteArray(Version21), QByteArray("ORG;CHARSET=UTF-8:A;B"));
}

void TestVCard::propertyValidityAndEquality()
{
    const vCardProperty defaulted;
    QVERIFY(defaulted.name().isNull());
    QVERIFY(defaulted.values().isEmpty());
    QVERIFY(defaulted.params().isEmpty());
    QVERIFY(!defaulted.isValid());
    QVERIFY(!vCardProperty("FN", QStringList()).isValid());
    QVERIFY(!vCardProperty("FN", "x", QList<vCardParam>{type("")}).isValid());
    QVERIFY(vCardProperty("FN", "x", QList<vCardParam>{type("a")}).isValid());

    const vCardProperty home("TEL", "1", QList<vCardParam>{type("home")});
    const vCardProperty work("TEL", "1", QList<vCardParam>{type("work")});
    QVERIFY(home == work);
    QVERIFY(home != vCardProperty("tel", "1"));
    QVERIFY(home != vCardProperty("TEL", "1;"));
    QVERIFY(!(home != work));
}

void TestVCard::propertyFactories()
{
    vCardProperty prop = vCardProperty::createName("John", "Doe", "", "", "");
    QCOMPARE(prop.name(), QString("N"));
    QCOMPARE(prop.values(), (QStringList{"Doe", "John", "", "", ""}));

    prop = vCardProperty::createAddress("Main St 1", "Town", "", "", "", "", "");
    QCOMPARE(prop.name(), QString("ADR"));
    QCOMPARE(prop.values(), (QStringList{"", "", "Main St 1", "Town", "", "", ""}));
    prop = vCardProperty::createAddress("s", "l", "r", "p", "c", "box", "ext", {type("home")});
    QCOMPARE(prop.values(), (QStringList{"box", "ext", "s", "l", "r", "p", "c"}));
    QCOMPARE(describe(prop.params()), QStringList{"T:home"});

    prop = vCardProperty::createOrganization("Acme; Inc", {"R&D", "Lab"});
    QCOMPARE(prop.name(), QString("ORG"));
    QCOMPARE(prop.values(), (QStringList{"Acme; Inc", "R&D", "Lab"}));

    QCOMPARE(vCardProperty::createBirthday(QDate(1996, 4, 5)).values(), QStringList{"1996-04-05"});
    QCOMPARE(vCardProperty::createBirthday(QDate()).values(), QStringList{""});
    // A birthday with a time is written in UTC.
    const vCardProperty dateTime =
        vCardProperty::createBirthday(QDateTime(QDate(1953, 10, 15), QTime(1, 10, 0), Qt::OffsetFromUTC, 5 * 3600));
    QCOMPARE(dateTime.name(), QString("BDAY"));
    QCOMPARE(dateTime.values(), QStringList{"1953-10-14T20:10:00Z"});
    QCOMPARE(vCardProperty::createBirthday(QDateTime(QDate(1953, 10, 15), QTime(23, 10, 0), Qt::UTC)).values(),
             QStringList{"1953-10-15T23:10:00Z"});
    QCOMPARE(vCardProperty::createBirthday(QDateTime()).values(), QStringList{""});
    const QList<vCardProperty> reread = vCardProperty::fromByteArray(dateTime.toByteArray(Version30));
    QCOMPARE(reread.size(), 1);
    QCOMPARE(reread[0].values(), QStringList{"1953-10-14T20:10:00Z"});

    // Coordinates with six decimals, as the C library's %.6f writes them.
    for (const auto& position : {qMakePair(52.520008, 13.404954), qMakePair(0.0, 0.0), qMakePair(0.00005, -1234567.0),
                                 qMakePair(37.386013, -122.082932)}) {
        QCOMPARE(vCardProperty::createGeographicPosition(position.first, position.second).value(),
                 QString::asprintf("%.6f;%.6f", position.first, position.second));
    }
    QCOMPARE(vCardProperty::createGeographicPosition(52.520008, 13.404954).values(),
             (QStringList{"52.520008", "13.404954"}));
}

void TestVCard::propertyEscapesLineBreaks()
{
    const vCardProperty note("NOTE", QStringList{"line 1\nline 2\r\nC:\\new", "x"});
    QCOMPARE(note.toByteArray(Version21), QByteArray("NOTE:line 1\\nline 2\\nC:\\\\new;x"));

    vCard card;
    card.addProperty(note);
    card.addProperty(vCardProperty("FN", "After"));
    const QByteArray text = card.toByteArray(Version30);
    QCOMPARE(text.count('\n'), 4);
    const QList<vCard> cards = vCard::fromByteArray(text);
    QCOMPARE(cards.size(), 1);
    QCOMPARE(cards[0].count(), 2);
    QCOMPARE(cards[0].properties()[0].values(), (QStringList{"line 1\nline 2\nC:\\new", "x"}));
    QCOMPARE(vCardProperty::fromByteArray("NOTE:a\\Nb\\x").at(0).values(), QStringList{"a\nb\\x"});

    // Line breaks in parameter values cannot end the line either.
    const vCardProperty tel("TEL", "1", QList<vCardParam>{type("home\nwork"), vCardParam("x\r\ny", vCardParam::Other)});
    QCOMPARE(tel.toByteArray(Version30), QByteArray("TEL;TYPE=HOME WORK;X  Y:1"));
    QCOMPARE(tel.toByteArray(Version21), QByteArray("TEL;HOME WORK;X  Y:1"));
    const QList<vCard> withParams = vCard::fromByteArray(vCard({tel}).toByteArray(Version21));
    QCOMPARE(withParams.size(), 1);
    QCOMPARE(describe(withParams[0].properties()[0].params()), (QStringList{"O:HOME WORK", "O:X Y"}));
}

void TestVCard::standardPropertyLines()
{
    // Property examples of RFC 2426, section 3.
    QList<vCardProperty> props =
        vCardProperty::fromByteArray("N:Public;John;Quinlan;Mr.;Esq.\n"
                                     "ADR;TYPE=dom,home,postal,parcel:;;123 Main Street;Any Town;CA;91921-1234\n"
                                     "TEL;TYPE=work,voice,pref,msg:+1-213-555-1234\n"
                                     "EMAIL;TYPE=internet,pref:jane_doe@abc.com\n"
                                     "GEO:37.386013;-122.082932\n"
                                     "BDAY:1996-04-15\n"
                                     "PHOTO;VALUE=uri:http://www.abc.com/pub/photos/jqpublic.gif");
    QCOMPARE(props.size(), 7);
    QCOMPARE(props[0].values(), (QStringList{"Public", "John", "Quinlan", "Mr.", "Esq."}));
    QCOMPARE(props[1].values(), (QStringList{"", "", "123 Main Street", "Any Town", "CA", "91921-1234"}));
    QCOMPARE(describe(props[1].params()), (QStringList{"T:dom", "T:home", "T:postal", "T:parcel"}));
    QCOMPARE(props[2].toByteArray(Version30), QByteArray("TEL;TYPE=WORK,VOICE,PREF,MSG:+1-213-555-1234"));
    QCOMPARE(props[2].toByteArray(Version21), QByteArray("TEL;WORK;VOICE;PREF;MSG:+1-213-555-1234"));
    QCOMPARE(props[4].values(), (QStringList{"37.386013", "-122.082932"}));
    QCOMPARE(props[5], vCardProperty::createBirthday(QDate(1996, 4, 15)));
    QCOMPARE(describe(props[6].params()), QStringList{"O:VALUE=uri"});
    QCOMPARE(props[6].value(), QString("http://www.abc.com/pub/photos/jqpublic.gif"));
}

void TestVCard::cardWrite()
{
    const vCard empty;
    QCOMPARE(empty.toByteArray(Version21), QByteArray("BEGIN:VCARD\nVERSION:2.1\nEND:VCARD"));
    QCOMPARE(empty.toByteArray(Version30), QByteArray("BEGIN:VCARD\nVERSION:3.0\nEND:VCARD"));
    QCOMPARE(empty.toByteArray(vCardVersion(2)), QByteArray());
    QVERIFY(!empty.isValid());
    QCOMPARE(empty.count(), 0);

    vCard card({vCardProperty::createName("John", "Doe", "", "", "")});
    card.addProperties({vCardProperty("FN", "John Doe"), vCardProperty("TEL", "555", QList<vCardParam>{type("cell")})});
    QCOMPARE(card.toByteArray(Version30),
             QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Doe;John;;;\nFN:John Doe\nTEL;TYPE=CELL:555\nEND:VCARD"));
    QCOMPARE(card.toByteArray(Version21),
             QByteArray("BEGIN:VCARD\nVERSION:2.1\nN:Doe;John;;;\nFN:John Doe\nTEL;CELL:555\nEND:VCARD"));
    QVERIFY(card.isValid());

    vCard copy(card);
    copy.addProperty(vCardProperty("NOTE", QStringList()));
    QCOMPARE(card.count(), 3);
    QCOMPARE(copy.count(), 4);
    QVERIFY(!copy.isValid());
    vCard assigned;
    assigned = copy;
    QCOMPARE(assigned.properties().size(), 4);
}

void TestVCard::cardReadStructure()
{
    const QByteArray text = "junk before\nBEGIN:VCARD\nVERSION:3.0\nFN:One\nEND:VCARD\nFN:between\n"
                            "BEGIN:VCARD\nVERSION:2.1\nFN:Two\nTEL:2\nBEGIN:VCARD\nEND:VCARD\nFN:after\n"
                            "begin:vcard\nversion:3.0\nFN:lower\nend:vCard\nBEGIN:VCARD\nFN:never closed\n";
    const QList<vCard> cards = vCard::fromByteArray(text);
    QCOMPARE(cards.size(), 3);
    QCOMPARE(cards[2].count(), 1);
    QCOMPARE(cards[2].properties()[0].value(), QString("lower"));
    QCOMPARE(cards[0].count(), 1);
    QCOMPARE(cards[0].properties()[0].value(), QString("One"));
    QCOMPARE(cards[1].count(), 2);
    QCOMPARE(cards[1].properties()[1].name(), QString("TEL"));
    QVERIFY(!cards[1].contains("VERSION"));
    QCOMPARE(cards[1].toByteArray(Version30), QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Two\nTEL:2\nEND:VCARD"));

    const QList<vCard> spaced = vCard::fromByteArray("  BEGIN:VCARD \r\nFN:A  B\r\n\tEND:VCARD\r\n");
    QCOMPARE(spaced.size(), 1);
    QCOMPARE(spaced[0].properties()[0].value(), QString("A B"));
    QCOMPARE(vCard::fromByteArray(QByteArray()).size(), 0);
}

void TestVCard::cardReadLineHandling()
{
    const QByteArray text = "BEGIN:VCARD\n"
                            "PHOTO;ENCODING=BASE64;TYPE=GIF:R0lG  \n"
                            "  ODlh\n"
                            " AAAA  \n"
                            " BBBB\n"
                            "PHOTO;ENCODING=b:CCCC\n"
                            " DDDD\n"
                            "END:VCARD\n"
                            "BEGIN:VCARD\n"
                            "PHOTO;VALUE=uri:http://x/p.gif  \n"
                            "item1.TEL;TYPE=CELL:123\n"
                            "item.TEL:1\n"
                            "Item1.TEL:2\n"
                            "itemA.TEL:3\n"
                            "ITEM22.EMAIL:m@x\n"
                            "NOTE:first part\r\n"
                            "  second: part,\r\n"
                            "\tthird\r\n"
                            "PHOTO;ENCODING=b:AAAA\n"
                            "    BBBB\n"
                            "END:VCARD";
    const QList<vCard> cards = vCard::fromByteArray(text);
    QCOMPARE(cards.size(), 2);
    QCOMPARE(cards[0].count(), 2);
    const vCardProperty photo = cards[0].properties()[0];
    QCOMPARE(photo.value(), QString("R0lGODlhAAAABBBB"));
    QCOMPARE(cards[0].properties()[1].value(), QString("CCCCDDDD"));
    QCOMPARE(describe(photo.params()), (QStringList{"E:BASE64", "T:GIF"}));

    QStringList lines;
    for (const vCardProperty& prop : cards[1].properties())
        lines << QString::fromUtf8(prop.toByteArray(Version30));
    QCOMPARE(lines, (QStringList{"PHOTO;VALUE=URI:http://x/p.gif", "TEL;TYPE=CELL:123", "ITEM.TEL:1", "ITEM1.TEL:2",
                                 "ITEMA.TEL:3", "EMAIL:m@x", "NOTE:first part second: part\\,third",
                                 "PHOTO;ENCODING=B:AAAABBBB"}));
    QCOMPARE(cards[1].properties()[2].name(), QString("item.TEL"));

    // A photo block still open at the end is left as it was.
    const QList<vCard> open = vCard::fromByteArray("BEGIN:VCARD\nPHOTO:a\n b\nEND:VCARD\nBEGIN:VCARD\nPHOTO:x\n y");
    QCOMPARE(open.size(), 1);
    QCOMPARE(open[0].properties()[0].value(), QString("ab"));
}

void TestVCard::cardLookup()
{
    const vCardProperty home("TEL", "1", QList<vCardParam>{type("home"), type("voice")});
    const vCardProperty work("TEL", "2", QList<vCardParam>{type("work")});
    const vCardProperty plain("TEL", "3");
    const vCard card({home, work, plain, vCardProperty("FN", "X")});

    QCOMPARE(card.property("TEL").value(), QString("1"));
    QCOMPARE(card.property("TEL", {}, true).value(), QString("3"));
    QCOMPARE(card.property("TEL", {type("work")}).value(), QString("2"));
    QCOMPARE(card.property("TEL", {type("voice")}).value(), QString("1"));
    QCOMPARE(card.property("TEL", {type("voice"), type("home")}).value(), QString("1"));
    QVERIFY(!card.contains("TEL", {type("voice"), type("home")}, true));
    QVERIFY(card.contains("TEL", {type("home"), type("voice")}, true));
    QVERIFY(!card.contains("tel"));
    QVERIFY(!card.contains("TEL", {type("fax")}));
    const vCardProperty missing = card.property("EMAIL");
    QVERIFY(missing.name().isNull());
    QVERIFY(missing.values().isEmpty());

    QVERIFY(card.contains(vCardProperty("TEL", "2")));
    QVERIFY(!card.contains(vCardProperty("TEL", "4")));
}

void TestVCard::cardFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("card.vcf");
    vCard card({vCardProperty("FN", QString::fromUtf8("J\xC3\xBCrgen"))});
    QVERIFY(card.saveToFile(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN:J\xC3\xBCrgen\nEND:VCARD"));
    file.close();

    const QList<vCard> cards = vCard::fromFile(path);
    QCOMPARE(cards.size(), 1);
    QCOMPARE(cards[0].properties()[0].value(), QString::fromUtf8("J\xC3\xBCrgen"));

    QVERIFY(!card.saveToFile(dir.filePath("missing/dir/card.vcf")));
    QVERIFY(vCard::fromFile(dir.filePath("missing.vcf")).isEmpty());

    // Write errors are reported; a failed save leaves the earlier file as it was.
    QVERIFY(!card.saveToFile("/dev/full"));
    const vCard big({vCardProperty("NOTE", QString(4096, QLatin1Char('x')))});
    {
        TestKit::FileSizeLimit limit(1024);
        QVERIFY(limit.isActive());
        QVERIFY(!big.saveToFile(path));
    }
    QCOMPARE(vCard::fromFile(path).value(0).properties().value(0).value(), QString::fromUtf8("J\xC3\xBCrgen"));
}

void TestVCard::cardRoundTrip()
{
    vCard card;
    card.addProperty(vCardProperty::createName("Ana",
                                               "Garc\xC3\xAD"
                                               "a",
                                               "Mar\xC3\xAD"
                                               "a",
                                               "Dr.", ""));
    card.addProperty(vCardProperty("FN", QString::fromUtf8("Dr. Ana Garc\xC3\xAD"
                                                           "a")));
    card.addProperty(vCardProperty::createAddress("Calle 1", "Madrid", "", "28001", "Spain", "", "",
                                                  {type("work"), type("postal")}));
    card.addProperty(vCardProperty::createOrganization("Acme", {"R&D"}));
    card.addProperty(vCardProperty::createGeographicPosition(40.4168, -3.7038));
    card.addProperty(vCardProperty::createBirthday(QDate(1980, 2, 29)));
    card.addProperty(vCardProperty("EMAIL", "ana@example.org", QList<vCardParam>{type("internet")}));
    card.addProperty(vCardProperty("NOTE", "two\nlines"));

    for (vCardVersion version : {Version21, Version30}) {
        const QList<vCard> cards = vCard::fromByteArray(card.toByteArray(version));
        QCOMPARE(cards.size(), 1);
        const QList<vCardProperty> in = card.properties();
        const QList<vCardProperty> out = cards[0].properties();
        QCOMPARE(out.size(), in.size());
        for (int i = 0; i < in.size(); ++i) {
            QCOMPARE(out[i], in[i]);
            QCOMPARE(out[i].params().size(), in[i].params().size());
        }
        QCOMPARE(cards[0].toByteArray(version), card.toByteArray(version));
    }
}

void TestVCard::vCard21Example()
{
    // The example card of the vCard 2.1 standard.
    const QByteArray text = "BEGIN:VCARD\r\n"
                            "VERSION:2.1\r\n"
                            "N:Smith;John;M.;Mr.;Esq.\r\n"
                            "TEL;WORK;VOICE;MSG:+1 (919) 555-1234\r\n"
                            "TEL;CELL:+1 (919) 554-6758\r\n"
                            "TEL;WORK;FAX:+1 (919) 555-9876\r\n"
                            "ADR;WORK;PARCEL;POSTAL;DOM:Suite 101;1 Central St.;Any Town;NC;27654\r\n"
                            "END:VCARD\r\n";
    const QList<vCard> cards = vCard::fromByteArray(text);
    QCOMPARE(cards.size(), 1);
    const vCard& card = cards[0];
    QCOMPARE(card.count(), 5);
    QCOMPARE(card.property("N").values(), (QStringList{"Smith", "John", "M.", "Mr.", "Esq."}));
    const QList<vCardParam> workFax{vCardParam("WORK", vCardParam::Other), vCardParam("FAX", vCardParam::Other)};
    QCOMPARE(card.property("TEL", workFax).value(), QString("+1 (919) 555-9876"));
    QCOMPARE(card.property("TEL", {vCardParam("WORK", vCardParam::Other)}).value(), QString("+1 (919) 555-1234"));
    QCOMPARE(card.property("ADR").values().size(), 5);
    QCOMPARE(card.toByteArray(Version21), QByteArray(text).replace("\r", "").chopped(1));
}

void TestVCard::rfc2426Example()
{
    // The two example cards of RFC 2426, section 7, as printed there (with CRLF line ends).
    const QByteArray text = "BEGIN:vCard\r\n"
                            "VERSION:3.0\r\n"
                            "FN:Frank Dawson\r\n"
                            "ORG:Lotus Development Corporation\r\n"
                            "ADR;TYPE=WORK,POSTAL,PARCEL:;;6544 Battleford Drive\r\n"
                            " ;Raleigh;NC;27613-3502;U.S.A.\r\n"
                            "TEL;TYPE=VOICE,MSG,WORK:+1-919-676-9515\r\n"
                            "TEL;TYPE=FAX,WORK:+1-919-676-9564\r\n"
                            "EMAIL;TYPE=INTERNET,PREF:Frank_Dawson@Lotus.com\r\n"
                            "EMAIL;TYPE=INTERNET:fdawson@earthlink.net\r\n"
                            "URL:http://home.earthlink.net/~fdawson\r\n"
                            "END:vCard\r\n"
                            "\r\n"
                            "\r\n"
                            "BEGIN:vCard\r\n"
                            "VERSION:3.0\r\n"
                            "FN:Tim Howes\r\n"
                            "ORG:Netscape Communications Corp.\r\n"
                            "ADR;TYPE=WORK:;;501 E. Middlefield Rd.;Mountain View;\r\n"
                            " CA; 94043;U.S.A.\r\n"
                            "TEL;TYPE=VOICE,MSG,WORK:+1-415-937-3419\r\n"
                            "TEL;TYPE=FAX,WORK:+1-415-528-4164\r\n"
                            "EMAIL;TYPE=INTERNET:howes@netscape.com\r\n"
                            "END:vCard\r\n";
    const QList<vCard> cards = vCard::fromByteArray(text);
    QCOMPARE(cards.size(), 2);

    QStringList lines;
    for (const vCard& card : cards) {
        for (const vCardProperty& prop : card.properties())
            lines << QString::fromUtf8(prop.toByteArray(Version30));
        lines << "--";
    }
    QCOMPARE(lines, (QStringList{"FN:Frank Dawson", "ORG:Lotus Development Corporation",
                                 "ADR;TYPE=WORK,POSTAL,PARCEL:;;6544 Battleford Drive;Raleigh;NC;27613-3502;U.S.A.",
                                 "TEL;TYPE=VOICE,MSG,WORK:+1-919-676-9515", "TEL;TYPE=FAX,WORK:+1-919-676-9564",
                                 "EMAIL;TYPE=INTERNET,PREF:Frank_Dawson@Lotus.com",
                                 "EMAIL;TYPE=INTERNET:fdawson@earthlink.net", "URL:http://home.earthlink.net/~fdawson",
                                 "--", "FN:Tim Howes", "ORG:Netscape Communications Corp.",
                                 "ADR;TYPE=WORK:;;501 E. Middlefield Rd.;Mountain View;CA; 94043;U.S.A.",
                                 "TEL;TYPE=VOICE,MSG,WORK:+1-415-937-3419", "TEL;TYPE=FAX,WORK:+1-415-528-4164",
                                 "EMAIL;TYPE=INTERNET:howes@netscape.com", "--"}));
    QCOMPARE(cards[0].property("ADR").values(),
             (QStringList{"", "", "6544 Battleford Drive", "Raleigh", "NC", "27613-3502", "U.S.A."}));
    QCOMPARE(cards[1].property("ADR").values(),
             (QStringList{"", "", "501 E. Middlefield Rd.", "Mountain View", "CA", " 94043", "U.S.A."}));
    QCOMPARE(cards[0].property("EMAIL", {type("INTERNET")}, true).value(), QString("fdawson@earthlink.net"));
}

void TestVCard::vobjectReadsWrittenCards()
{
    vCard card;
    card.addProperty(vCardProperty::createName("John", "Doe", "Q", "Mr.", "Jr."));
    card.addProperty(vCardProperty("FN", QString::fromUtf8("John Q. D\xC3\xB6"
                                                           "e")));
    card.addProperty(vCardProperty("TEL", "+1 555 0100", QList<vCardParam>{type("home"), type("voice")}));
    card.addProperty(vCardProperty::createAddress("Main St 1", "Town", "ST", "12345", "Land", "", "", {type("work")}));
    card.addProperty(vCardProperty::createOrganization("Acme, Inc.", {"R&D; Lab", "Unit"}));
    card.addProperty(vCardProperty::createBirthday(QDate(1970, 1, 2)));
    card.addProperty(
        vCardProperty::createBirthday(QDateTime(QDate(1970, 1, 2), QTime(3, 4, 5), Qt::OffsetFromUTC, -7200)));
    card.addProperty(vCardProperty::createGeographicPosition(52.520008, -13.404954));
    card.addProperty(vCardProperty("NOTE", "line one, still\nline two \\ end"));

    for (vCardVersion version : {Version21, Version30}) {
        QByteArray text = card.toByteArray(version);
        text += '\n' + text;
        const QJsonArray cards = parseWithVobject(text);
        QCOMPARE(cards.size(), 2);
        const QJsonArray props = cards.at(1).toArray();
        QCOMPARE(props.size(), card.count() + 1);

        QCOMPARE(props.at(0).toObject().value("name").toString(), QString("VERSION"));
        QCOMPARE(toStrings(props.at(0).toObject().value("value")), QStringList{version == Version21 ? "2.1" : "3.0"});
        for (int i = 0; i < card.count(); ++i) {
            const vCardProperty prop = card.properties().at(i);
            const QJsonObject parsed = props.at(i + 1).toObject();
            QCOMPARE(parsed.value("name").toString(), prop.name());
            QCOMPARE(toStrings(parsed.value("value")), prop.values());
            QStringList types;
            for (const vCardParam& param : prop.params())
                types << param.value().toUpper();
            const QStringList readTypes = version == Version21
                                              ? toStrings(parsed.value("single"))
                                              : toStrings(parsed.value("params").toObject().value("TYPE"));
            QCOMPARE(readTypes, types);
        }
    }
}

TRELVANIC_TEST_MAIN(TestVCard)
#include "tst_vcard.moc"
