#include "TestMain.h"

#include <core/ConversionSettings.h>
#include <core/OutputNames.h>

#include <VUVararer/App.h>

#include <QTemporaryDir>
#include <QtTest>

class ConversionSettingsTest : public QObject
{
    Q_OBJECT

private:
    static void store(const char* key, const QVariant& value)
    {
        VUVararer::App::theApp()->setSettingsValue(QString::fromLatin1(key), value);
    }

private slots:
    void testDefaults()
    {
        using S = ConversionSettings;
        store("KeyCodec", "FLAC");
        QCOMPARE(S::sampleRate(), 44100);
        QCOMPARE(S::bitRate(), 128000);
        QCOMPARE(S::quality(), 127);
        QCOMPARE(S::channels(), 2);
        QCOMPARE(S::bitsPerSample(), 16);
        QVERIFY(S::normalizationActive());
        QCOMPARE(S::normalization(), 100);
        QVERIFY(!S::fadeInOutActive());
        QCOMPARE(S::fadeIn(), 3);
        QCOMPARE(S::fadeOut(), 3);
        QVERIFY(!S::trimSilenceActive());
        QVERIFY(S::folderStructureActive());
        QVERIFY(!S::copyImagesActive() && !S::copyTextsActive() && !S::copyEntireContentActive());
        QVERIFY(S::copyMetaTagsActive() && S::playSoundAfter() && S::openFolderAfter());
        QVERIFY(!S::clearListAfter());
        QCOMPARE(S::codec(), QString("WAV"));
        QCOMPARE(ZADovuzIdida::audioFileTypeName(2), QString("MPEG4ACC"));
        QVERIFY(ZADovuzIdida::audioFileTypeName(5).isEmpty() && ZADovuzIdida::audioFileTypeName(-1).isEmpty());
        const ZADovuzIdida::MAudioFormat format = S::targetFormat();
        QCOMPARE(format.codec, QString("WAV"));
        QCOMPARE(format.quality, 4);
    }

    void testStoredValues_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("rate listed") << QByteArray("KeySampleRate") << QVariant(22050) << 22050;
        QTest::newRow("rate unlisted") << QByteArray("KeySampleRate") << QVariant(12345) << 44100;
        QTest::newRow("bit rate text") << QByteArray("KeyBitRate") << QVariant("64000") << 64000;
        QTest::newRow("bit rate 100") << QByteArray("KeyBitRate") << QVariant(100) << 128000;
        QTest::newRow("quality 5") << QByteArray("KeyQuality") << QVariant(5) << 127;
        QTest::newRow("channels 0") << QByteArray("KeyChanels") << QVariant(0) << 2;
        QTest::newRow("bits 12") << QByteArray("KeyBitsPersample") << QVariant(12) << 16;
        QTest::newRow("level 1000") << QByteArray("KeyNormalization") << QVariant(1000) << 100;
        QTest::newRow("level 0") << QByteArray("KeyNormalization") << QVariant(0) << 1;
        QTest::newRow("fade 4.7") << QByteArray("KeyFadeIn") << QVariant(4.7) << 4;
        QTest::newRow("fade -0.5") << QByteArray("KeyFadeIn") << QVariant(-0.5) << 0;
        QTest::newRow("fade 40") << QByteArray("KeyFadeOut") << QVariant(40.0) << 33;
        QTest::newRow("fade text") << QByteArray("KeyFadeOut") << QVariant("2.9") << 2;
        QTest::newRow("fade 3e9") << QByteArray("KeyFadeIn") << QVariant("3e9") << 33;
        QTest::newRow("fade -3e9") << QByteArray("KeyFadeIn") << QVariant("-3e9") << 0;
        QTest::newRow("fade beyond float") << QByteArray("KeyFadeOut") << QVariant("1e39") << 33;
        QTest::newRow("fade inf") << QByteArray("KeyFadeOut") << QVariant("inf") << 33;
        QTest::newRow("fade nan") << QByteArray("KeyFadeIn") << QVariant("nan") << 0;
    }

    void testStoredValues()
    {
        QFETCH(QByteArray, key);
        QFETCH(QVariant, stored);
        QFETCH(int, expected);
        const QHash<QByteArray, int (*)()> getters{{"KeySampleRate", ConversionSettings::sampleRate},
                                                   {"KeyBitRate", ConversionSettings::bitRate},
                                                   {"KeyQuality", ConversionSettings::quality},
                                                   {"KeyChanels", ConversionSettings::channels},
                                                   {"KeyBitsPersample", ConversionSettings::bitsPerSample},
                                                   {"KeyNormalization", ConversionSettings::normalization},
                                                   {"KeyFadeIn", ConversionSettings::fadeIn},
                                                   {"KeyFadeOut", ConversionSettings::fadeOut}};
        store(key.constData(), stored);
        QCOMPARE(getters.value(key)(), expected);
        VUVararer::App::theApp()->settings()->remove(QCoreApplication::applicationName() + "/" + key);
    }

    void testQualityLevel()
    {
        const QList<QPair<int, int>> cases{{127, 4}, {85, 4}, {84, 2}, {64, 2}, {23, 2}, {22, 0}, {0, 0}, {128, 0}};
        for (const auto& c : cases)
            QCOMPARE(ConversionSettings::qualityLevel(c.first), c.second);
    }

    void testFreeNames()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        QCOMPARE(OutputNames::freeName(root, "x", ".m4a"), root + "/x.m4a");
        QFile(root + "/x.m4a").open(QIODevice::WriteOnly);
        QFile(root + "/x 2.m4a").open(QIODevice::WriteOnly);
        QCOMPARE(OutputNames::freeName(root + "/", "x", ".m4a"), root + "/x 3.m4a");
        QCOMPARE(OutputNames::freeName(root, "x 2", ".m4a"), root + "/x 2 2.m4a");
        // Folders and files are made only where nothing is: what is there stays as it is.
        QCOMPARE(OutputNames::makeFreeFolder(root + "/new/run"), root + "/new/run");
        QVERIFY(OutputNames::makeFolder(root + "/new/run/a/b"));
        QCOMPARE(OutputNames::makeFreeFolder(root + "/new/run"), root + "/new/run 2");
        QVERIFY(QFileInfo(root + "/new/run/a/b").isDir());
        QCOMPARE(OutputNames::makeFreeFolder(root + "/x.m4a/run"), QString());
        QVERIFY(!OutputNames::makeFolder(root + "/x.m4a/sub"));
        QCOMPARE(OutputNames::claimName(root, "x", ".m4a"), root + "/x 3.m4a");
        QCOMPARE(OutputNames::claimName(root, "x", ".m4a"), root + "/x 4.m4a");
        QCOMPARE(OutputNames::claimName(root + "/missing", "x", ".m4a"), root + "/missing/x.m4a");
        QVERIFY(!QFileInfo::exists(root + "/missing"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, ConversionSettingsTest)
#include "tst_conversionsettings.moc"
