#include "MetaTagsTestKit.h"
#include "TestMain.h"

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using namespace ZADovuzIdida;
using TagKit::TagModel;

namespace {

// mutagen's view of an MP4 file: one "key value" line per item, covers as "covr <format> <bytes>".
QStringList mp4Items(const QString& path)
{
    const TestKit::ToolResult result = TagKit::python(
        "import sys\nfrom mutagen.mp4 import MP4, MP4Cover\nm = MP4(sys.argv[1])\n"
        "for k, v in sorted((m.tags or {}).items()):\n"
        "    if k == 'covr': print('covr', 'jpeg' if v[0].imageformat == MP4Cover.FORMAT_JPEG else 'png', len(v[0]))\n"
        "    else: print(k, v[0])\n",
        {path});
    if (result.exitCode != 0)
        return {"mutagen failed: " + QString::fromUtf8(result.err)};
    return QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
}

double duration(const QString& path)
{
    return TestKit::runTool("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path})
        .out.trimmed()
        .toDouble();
}

QByteArray jpegOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", -1);
    return bytes;
}

MetaItem findItem(const MetaItemList& items, const QString& key)
{
    for (const MetaItem& item : items) {
        if (NativeMetaTags::keyString(item.key) == key)
            return item;
    }
    return MetaItem();
}

} // namespace

class TestM4aTags : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testNormalizedTrackDiscNumber_data();
    void testNormalizedTrackDiscNumber();
    void testCountPairBytes();
    void testTemplateAndRules();
    void testEachFileItsOwnCover();
    void testCopyIntoM4a();
    void testMp3SourceIntoM4a();
    void testWriteToDispatch();
    void testFailuresKeepTarget();
    void testOnlyLyricist();

private:
    QString makeTarget(const QString& name, int frequency = 440);

    QTemporaryDir m_dir;
    QString m_strSource;
    QString m_strPng;
};

void TestM4aTags::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_strPng = m_dir.filePath("cover.png");
    QVERIFY(TagKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48", "-frames:v", "1", m_strPng}));
    m_strSource = m_dir.filePath("source.m4a");
    QVERIFY(TestKit::makeTone(m_strSource, 1, 44100, 2, {"-c:a", "aac"}));
    const TestKit::ToolResult tagged = TagKit::python(
        "import sys\nfrom mutagen.mp4 import MP4, MP4Cover\nm = MP4(sys.argv[1])\n"
        "m['\\xa9nam'] = ['Title']\nm['\\xa9ART'] = ['Artist']\nm['\\xa9alb'] = ['Album']\n"
        "m['\\xa9wrt'] = ['Composer']\nm['\\xa9day'] = ['2021']\nm['\\xa9gen'] = ['Jazz']\n"
        "m['\\xa9cmt'] = ['Comment']\nm['\\xa9grp'] = ['Group']\nm['\\xa9too'] = ['Encoder']\n"
        "m['cprt'] = ['(c) Someone']\nm['trkn'] = [(3, 12)]\nm['disk'] = [(1, 2)]\nm['tmpo'] = [120]\n"
        "m['aART'] = ['Not copied']\n"
        "m['covr'] = [MP4Cover(open(sys.argv[2], 'rb').read(), MP4Cover.FORMAT_PNG)]\nm.save()\n",
        {m_strSource, m_strPng});
    QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
}

QString TestM4aTags::makeTarget(const QString& name, int frequency)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    if (!TestKit::makeTone(path, 1.5, 44100, 2, {"-c:a", "aac"}, nullptr, frequency))
        return QString();
    return path;
}

void TestM4aTags::testNormalizedTrackDiscNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("pair") << "3/12" << "3/12";
    QTest::newRow("single") << "5" << "5/5";
    QTest::newRow("no total") << "3/" << "3/0";
    QTest::newRow("no number") << "/12" << "0/12";
    QTest::newRow("three parts") << "1/2/3" << "1/3";
    QTest::newRow("letters") << "a/b" << "0/0";
    QTest::newRow("letter") << "x" << "0/0";
    QTest::newRow("empty") << "" << "0/0";
}

void TestM4aTags::testNormalizedTrackDiscNumber()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TagModel().normalizedTrackDiscNumber(text), expected);
}

void TestM4aTags::testCountPairBytes()
{
    TagModel tags;
    QCOMPARE(tags.countPair("3/12", 8).toHex(' '), QByteArray("00 00 00 03 00 0c 00 00"));
    QCOMPARE(tags.countPair("5", 8).toHex(' '), QByteArray("00 00 00 05 00 05 00 00"));
    QCOMPARE(tags.countPair("1/2", 6).toHex(' '), QByteArray("00 00 00 01 00 02"));
    QCOMPARE(tags.countPair("x", 6).toHex(' '), QByteArray("00 00 00 00 00 00"));
    QCOMPARE(tags.countPair("65539/1", 8).toHex(' '), QByteArray("00 00 00 03 00 01 00 00"));
}

