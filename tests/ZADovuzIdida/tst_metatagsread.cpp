#include "MetaTagsTestKit.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ZADovuzIdida;
using TagKit::TagModel;

namespace {

MetaItem textItem(const QVariant& key, const QString& commonKey, const QString& text,
                  const QString& keySpace = MetaKeys::KeySpaceiTunes)
{
    MetaItem item;
    item.key = key;
    item.commonKey = commonKey;
    item.keySpace = keySpace;
    item.value = text;
    item.stringValue = text;
    item.hasString = true;
    return item;
}

MetaItem dataItem(const QVariant& key, const QByteArray& bytes, const QString& keySpace = MetaKeys::KeySpaceiTunes)
{
    MetaItem item;
    item.key = key;
    item.keySpace = keySpace;
    item.value = bytes;
    item.dataValue = bytes;
    return item;
}

const char copyrightSign = char(0xA9);

} // namespace

class TestMetaTagsRead : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testKeyString_data();
    void testKeyString();
    void testNsToQString();
    void testKeyTests();
    void testOrderAndLastWins();
    void testCountPairs_data();
    void testCountPairs();
    void testGenre();
    void testTempo();
    void testArtwork();
    void testMissingFile();
    void testMp3_data();
    void testMp3();
    void testM4a();
    void testFlac();
    void testOggVorbis();
    void testVideo_data();
    void testVideo();

private:
    QTemporaryDir m_dir;
    QString m_strPng;
    QString m_strJpeg;
};

