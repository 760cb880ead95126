#include "MetaTagsTestKit.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ZADovuzIdida;
using TagKit::TagModel;

namespace {

const char copyrightSign = char(0xA9);

// An item as the tag source gives it: text values carry a string, byte arrays a data value.
MetaItem item(const QVariant& key, const QVariant& value, const QString& commonKey = QString(),
              const QString& keySpace = MetaKeys::KeySpaceiTunes)
{
    MetaItem item;
    item.key = key;
    item.commonKey = commonKey;
    item.keySpace = keySpace;
    item.value = value;
    item.hasString = value.userType() == QMetaType::QString;
    item.stringValue = item.hasString ? value.toString() : QString();
    item.dataValue = value.userType() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
    return item;
}

MetaItem genreData(const char* bytes, int size)
{
    return item(fourCC(copyrightSign, 'g', 'e', 'n'), QByteArray(bytes, size));
}

QStringList g_lstWarnings;

void collectWarning(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        g_lstWarnings << message;
}

// A 1.4 KB cut of a real JPEG whose frame header claims side x side pixels.
QByteArray hugeJpeg(const QByteArray& jpeg, int side)
{
    QByteArray bytes = jpeg.left(1400);
    const int frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0)
        return QByteArray();
    for (int offset : {frame + 5, frame + 7}) {
        bytes[offset] = char(side >> 8);
        bytes[offset + 1] = char(side & 0xFF);
    }
    return bytes;
}

struct Field
{
    const char* probeKey; // ffprobe's name, or nullptr when ffprobe does not show the field
    QString read;
    QString expected;
};

// What the class read matches the expected text and, where it shows the field, ffprobe's view.
void checkFields(const QString& path, const QList<Field>& fields)
{
    const QVariantMap probe = TagKit::ffprobeTags(path);
    for (const Field& field : fields) {
        QCOMPARE(field.read, field.expected);
        if (field.probeKey)
            QCOMPARE(probe.value(field.probeKey).toString(), field.expected);
    }
}

} // namespace