void TestM4aTags::testTemplateAndRules()
{
    TagModel tags;
    QStringList names;
    for (const MetaItem& item : tags.builtInTemplate())
        names << (item.commonKey.isEmpty() ? "" : item.commonKey + ":") + NativeMetaTags::keyString(item.key);
    QCOMPARE(names, (QStringList{"artwork:covr", "copyrights:cprt", "artist:@ART", "albumName:@alb", "title:@nam",
                                 "software:@too", "creator:@wrt", "@cmt", "trkn", "disk", "creationDate:@day", "tmpo",
                                 "type:@gen", "@grp"}));

    QVERIFY(tags.m4aItems(tags.builtInTemplate()).isEmpty());
    tags.m_nTempo = 0;
    tags.m_strGrouping = "Live";
    tags.m_strTrackNumber = "5";
    MetaItemList items = tags.m4aItems(tags.builtInTemplate());
    QCOMPARE(items.size(), 3);
    QCOMPARE(findItem(items, "tmpo").value, QVariant(0));
    QCOMPARE(findItem(items, "@grp").value, QVariant(QString("Live")));
    QCOMPARE(findItem(items, "trkn").value.toByteArray().toHex(), QByteArray("0000000500050000"));
    tags.m_nTempo = -1;
    tags.m_strGrouping.clear();
    items = tags.m4aItems(tags.builtInTemplate());
    QCOMPARE(items.size(), 1);

    // The first rule that names the item decides: an empty artist drops it though its key names the composer.
    MetaItem odd;
    odd.key = fourCC(char(0xA9), 'w', 'r', 't');
    odd.commonKey = "artist";
    tags.m_strComposer = "Composer";
    QVERIFY(tags.m4aItems({odd}).isEmpty());
    tags.m_strArtist = "Artist";
    QCOMPARE(tags.m4aItems({odd}).value(0).value, QVariant(QString("Artist")));
    MetaItem unnamed;
    unnamed.key = QString("aART");
    QVERIFY(tags.m4aItems({unnamed}).isEmpty());
}

void TestM4aTags::testEachFileItsOwnCover()
{
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(qRgb(250, 0, 0));
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(qRgb(0, 0, 250));
    QCOMPARE(jpegOf(red).size(), jpegOf(blue).size());
    QVERIFY(jpegOf(red) != jpegOf(blue));

    const QString first = makeTarget("first.m4a");
    const QString second = makeTarget("second.m4a");
    for (const auto& pair : {qMakePair(first, red), qMakePair(second, blue)}) {
        TagModel tags;
        tags.m_imgArtwork = pair.second;
        QCOMPARE(findItem(tags.m4aItems(tags.builtInTemplate()), "covr").value.toByteArray(), jpegOf(pair.second));
        QVERIFY(tags.writeTo(pair.first));
    }
    TagModel readBack;
    readBack.readFrom(second);
    QCOMPARE(readBack.m_strPicType, QString("JPEG"));
    const QRgb pixel = readBack.albumArtwork().pixel(8, 8);
    QVERIFY2(qBlue(pixel) > 200 && qRed(pixel) < 50, qPrintable(QString::number(pixel, 16)));
}

void TestM4aTags::testCopyIntoM4a()
{
    const QString target = makeTarget("my.song.m4a", 660);
    QVERIFY(!target.isEmpty());
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    const QString neighbour = m_dir.filePath("my.song_temp.m4a");
    QVERIFY(QFile::copy(m_strSource, neighbour));
    const QByteArray neighbourBytes = TagKit::readAll(neighbour);
    const QByteArray md5 = TagKit::audioMd5(target);
    const double length = duration(target);
    QVERIFY(!md5.isEmpty());

    TagModel tags;
    QVERIFY(tags.copyAVAssets(m_strSource, target));

    const QStringList items = mp4Items(target);
    QCOMPARE(items, (QStringList{"covr jpeg " + QString::number(jpegOf(QImage(m_strPng)).size()), "cprt (c) Someone",
                                 "disk (1, 2)", "tmpo 120", "trkn (3, 12)", "\u00a9ART Artist", "\u00a9alb Album",
                                 "\u00a9cmt Comment", "\u00a9day 2021", "\u00a9gen Jazz", "\u00a9grp Group",
                                 "\u00a9nam Title", "\u00a9too Encoder", "\u00a9wrt Composer"}));

    const QVariantMap probe = TagKit::ffprobeTags(target);
    QCOMPARE(probe.value("title").toString(), QString("Title"));
    QCOMPARE(probe.value("artist").toString(), QString("Artist"));
    QCOMPARE(probe.value("album").toString(), QString("Album"));
    QCOMPARE(probe.value("track").toString(), QString("3/12"));
    QCOMPARE(probe.value("disc").toString(), QString("1/2"));
    QCOMPARE(probe.value("genre").toString(), QString("Jazz"));
    QCOMPARE(probe.value("date").toString(), QString("2021"));
    QCOMPARE(probe.value("composer").toString(), QString("Composer"));
    QCOMPARE(probe.value("grouping").toString(), QString("Group"));
    QCOMPARE(probe.value("copyright").toString(), QString("(c) Someone"));

    const QJsonObject general = QJsonDocument::fromJson(TestKit::runTool("mediainfo", {"--Output=JSON", target}).out)
                                    .object()["media"].toObject()["track"].toArray().at(0).toObject();
    QCOMPARE(general.value("Title").toString(), QString("Title"));
    QCOMPARE(general.value("Album").toString(), QString("Album"));
    QCOMPARE(general.value("Composer").toString(), QString("Composer"));
    QCOMPARE(general.value("Grouping").toString(), QString("Group"));
    QCOMPARE(general.value("Track_Position").toString(), QString("3"));
    QCOMPARE(general.value("Track_Position_Total").toString(), QString("12"));

    QCOMPARE(TagKit::audioMd5(target), md5);
    QCOMPARE(duration(target), length);
    QCOMPARE(TagKit::readAll(neighbour), neighbourBytes);
    QCOMPARE(QDir(m_dir.path()).entryList({"my.song_temp*"}), QStringList{"my.song_temp.m4a"});
    QCOMPARE(int(QFileInfo(target).permissions() & 0x0FFF), 0x0644);
}