void TestMetaTagsRead::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_strPng = m_dir.filePath("cover.png");
    m_strJpeg = m_dir.filePath("cover.jpg");
    QVERIFY(TagKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48", "-frames:v", "1", m_strPng}));
    QVERIFY(TagKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=320x240", "-frames:v", "1", m_strJpeg}));
}

void TestMetaTagsRead::testKeyString_data()
{
    QTest::addColumn<QVariant>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("@alb") << QVariant(fourCC(copyrightSign, 'a', 'l', 'b')) << "@alb";
    QTest::newRow("trkn") << QVariant(fourCC('t', 'r', 'k', 'n')) << "trkn";
    QTest::newRow("three bytes") << QVariant(quint32(0x00616263)) << "abc";
    QTest::newRow("zero") << QVariant(quint32(0)) << "";
    QTest::newRow("zero inside") << QVariant(quint32(0x61006263)) << "a";
    QTest::newRow("one byte") << QVariant(quint32(0x41)) << "A";
    QTest::newRow("text") << QVariant(QString("TIT2")) << "TIT2";
    QTest::newRow("not UTF-8") << QVariant(quint32(0x61A96263)) << "";
    QTest::newRow("other") << QVariant(QByteArray("TIT2")) << "<<unknown>>";
    QTest::newRow("none") << QVariant() << "<<unknown>>";
}

void TestMetaTagsRead::testKeyString()
{
    QFETCH(QVariant, key);
    QFETCH(QString, expected);
    QCOMPARE(NativeMetaTags::keyString(key), expected);
}

void TestMetaTagsRead::testNsToQString()
{
    TagModel tags;
    QCOMPARE(tags.nsToQString("abc"), QString("abc"));
    const ushort misread[] = {0x00FF, 0x41FE, 0x4200, 0x4300};
    QCOMPARE(tags.nsToQString(QString::fromUtf16(misread, 4)), QString("ABC"));
    const ushort bomOnly[] = {0x00FF, 0x00FE};
    QCOMPARE(tags.nsToQString(QString::fromUtf16(bomOnly, 2)), QString(QChar(0)));
    const ushort single[] = {0x00FF};
    QCOMPARE(tags.nsToQString(QString::fromUtf16(single, 1)), QString::fromUtf16(single, 1));
}

void TestMetaTagsRead::testKeyTests()
{
    TagModel tags;
    QVERIFY(tags.isKeyComposer({"@wrt", ""}));
    QVERIFY(tags.isKeyComposer({"x", "creator"}));
    QVERIFY(tags.isKeyCreator({"x", "creator"}));
    QVERIFY(tags.isKeyAlbumArtist({"aArt", ""}));
    QVERIFY(tags.isKeyAlbumArtist({"aART", ""}));
    QVERIFY(!tags.isKeyAlbumArtist({"aarT", ""}));
    QVERIFY(tags.isKeyAlbumArtist({"TSSE", ""}));
    QVERIFY(tags.isKeyEncodingApplication({"TSSE", ""}));
    QVERIFY(tags.isKeyArtist({"", "artist"}));
    QVERIFY(!tags.isKeyArtist({"TPE1", ""}));
    QVERIFY(tags.isKeyComments({"COM", ""}));
    QVERIFY(tags.isKeyYear({"TYE", ""}) && tags.isKeyYear({"@day", ""}) && tags.isKeyYear({"TDRC", ""}));
    QVERIFY(tags.isKeyTempo({"TBP", ""}) && tags.isKeyTrackNumber({"TRK", ""}) && tags.isKeyDiskNumber({"TPA", ""}));
    QVERIFY(tags.isKeyGenre({"", "type"}) && tags.isKeyGenre({"@gen", ""}));
    QVERIFY(!tags.isKeyTitle({"Title", "TITLE"}));

    // Order: the common key creator lands in the composer; TSSE lands in the encoding application.
    tags.m_bFakeItems = true;
    tags.m_lstItems = {textItem("TCOM", "creator", "C", MetaKeys::KeySpaceID3),
                       textItem("TSSE", "", "E", MetaKeys::KeySpaceID3)};
    tags.readFrom("/nowhere");
    QCOMPARE(tags.composer(), QString("C"));
    QVERIFY(tags.m_strCreator.isEmpty());
    QCOMPARE(tags.encodingApplication(), QString("E"));
    QVERIFY(tags.m_strAlbumArtist.isEmpty());
}

void TestMetaTagsRead::testOrderAndLastWins()
{
    TagModel tags;
    tags.m_bFakeItems = true;
    MetaItem noText = textItem(fourCC(copyrightSign, 'a', 'l', 'b'), "albumName", QString());
    noText.hasString = false;
    noText.value = QVariant();
    tags.m_lstItems = {textItem("TIT2", "title", "ID3 title", MetaKeys::KeySpaceID3),
                       textItem(fourCC(copyrightSign, 'n', 'a', 'm'), "title", "iTunes title"),
                       textItem("TALB", "albumName", "Album", MetaKeys::KeySpaceID3), noText,
                       textItem(fourCC(copyrightSign, 'w', 'r', 't'), "", "Writer"),
                       textItem("XXXX", "", "ignored")};
    QVERIFY(tags.readFrom("/some/file.wav"));
    QCOMPARE(tags.m_strInputFile, QString("/some/file.wav"));
    QCOMPARE(tags.title(), QString("iTunes title"));
    QVERIFY(tags.album().isEmpty());
    QCOMPARE(tags.composer(), QString("Writer"));
}

void TestMetaTagsRead::testCountPairs_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("track 8 bytes") << "trkn" << QVariant(QByteArray::fromHex("00000003c0000000")) << "3/49152";
    QTest::newRow("track 3/12") << "trkn" << QVariant(QByteArray::fromHex("00000003000c0000")) << "3/12";
    QTest::newRow("track 0/12") << "trkn" << QVariant(QByteArray::fromHex("00000000000c0000")) << "0/12";
    QTest::newRow("track 6 bytes") << "trkn" << QVariant(QByteArray::fromHex("000000030004")) << "0/0";
    QTest::newRow("track text") << "trkn" << QVariant(QString("7")) << "7";
    QTest::newRow("track number") << "trkn" << QVariant(7) << "kept";
    QTest::newRow("disc 1/2") << "disk" << QVariant(QByteArray::fromHex("000000010002")) << "1/2";
    QTest::newRow("disc 8 bytes") << "disk" << QVariant(QByteArray::fromHex("0000000100020000")) << "0/0";
}