class TestMetaTagsRead : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strPng;
    QString m_strJpeg;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_strPng = m_dir.filePath("cover.png");
        m_strJpeg = m_dir.filePath("cover.jpg");
        QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48", "-frames:v", "1", m_strPng}));
        QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=320x240", "-frames:v", "1", m_strJpeg}));
        QVERIFY(MediaKit::readAll(m_strJpeg).contains(QByteArray("\xFF\x00", 2)));
    }

    void testKeyStrings()
    {
        const QList<QPair<QVariant, QString>> keys{{fourCC(copyrightSign, 'a', 'l', 'b'), "@alb"},
                                                   {quint32(0x00616263), "abc"},
                                                   {quint32(0), ""},
                                                   {quint32(0x61006263), "a"},
                                                   {QString("TIT2"), "TIT2"},
                                                   {quint32(0x61A96263), ""},
                                                   {QByteArray("TIT2"), "<<unknown>>"},
                                                   {QVariant(), "<<unknown>>"}};
        for (const auto& key : keys)
            QCOMPARE(NativeMetaTags::keyString(key.first), key.second);

        TagModel tags;
        const ushort misread[] = {0x00FF, 0x41FE, 0x4200, 0x4300};
        QCOMPARE(tags.nsToQString(QString::fromUtf16(misread, 4)), QString("ABC"));
        const ushort bomOnly[] = {0x00FF, 0x00FE};
        QCOMPARE(tags.nsToQString(QString::fromUtf16(bomOnly, 2)), QString(QChar(0)));
        QCOMPARE(tags.nsToQString(QString::fromUtf16(bomOnly, 1)), QString::fromUtf16(bomOnly, 1));
    }

    // Exact, case-sensitive keys; the test order makes creator a composer and TSSE an encoding application.
    void testKeyRules()
    {
        TagModel tags;
        QVERIFY(tags.isKeyAlbumArtist({"aArt", ""}) && tags.isKeyAlbumArtist({"aART", ""}));
        QVERIFY(!tags.isKeyAlbumArtist({"aarT", ""}));
        QVERIFY(!tags.isKeyArtist({"TPE1", ""}) && !tags.isKeyTitle({"Title", "TITLE"}));
        QVERIFY(tags.isKeyYear({"TYE", ""}) && tags.isKeyComments({"COM", ""}) && tags.isKeyTempo({"TBP", ""}));
        QVERIFY(tags.isKeyTrackNumber({"TRK", ""}) && tags.isKeyDiskNumber({"TPA", ""}));

        tags.m_bFakeItems = true;
        tags.m_lstItems = {item("TCOM", "C", "creator", MetaKeys::KeySpaceID3),
                           item("TSSE", "E", "", MetaKeys::KeySpaceID3),
                           item("TIT2", "ID3 title", "title", MetaKeys::KeySpaceID3),
                           item(fourCC(copyrightSign, 'n', 'a', 'm'), "iTunes title", "title"),
                           item("TALB", "Album", "albumName", MetaKeys::KeySpaceID3),
                           item(fourCC(copyrightSign, 'a', 'l', 'b'), QVariant(), "albumName"),
                           item("XXXX", "ignored")};
        QVERIFY(tags.readFrom("/some/file.wav"));
        QCOMPARE(tags.m_strInputFile, QString("/some/file.wav"));
        QCOMPARE(tags.composer() + "|" + tags.encodingApplication() + "|" + tags.title(), QString("C|E|iTunes title"));
        QVERIFY(tags.m_strCreator.isEmpty() && tags.m_strAlbumArtist.isEmpty() && tags.album().isEmpty());
    }

    // Text stays, 8 (track) or 6 (disc) bytes give "a/b", other lengths "0/0", other values keep the field.
    void testCountPairs()
    {
        const QList<QPair<QVariant, QString>> tracks{{QByteArray::fromHex("00000003c0000000"), "3/49152"},
                                                     {QByteArray::fromHex("00000003000c0000"), "3/12"},
                                                     {QByteArray::fromHex("000000030004"), "0/0"},
                                                     {QString("7"), "7"},
                                                     {7, "kept"}};
        const QList<QPair<QVariant, QString>> discs{{QByteArray::fromHex("000000010002"), "1/2"},
                                                    {QByteArray::fromHex("0000000100020000"), "0/0"}};
        for (const auto& track : tracks) {
            TagModel tags;
            tags.m_strTrackNumber = "kept";
            tags.readFromItems({item(fourCC('t', 'r', 'k', 'n'), track.first)});
            QCOMPARE(tags.trackNumber(), track.second);
        }
        for (const auto& disc : discs) {
            TagModel tags;
            tags.readFromItems({item(fourCC('d', 'i', 's', 'k'), disc.first)});
            QCOMPARE(tags.discNumber(), disc.second);
        }
    }

    // ID3 numbers and 2-byte data index the genre list; out of range keeps the field.
    void testGenre()
    {
        TagModel tags;
        tags.readFromItems({item(fourCC('g', 'n', 'r', 'e'), QByteArray("\x00\x12", 2))});
        QVERIFY(tags.genre().isEmpty());
        tags.readFromItems({genreData("\x00\x12", 2)});
        QCOMPARE(tags.genre(), QString("Rock"));
        MetaItem id3 = item("TCON", "17", "type");
        id3.numberValue = 17u;
        tags.readFromItems({id3});
        QCOMPARE(tags.genre(), QString("17"));

        tags.m_strGenre = "Kept";
        id3.keySpace = MetaKeys::KeySpaceID3;
        id3.numberValue = 126u;
        tags.readFromItems({id3, genreData("\x00\x00", 2), genreData("\x00\x7F", 2), genreData("\x00\x7F\x00", 3)});
        QCOMPARE(tags.genre(), QString("Kept"));
        tags.readFromItems({genreData("\x00\x7E", 2)});
        QCOMPARE(tags.genre(), QString("Dance Hall"));
    }

    // A tempo that is neither text nor number keeps the value.
    void testTempo()
    {
        TagModel tags;
        MetaItem number = item(fourCC('t', 'm', 'p', 'o'), 120);
        number.numberValue = 120;
        tags.readFromItems({number});
        QCOMPARE(tags.tempo(), 120);
        tags.readFromItems({item("TBPM", "98", "", MetaKeys::KeySpaceID3)});
        QCOMPARE(tags.tempo(), 98);
        tags.readFromItems({item("TBPM", QByteArray("\x01"))});
        QCOMPARE(tags.tempo(), 98);
    }

    void testArtwork()
    {
        TagModel tags;
        MetaItem picture = item(fourCC('c', 'o', 'v', 'r'), MediaKit::readAll(m_strPng), "artwork");
        picture.dataType = MetaKeys::DataTypePNG;
        tags.readFromItems({picture});
        QCOMPARE(tags.m_strPicType, QString("PNG"));
        QCOMPARE(tags.albumArtwork(), QImage(m_strPng));

        MetaItem dictionary = item(picture.key, QVariantMap{{"data", MediaKit::readAll(m_strJpeg)}}, "artwork");
        tags.readFromItems({dictionary});
        QCOMPARE(tags.m_strPicType, QString("JPEG"));
        QCOMPARE(tags.albumArtwork(), QImage(m_strJpeg));

        picture.value = QString("not a picture");
        tags.readFromItems({picture});
        QCOMPARE(tags.m_strPicType, QString("PNG"));
        QVERIFY(tags.albumArtwork().isNull());
    }

    void testNoTags()
    {
        TagModel tags;
        tags.m_strTitle = "old";
        QVERIFY(tags.readFrom(m_dir.filePath("missing.mp3")));
        QVERIFY(!tags.isMetaDataAvailable());
        const QString plain = m_dir.filePath("plain.wav");
        QVERIFY(TestKit::makeTone(plain, 0.5, 44100, 2, {"-fflags", "+bitexact", "-flags:a", "+bitexact"}));
        QVERIFY(tags.readFrom(plain));
        QVERIFY(!tags.isMetaDataAvailable());
    }

    void testMp3_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("genre");
        QTest::addColumn<bool>("jpeg");
        QTest::newRow("v2.3 png") << 3 << "(17)" << false;
        QTest::newRow("v2.4 jpeg") << 4 << "17" << true;
    }

    // mutagen writes, the class reads; a JPEG cover with stuffing keeps its pixels.
    void testMp3()
    {
        QFETCH(int, version);
        QFETCH(QString, genre);
        QFETCH(bool, jpeg);
        const QString path = m_dir.filePath(QString("v2%1.mp3").arg(version));
        const QString cover = jpeg ? m_strJpeg : m_strPng;
        QVERIFY(TestKit::makeTone(path, 1, 44100, 2, {"-c:a", "libmp3lame"}));
        const TestKit::ToolResult tagged =
            TagKit::mutagenId3(path, version,
                               {"TIT2=Title \u00e9", "TPE1=Artist", "TALB=Album", "TCOM=Composer", "TRCK=3/12",
                                "TPOS=1/2", "TCON=" + genre, "TBPM=120", "TPE2=Band", "COMM=Comment", "APIC=" + cover});
        QVERIFY2(tagged.exitCode == 0, tagged.err.constData());

        TagModel tags;
        QVERIFY(tags.readFrom(path));
        checkFields(path, {{"title", tags.title(), "Title \u00e9"},
                           {"artist", tags.artist(), "Artist"},
                           {"album", tags.album(), "Album"},
                           {"composer", tags.composer(), "Composer"},
                           {"track", tags.trackNumber(), "3/12"},
                           {"disc", tags.discNumber(), "1/2"},
                           {"album_artist", tags.m_strAlbumArtist, "Band"},
                           {nullptr, tags.genre(), "Rock"},
                           {nullptr, tags.comments(), "Comment"},
                           {nullptr, tags.m_strPicType, jpeg ? "JPEG" : "PNG"}});
        QCOMPARE(tags.tempo(), 120);
        QCOMPARE(tags.albumArtwork(), QImage(cover));
    }

    void testM4a()
    {
        const QString path = m_dir.filePath("tagged.m4a");
        QVERIFY(TestKit::makeTone(path, 1, 44100, 2, {"-c:a", "aac"}));
        const TestKit::ToolResult tagged =
            TagKit::mutagenMp4(path, {"@nam=Title", "@ART=Artist", "@alb=Album", "@wrt=Composer", "@day=2021",
                                      "@gen=Jazz", "@cmt=Comment", "@grp=Group", "aART=Album Artist",
                                      "cprt=(c) Someone", "trkn=3/12", "disk=1/2", "tmpo=120", "covr=" + m_strPng});
        QVERIFY2(tagged.exitCode == 0, tagged.err.constData());

        TagModel tags;
        QVERIFY(tags.readFrom(path));
        checkFields(path, {{"title", tags.title(), "Title"},
                           {"artist", tags.artist(), "Artist"},
                           {"album", tags.album(), "Album"},
                           {"composer", tags.composer(), "Composer"},
                           {"date", tags.year(), "2021"},
                           {"genre", tags.genre(), "Jazz"},
                           {"grouping", tags.m_strGrouping, "Group"},
                           {"copyright", tags.copyright(), "(c) Someone"},
                           {"track", tags.trackNumber(), "3/12"},
                           {"disc", tags.discNumber(), "1/2"},
                           {"album_artist", tags.m_strAlbumArtist, "Album Artist"},
                           {nullptr, tags.comments(), "Comment"},
                           {nullptr, tags.m_strPicType, "PNG"}});
        QCOMPARE(tags.tempo(), 120);
        QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
    }

    // metaflac (FLAC) or mutagen (Ogg Vorbis) write the comments.
    void testVorbisComments()
    {
        const QStringList fields{"TITLE=V Title",  "ARTIST=V Artist", "TRACKNUMBER=4", "TRACKTOTAL=9",
                                 "GENRE=Blues",    "DATE=1999",       "ALBUM=V Album", "DISCNUMBER=2",
                                 "ALBUMARTIST=AA", "BPM=88",          "COMMENT=Note"};
        for (const QString& file : QStringList{"tagged.flac", "tagged.ogg"}) {
            const QString path = m_dir.filePath(file);
            const bool flac = file.endsWith("flac");
            QVERIFY(TestKit::makeTone(path, 1, 44100, 2, flac ? QStringList() : QStringList{"-c:a", "libvorbis"}));
            QStringList args{"--remove-all-tags", "--import-picture-from=" + m_strPng};
            for (const QString& field : fields)
                args << "--set-tag=" + field;
            const TestKit::ToolResult tagged =
                flac ? TestKit::runTool("metaflac", args << path)
                     : MediaKit::python("import sys\nfrom mutagen.oggvorbis import OggVorbis\n"
                                        "v = OggVorbis(sys.argv[1])\n"
                                        "for a in sys.argv[2:]: v[a.split('=')[0]] = a.split('=', 1)[1]\nv.save()\n",
                                        QStringList{path} + fields);
            QVERIFY2(tagged.exitCode == 0, tagged.err.constData());

            TagModel tags;
            QVERIFY(tags.readFrom(path));
            checkFields(path, {{"title", tags.title(), "V Title"},
                               {"artist", tags.artist(), "V Artist"},
                               {"genre", tags.genre(), "Blues"},
                               {"date", tags.year(), "1999"},
                               {"album", tags.album(), "V Album"},
                               {nullptr, tags.discNumber(), "2"},
                               {nullptr, tags.trackNumber(), "4/9"},
                               {nullptr, tags.m_strAlbumArtist, "AA"},
                               {nullptr, tags.comments(), "Note"}});
            QCOMPARE(tags.tempo(), 88);
            QCOMPARE(tags.albumArtwork(), flac ? QImage(m_strPng) : QImage());
        }
    }

    // Covers above 8000x8000 pixels or 20 MB are not decoded, whatever carries them; one warning names the file.
    void testOversizedCovers_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<bool>("infoRoad");
        QTest::newRow("ID3 picture, 9000x9000") << "mp3"
                                                << "huge" << false;
        QTest::newRow("ID3 picture, 21 MB") << "mp3"
                                            << "heavy" << false;
        QTest::newRow("FLAC picture, 9000x9000") << "flac"
                                                 << "huge" << false;
        QTest::newRow("M4A cover, 9000x9000") << "m4a"
                                              << "huge" << false;
        QTest::newRow("attached picture, 9000x9000") << "mkv"
                                                     << "huge" << false;
        QTest::newRow("info dictionary, 9000x9000") << "mp3"
                                                    << "huge" << true;
        QTest::newRow("ID3 picture, real size") << "mp3"
                                                << "real" << false;
    }

    void testOversizedCovers()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, picture);
        QFETCH(bool, infoRoad);
        const QByteArray jpeg = MediaKit::readAll(m_strJpeg);
        QByteArray bytes = jpeg;
        if (picture == "huge")
            bytes = hugeJpeg(jpeg, 9000);
        else if (picture == "heavy")
            bytes += QByteArray(21 << 20, '\0');
        const QString cover = m_dir.filePath("picture.jpg");
        QVERIFY(MediaKit::writeFile(cover, bytes));
        if (picture == "huge")
            QCOMPARE(TestKit::runTool("identify", {"-ping", "-format", "%wx%h", cover}).out, QByteArray("9000x9000"));

        const QString path = m_dir.filePath("covered." + suffix);
        QFile::remove(path);
        TestKit::ToolResult tagged;
        if (suffix == "mkv") {
            QVERIFY(MediaKit::ffmpeg(
                {"-f", "lavfi", "-i", "sine=d=0.5", "-attach", cover, "-metadata:s:t", "mimetype=image/jpeg", path}));
        } else {
            QVERIFY(
                TestKit::makeTone(path, 0.5, 44100, 1, suffix == "m4a" ? QStringList{"-c:a", "aac"} : QStringList()));
            if (suffix == "mp3")
                tagged = TagKit::mutagenId3(path, 4, {"TIT2=Covered", "APIC=" + cover});
            else if (suffix == "m4a")
                tagged = TagKit::mutagenMp4(path, {"@nam=Covered", "covr=" + cover});
            else
                tagged = MediaKit::python("import sys\nfrom mutagen.flac import FLAC, Picture\nf = FLAC(sys.argv[1])\n"
                                          "p = Picture()\np.type = 3\np.mime = 'image/jpeg'\n"
                                          "p.data = open(sys.argv[2], 'rb').read()\nf.add_picture(p)\nf.save()\n",
                                          {path, cover});
            QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
        }

        TagModel tags;
        g_lstWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
        if (infoRoad)
            tags.readFromCO(path);
        else
            tags.readFrom(path);
        qInstallMessageHandler(previous);
        if (picture == "real") {
            QCOMPARE(tags.albumArtwork(), QImage(m_strJpeg));
            QCOMPARE(g_lstWarnings, QStringList());
            QVERIFY(tags.artworkRefusal().isEmpty());
        } else {
            QVERIFY(tags.albumArtwork().isNull());
            QVERIFY(tags.artworkRefusal().contains("8000x8000"));
            QCOMPARE(g_lstWarnings.size(), 1);
            QVERIFY2(g_lstWarnings.first().startsWith("Cover art skipped") && g_lstWarnings.first().endsWith(path),
                     qPrintable(g_lstWarnings.first()));
        }
    }

    // Containers TagLib cannot read come through the media layer, an attached cover included.
    void testVideo()
    {
        for (const QString& suffix : QStringList{"mkv", "webm", "mp4", "mov"}) {
            const QString path = m_dir.filePath("video." + suffix);
            QStringList args{"-f", "lavfi", "-i", "testsrc=s=64x48:d=1", "-f", "lavfi", "-i", "sine=d=1"};
            if (suffix == "webm")
                args << "-c:v"
                     << "libvpx"
                     << "-c:a"
                     << "libopus";
            if (suffix == "mkv")
                args << "-attach" << m_strJpeg << "-metadata:s:t"
                     << "mimetype=image/jpeg";
            args << "-metadata"
                 << "title=Video Title"
                 << "-metadata"
                 << "artist=Video Artist"
                 << "-shortest" << path;
            QVERIFY(MediaKit::ffmpeg(args));

            TagModel tags;
            QVERIFY(tags.readFrom(path));
            checkFields(path, {{"title", tags.title(), "Video Title"}, {"artist", tags.artist(), "Video Artist"}});
            QCOMPARE(tags.albumArtwork(), suffix == "mkv" ? QImage(m_strJpeg) : QImage());
        }
    }
};

TRELVANIC_TEST_MAIN(TestMetaTagsRead)
#include "tst_metatagsread.moc"