void TestM4aTags::testMp3SourceIntoM4a()
{
    const QString source = m_dir.filePath("source.mp3");
    QVERIFY(TestKit::makeTone(source, 1, 44100, 2, {"-c:a", "libmp3lame"}));
    const TestKit::ToolResult tagged = TagKit::python(
        "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TRCK, TCON, APIC\nt = ID3()\n"
        "t.add(TIT2(encoding=3, text='Mp3 Title'))\nt.add(TPE1(encoding=3, text='Mp3 Artist'))\n"
        "t.add(TRCK(encoding=3, text='7'))\nt.add(TCON(encoding=3, text='17'))\n"
        "t.add(APIC(encoding=3, mime='image/png', type=3, desc='', data=open(sys.argv[2], 'rb').read()))\n"
        "t.save(sys.argv[1])\n",
        {source, m_strPng});
    QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
    const QString target = makeTarget("frommp3.m4a");
    TagModel tags;
    QVERIFY(tags.readFrom(source));
    QVERIFY(tags.writeTo(target));
    const QStringList items = mp4Items(target);
    QVERIFY2(items.contains("\u00a9nam Mp3 Title") && items.contains("\u00a9ART Mp3 Artist") &&
                 items.contains("trkn (7, 7)") && items.contains("\u00a9gen Rock"),
             qPrintable(items.join(" | ")));
    QVERIFY2(items.filter(QRegularExpression("^covr jpeg ")).size() == 1, qPrintable(items.join(" | ")));
}

void TestM4aTags::testWriteToDispatch()
{
    const QString mp3 = m_dir.filePath("Song.MP3");
    QVERIFY(TestKit::makeTone(mp3, 0.5, 44100, 1, {"-c:a", "libmp3lame", "-f", "mp3"}));
    TagModel tags;
    tags.m_strTitle = "Dispatched";
    QVERIFY(tags.writeTo(mp3));
    QVERIFY(TagKit::readAll(mp3).startsWith("ID3\x04"));

    const QString other = makeTarget("song.mp4");
    QVERIFY(tags.writeTo(other));
    QCOMPARE(mp4Items(other), QStringList{"\u00a9nam Dispatched"});
}

void TestM4aTags::testFailuresKeepTarget()
{
    const QString target = makeTarget("keep.m4a");
    const QByteArray before = TagKit::readAll(target);
    TagModel empty;
    QVERIFY(!empty.writeTo(target));
    QCOMPARE(TagKit::readAll(target), before);

    TagModel tags;
    tags.m_strTitle = "x";
    const QString notMp4 = m_dir.filePath("wave.m4a");
    QVERIFY(TestKit::makeTone(notMp4, 0.5, 44100, 1, {"-f", "wav"}));
    const QByteArray wave = TagKit::readAll(notMp4);
    QVERIFY(!tags.writeTo(notMp4));
    QCOMPARE(TagKit::readAll(notMp4), wave);
    QVERIFY(!tags.writeTo(m_dir.filePath("missing.m4a")));
    QVERIFY(!QFile::exists(m_dir.filePath("missing.m4a")));
    QCOMPARE(QDir(m_dir.path()).entryList({"wave_temp*", "missing_temp*", "keep_temp*"}), QStringList());
}

void TestM4aTags::testOnlyLyricist()
{
    const QString target = makeTarget("lyricist.m4a");
    QVERIFY(!mp4Items(target).isEmpty()); // ffmpeg's own encoder item
    TagModel tags;
    tags.m_strLyricist = "Lyricist";
    QVERIFY(tags.isMetaDataAvailable());
    QVERIFY(tags.writeTo(target));
    QCOMPARE(mp4Items(target), QStringList());
    QCOMPARE(TestKit::runTool("ffmpeg", {"-v", "error", "-i", target, "-f", "null", "-"}).exitCode, 0);
}

TRELVANIC_TEST_MAIN(TestM4aTags)
#include "tst_m4atags.moc"