void TestMetaTagsRead::testCountPairs()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    TagModel tags;
    tags.m_strTrackNumber = tags.m_strDiscNumber = "kept";
    MetaItem item;
    item.key = fourCC(key[0].toLatin1(), key[1].toLatin1(), key[2].toLatin1(), key[3].toLatin1());
    item.keySpace = MetaKeys::KeySpaceiTunes;
    item.value = value;
    if (value.userType() == QMetaType::QString) {
        item.stringValue = value.toString();
        item.hasString = true;
    }
    tags.readFromItems({item});
    QCOMPARE(key == "trkn" ? tags.trackNumber() : tags.discNumber(), expected);
}

void TestMetaTagsRead::testGenre()
{
    TagModel tags;
    tags.readFromItems({dataItem(fourCC('g', 'n', 'r', 'e'), QByteArray("\x00\x12", 2))});
    QVERIFY(tags.genre().isEmpty()); // gnre is not a genre key by itself
    MetaItem twoBytes = dataItem(fourCC(copyrightSign, 'g', 'e', 'n'), QByteArray("\x00\x12", 2));
    tags.readFromItems({twoBytes});
    QCOMPARE(tags.genre(), QString("Rock"));

    MetaItem id3 = textItem("TCON", "type", "17", MetaKeys::KeySpaceID3);
    id3.numberValue = 17u;
    tags.readFromItems({id3});
    QCOMPARE(tags.genre(), QString("Rock"));
    MetaItem other = id3;
    other.keySpace = MetaKeys::KeySpaceiTunes;
    tags.readFromItems({other});
    QCOMPARE(tags.genre(), QString("17"));

    // Out of the list: the field keeps its value.
    tags.m_strGenre = "Kept";
    MetaItem tooLarge = id3;
    tooLarge.numberValue = 126u;
    tags.readFromItems({tooLarge, dataItem(fourCC(copyrightSign, 'g', 'e', 'n'), QByteArray("\x00\x00", 2)),
                        dataItem(fourCC(copyrightSign, 'g', 'e', 'n'), QByteArray("\x00\x7F", 2)),
                        dataItem(fourCC(copyrightSign, 'g', 'e', 'n'), QByteArray("\x00\x7F\x00", 3))});
    QCOMPARE(tags.genre(), QString("Kept"));
    tags.readFromItems({dataItem(fourCC(copyrightSign, 'g', 'e', 'n'), QByteArray("\x00\x7E", 2))});
    QCOMPARE(tags.genre(), QString("Dance Hall"));
}

void TestMetaTagsRead::testTempo()
{
    TagModel tags;
    MetaItem number;
    number.key = fourCC('t', 'm', 'p', 'o');
    number.value = 120;
    number.numberValue = 120;
    tags.readFromItems({number});
    QCOMPARE(tags.tempo(), 120);
    tags.readFromItems({textItem("TBPM", "", "98", MetaKeys::KeySpaceID3)});
    QCOMPARE(tags.tempo(), 98);
    tags.readFromItems({dataItem("TBPM", QByteArray("\x01"))});
    QCOMPARE(tags.tempo(), 98);
}

