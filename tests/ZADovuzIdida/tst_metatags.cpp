#include "MetaTagsTestKit.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ZADovuzIdida;
using TagKit::TagModel;

class TestMetaTags : public QObject
{
    Q_OBJECT

private slots:
    void testResetAndAvailability()
    {
        TagModel tags;
        tags.m_strInputFile = "/a/b.wav";
        tags.m_strPicType = "JPEG";
        QVERIFY(!tags.isMetaDataAvailable());
        tags.m_nTempo = 0;
        QVERIFY(tags.isMetaDataAvailable());
        tags.m_nTempo = -1;
        tags.m_imgArtwork = QImage(1, 1, QImage::Format_RGB32);
        QVERIFY(tags.isMetaDataAvailable());
        tags.m_imgArtwork = QImage();
        tags.m_strSubTitle = "s";
        QVERIFY(tags.isMetaDataAvailable());

        tags.m_strTitle = "T";
        tags.m_nTempo = 90;
        tags.m_imgArtwork = QImage(4, 4, QImage::Format_RGB32);
        tags.setEncodingApplication("enc");
        tags.reset();
        QVERIFY(tags.title().isEmpty() && tags.subTitle().isEmpty() && tags.encodingApplication().isEmpty());
        QVERIFY(tags.m_strPicType.isEmpty() && tags.m_strInputFile.isEmpty() && tags.albumArtwork().isNull());
        QCOMPARE(tags.tempo(), -1);
        QCOMPARE(tags.id3v1Genres().size(), 126);
        QCOMPARE(tags.tvGenres().size(), 11);
    }

    // The numbering follows mutagen's genre table; five names keep their own spelling.
    void testGenreLists()
    {
        TagModel tags;
        const QVector<QString>& genres = tags.id3v1Genres();
        const TestKit::ToolResult result =
            MediaKit::python("from mutagen._constants import GENRES\nprint('\\n'.join(GENRES[:126]))");
        QCOMPARE(result.exitCode, 0);
        const QStringList reference = QString::fromUtf8(result.out).trimmed().split('\n');
        QCOMPARE(reference.size(), 126);
        const QMap<int, QString> ownSpelling{
            {40, "AlternRock"}, {59, "Gangsta"}, {84, "Fast Fusion"}, {85, "Bebob"}, {123, "A Capella"}};
        for (int i = 0; i < 126; ++i)
            QCOMPARE(genres.at(i), ownSpelling.value(i, reference.at(i)));
        QCOMPARE(genres.at(29), QString("Jazz+Funk"));
        QCOMPARE(genres.last(), QString("Dance Hall"));
        QCOMPARE(tags.tvGenres().first(), QString("Drama"));
        QCOMPARE(tags.tvGenres().last(), QString("Latino TV"));
    }

    void testDecodeMp3Pic()
    {
        const QList<QPair<QByteArray, QByteArray>> cases{{QByteArray("\xFF\x00\xE0", 3), QByteArray("\xFF\xE0", 2)},
                                                         {QByteArray("\xFF\x00\x00", 3), QByteArray("\xFF\x00", 2)},
                                                         {QByteArray("\xFF\xFF\x00", 3), QByteArray("\xFF\xFF", 2)},
                                                         {QByteArray("\x00\xFF", 2), QByteArray("\x00\xFF", 2)},
                                                         {QByteArray("\xFF", 1), QByteArray("\xFF", 1)},
                                                         {QByteArray(), QByteArray()}};
        for (const auto& c : cases)
            QCOMPARE(MetaTagsBase::decodeMp3Pic(c.first), c.second);
    }

    // A JPEG from an ID3 tag decodes from its original bytes, pixel for pixel as Qt reads ffmpeg's file.
    // Removing the stuffing pairs of the small picture still decodes, but to other pixels.
    void testImageFromStuffedJpeg()
    {
        QTemporaryDir dir;
        for (const QString& size : QStringList{"64x48", "320x240"}) {
            const QString path = dir.filePath("cover" + size + ".jpg");
            QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=" + size, "-frames:v", "1", path}));
            const QByteArray jpeg = MediaKit::readAll(path);
            QVERIFY(jpeg.contains(QByteArray("\xFF\x00", 2)));
            const QImage reference(path);
            QVERIFY(!reference.isNull());
            QCOMPARE(MetaTagsBase::byteArrayToImage(jpeg, true), reference);
            QCOMPARE(MetaTagsBase::byteArrayToImage(jpeg, false), reference);
        }
        QVERIFY(MetaTagsBase::byteArrayToImage(QByteArray(), true).isNull());
    }

    // A PNG stored with a 0x00 after every 0xFF only decodes once the pairs are removed.
    void testImageFromUnsynchronisedBytes()
    {
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(qRgb(255, 255, 255));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "PNG"));
        const QByteArray stuffed = QByteArray(png).replace(QByteArray("\xFF", 1), QByteArray("\xFF\x00", 2));
        QVERIFY(stuffed.size() > png.size());
        QVERIFY(QImage::fromData(stuffed).isNull());
        QCOMPARE(MetaTagsBase::byteArrayToImage(stuffed, true), QImage::fromData(png));
        QVERIFY(MetaTagsBase::byteArrayToImage(stuffed, false).isNull());
    }
};

TRELVANIC_TEST_MAIN(TestMetaTags)
#include "tst_metatags.moc"