void TestMetaTagsRead::testArtwork()
{
    TagModel tags;
    const QByteArray png = TagKit::readAll(m_strPng);
    MetaItem picture = dataItem(fourCC('c', 'o', 'v', 'r'), png);
    picture.commonKey = "artwork";
    picture.dataType = MetaKeys::DataTypePNG;
    tags.readFromItems({picture});
    QCOMPARE(tags.m_strPicType, QString("PNG"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));

    MetaItem dictionary = picture;
    dictionary.dataType = "whatever";
    dictionary.value = QVariantMap{{"data", TagKit::readAll(m_strJpeg)}};
    dictionary.dataValue.clear();
    tags.readFromItems({dictionary});
    QCOMPARE(tags.m_strPicType, QString("JPEG"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strJpeg));

    MetaItem empty = picture;
    empty.value = QString("not a picture");
    tags.readFromItems({empty});
    QCOMPARE(tags.m_strPicType, QString("PNG"));
    QVERIFY(tags.albumArtwork().isNull());
}

void TestMetaTagsRead::testMissingFile()
{
    TagModel tags;
    tags.m_strTitle = "old";
    QVERIFY(tags.readFrom(m_dir.filePath("missing.mp3")));
    QCOMPARE(tags.m_strInputFile, m_dir.filePath("missing.mp3"));
    QVERIFY(!tags.isMetaDataAvailable());
    const QString plain = m_dir.filePath("plain.wav");
    QVERIFY(TestKit::makeTone(plain, 0.5, 44100, 2, {"-fflags", "+bitexact", "-flags:a", "+bitexact"}));
    QVERIFY(tags.readFrom(plain));
    QVERIFY(!tags.isMetaDataAvailable());
}

void TestMetaTagsRead::testMp3_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("genre");
    QTest::newRow("v2.3") << 3 << "(17)";
    QTest::newRow("v2.4") << 4 << "17";
}

void TestMetaTagsRead::testMp3()
{
    QFETCH(int, version);
    QFETCH(QString, genre);
    const QString path = m_dir.filePath(QString("v2%1.mp3").arg(version));
    QVERIFY(TestKit::makeTone(path, 1, 44100, 2, {"-c:a", "libmp3lame"}));
    const TestKit::ToolResult tagged = TagKit::python(
        "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TALB, TCOM, TRCK, TPOS, TCON, TBPM, TPE2, COMM, APIC\n"
        "t = ID3()\n"
        "t.add(TIT2(encoding=3, text='Title \u00e9'))\nt.add(TPE1(encoding=3, text='Artist'))\n"
        "t.add(TALB(encoding=3, text='Album'))\nt.add(TCOM(encoding=3, text='Composer'))\n"
        "t.add(TRCK(encoding=3, text='3/12'))\nt.add(TPOS(encoding=3, text='1/2'))\n"
        "t.add(TCON(encoding=3, text=sys.argv[3]))\nt.add(TBPM(encoding=3, text='120'))\n"
        "t.add(TPE2(encoding=3, text='Band'))\nt.add(COMM(encoding=3, lang='eng', desc='', text='Comment'))\n"
        "t.add(APIC(encoding=3, mime='image/png', type=3, desc='', data=open(sys.argv[4], 'rb').read()))\n"
        "t.save(sys.argv[1], v2_version=int(sys.argv[2]))\n",
        {path, QString::number(version), genre, m_strPng});
    QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
    if (version == 3)
        QVERIFY(TagKit::readAll(path).contains(QByteArray("(\x00" "1\x00" "7\x00)", 7))); // UTF-16 in v2.3

    TagModel tags;
    QVERIFY(tags.readFrom(path));
    QCOMPARE(tags.title(), QString("Title \u00e9"));
    QCOMPARE(tags.artist(), QString("Artist"));
    QCOMPARE(tags.album(), QString("Album"));
    QCOMPARE(tags.composer(), QString("Composer"));
    QCOMPARE(tags.trackNumber(), QString("3/12"));
    QCOMPARE(tags.discNumber(), QString("1/2"));
    QCOMPARE(tags.genre(), QString("Rock"));
    QCOMPARE(tags.tempo(), 120);
    QCOMPARE(tags.m_strAlbumArtist, QString("Band"));
    QCOMPARE(tags.comments(), QString("Comment"));
    QCOMPARE(tags.m_strPicType, QString("PNG"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));

    const QVariantMap probe = TagKit::ffprobeTags(path);
    QCOMPARE(probe.value("title").toString(), tags.title());
    QCOMPARE(probe.value("artist").toString(), tags.artist());
    QCOMPARE(probe.value("album").toString(), tags.album());
    QCOMPARE(probe.value("composer").toString(), tags.composer());
    QCOMPARE(probe.value("track").toString(), tags.trackNumber());
    QCOMPARE(probe.value("disc").toString(), tags.discNumber());
    QCOMPARE(probe.value("album_artist").toString(), tags.m_strAlbumArtist);
}

void TestMetaTagsRead::testM4a()
{
    const QString path = m_dir.filePath("tagged.m4a");
    QVERIFY(TestKit::makeTone(path, 1, 44100, 2, {"-c:a", "aac"}));
    const TestKit::ToolResult tagged = TagKit::python(
        "import sys\nfrom mutagen.mp4 import MP4, MP4Cover\nm = MP4(sys.argv[1])\n"
        "m['\\xa9nam'] = ['Title']\nm['\\xa9ART'] = ['Artist']\nm['\\xa9alb'] = ['Album']\n"
        "m['\\xa9wrt'] = ['Composer']\nm['\\xa9day'] = ['2021']\nm['\\xa9gen'] = ['Jazz']\n"
        "m['\\xa9cmt'] = ['Comment']\nm['\\xa9grp'] = ['Group']\nm['aART'] = ['Album Artist']\n"
        "m['cprt'] = ['(c) Someone']\nm['trkn'] = [(3, 12)]\nm['disk'] = [(1, 2)]\nm['tmpo'] = [120]\n"
        "m['covr'] = [MP4Cover(open(sys.argv[2], 'rb').read(), MP4Cover.FORMAT_PNG)]\nm.save()\n",
        {path, m_strPng});
    QVERIFY2(tagged.exitCode == 0, tagged.err.constData());

    TagModel tags;
    QVERIFY(tags.readFrom(path));
    QCOMPARE(tags.title(), QString("Title"));
    QCOMPARE(tags.artist(), QString("Artist"));
    QCOMPARE(tags.album(), QString("Album"));
    QCOMPARE(tags.composer(), QString("Composer"));
    QCOMPARE(tags.year(), QString("2021"));
    QCOMPARE(tags.genre(), QString("Jazz"));
    QCOMPARE(tags.comments(), QString("Comment"));
    QCOMPARE(tags.m_strGrouping, QString("Group"));
    QCOMPARE(tags.m_strAlbumArtist, QString("Album Artist"));
    QCOMPARE(tags.copyright(), QString("(c) Someone"));
    QCOMPARE(tags.trackNumber(), QString("3/12"));
    QCOMPARE(tags.discNumber(), QString("1/2"));
    QCOMPARE(tags.tempo(), 120);
    QCOMPARE(tags.m_strPicType, QString("PNG"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));

    const QVariantMap probe = TagKit::ffprobeTags(path);
    QCOMPARE(probe.value("track").toString(), tags.trackNumber());
    QCOMPARE(probe.value("disc").toString(), tags.discNumber());
    QCOMPARE(probe.value("grouping").toString(), tags.m_strGrouping);
    QCOMPARE(probe.value("copyright").toString(), tags.copyright());
}

void TestMetaTagsRead::testFlac()
{
    const QString path = m_dir.filePath("tagged.flac");
    QVERIFY(TestKit::makeTone(path, 1, 44100, 2));
    const TestKit::ToolResult tagged =
        TestKit::runTool("metaflac", {"--remove-all-tags", "--set-tag=TITLE=Flac Title", "--set-tag=ARTIST=Flac Artist",
                                      "--set-tag=ALBUM=Flac Album", "--set-tag=TRACKNUMBER=4",
                                      "--set-tag=TRACKTOTAL=9", "--set-tag=DISCNUMBER=2", "--set-tag=GENRE=Blues",
                                      "--set-tag=DATE=1999", "--set-tag=ALBUMARTIST=AA", "--set-tag=BPM=88",
                                      "--import-picture-from=" + m_strPng, path});
    QVERIFY2(tagged.exitCode == 0, tagged.err.constData());

    TagModel tags;
    QVERIFY(tags.readFrom(path));
    QCOMPARE(tags.title(), QString("Flac Title"));
    QCOMPARE(tags.artist(), QString("Flac Artist"));
    QCOMPARE(tags.album(), QString("Flac Album"));
    QCOMPARE(tags.trackNumber(), QString("4/9"));
    QCOMPARE(tags.discNumber(), QString("2"));
    QCOMPARE(tags.genre(), QString("Blues"));
    QCOMPARE(tags.year(), QString("1999"));
    QCOMPARE(tags.m_strAlbumArtist, QString("AA"));
    QCOMPARE(tags.tempo(), 88);
    QCOMPARE(tags.m_strPicType, QString("PNG"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));

    const QVariantMap probe = TagKit::ffprobeTags(path);
    QCOMPARE(probe.value("title").toString(), tags.title());
    QCOMPARE(probe.value("artist").toString(), tags.artist());
    QCOMPARE(probe.value("genre").toString(), tags.genre());
}

void TestMetaTagsRead::testOggVorbis()
{
    const QString path = m_dir.filePath("tagged.ogg");
    QVERIFY(TestKit::makeTone(path, 1, 44100, 2, {"-c:a", "libvorbis"}));
    const TestKit::ToolResult tagged = TagKit::python(
        "import sys\nfrom mutagen.oggvorbis import OggVorbis\nv = OggVorbis(sys.argv[1])\n"
        "v['TITLE'] = 'Ogg Title'\nv['ARTIST'] = 'Ogg Artist'\nv['TRACKNUMBER'] = '5'\nv['COMMENT'] = 'Note'\n"
        "v.save()\n",
        {path});
    QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
    TagModel tags;
    QVERIFY(tags.readFrom(path));
    QCOMPARE(tags.title(), QString("Ogg Title"));
    QCOMPARE(tags.artist(), QString("Ogg Artist"));
    QCOMPARE(tags.trackNumber(), QString("5"));
    QCOMPARE(tags.comments(), QString("Note"));
}

void TestMetaTagsRead::testVideo_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("cover");
    QTest::newRow("mkv") << "mkv" << true;
    QTest::newRow("webm") << "webm" << false;
    QTest::newRow("mp4") << "mp4" << false;
    QTest::newRow("mov") << "mov" << false;
}

void TestMetaTagsRead::testVideo()
{
    QFETCH(QString, suffix);
    QFETCH(bool, cover);
    const QString path = m_dir.filePath("video." + suffix);
    QStringList args{"-f", "lavfi", "-i", "testsrc=s=64x48:d=1", "-f", "lavfi", "-i", "sine=d=1"};
    if (suffix == "webm")
        args << "-c:v" << "libvpx" << "-c:a" << "libopus";
    if (cover)
        args << "-attach" << m_strJpeg << "-metadata:s:t" << "mimetype=image/jpeg";
    args << "-metadata" << "title=Video Title" << "-metadata" << "artist=Video Artist" << "-shortest" << path;
    QVERIFY(TagKit::ffmpeg(args));

    TagModel tags;
    QVERIFY(tags.readFrom(path));
    QCOMPARE(tags.title(), QString("Video Title"));
    QCOMPARE(tags.artist(), QString("Video Artist"));
    QCOMPARE(TagKit::ffprobeTags(path).value("title").toString(), tags.title());
    if (cover)
        QCOMPARE(tags.albumArtwork(), QImage(m_strJpeg));
}

TRELVANIC_TEST_MAIN(TestMetaTagsRead)
#include "tst_metatagsread.moc"
