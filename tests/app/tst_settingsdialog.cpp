#include "TestMain.h"

#include <core/ProductVariant.h>
#include <gui/AppSettingsDialog.h>
#include <gui/FadeWidget.h>

#include <VUVararer/App.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDial>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>

namespace {

// Records the order in which the save step writes its keys.
class RecordingDialog : public AppSettingsDialog
{
public:
    QStringList m_lstKeys;

protected:
    void storeValue(const char* key, const QVariant& value) override
    {
        m_lstKeys << QString::fromLatin1(key);
        AppSettingsDialog::storeValue(key, value);
    }
};

void store(const char* key, const QVariant& value)
{
    VUVararer::App::theApp()->setSettingsValue(QString::fromLatin1(key), value);
}

QVariant stored(const char* key) { return VUVararer::App::theApp()->settingsValue(QString::fromLatin1(key)); }

QComboBox* box(QWidget* dialog, const char* name) { return dialog->findChild<QComboBox*>(name); }

int boxData(QWidget* dialog, const char* name) { return box(dialog, name)->currentData().toInt(); }

void choose(QWidget* dialog, const char* name, int value)
{
    QComboBox* combo = box(dialog, name);
    combo->setCurrentIndex(combo->findData(value));
}

// The child of type T whose text (or group title) is text.
template <class T> T* child(QWidget* dialog, const QString& text)
{
    for (T* w : dialog->findChildren<T*>())
        if (w->property("text").toString() == text || w->property("title").toString() == text)
            return w;
    return nullptr;
}

QCheckBox* checkBox(QWidget* dialog, const QString& text) { return child<QCheckBox>(dialog, text); }
QGroupBox* group(QWidget* dialog, const QString& title) { return child<QGroupBox>(dialog, title); }
QList<FadeWidget*> fades(QWidget* dialog) { return dialog->findChildren<FadeWidget*>(); }

} // namespace

class SettingsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        VUVararer::App::theApp()->settings()->clear();
        ProductVariant::reset();
    }

    void testFirstOpenDefaults()
    {
        AppSettingsDialog dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QCoreApplication::applicationName() + " Settings");
        QCOMPARE(int(dialog.windowFlags() & (Qt::Tool | Qt::WindowSystemMenuHint)), 8203);
        auto* tabs = dialog.findChild<QTabWidget*>();
        QVERIFY(tabs->tabText(0) == "General" && tabs->tabText(1) == "Operations" && group(&dialog, "M4A Settings"));
        const QList<QPair<const char*, int>> boxes{
            {"m_pcbxSampleRate", 44100}, {"m_pcbxBitRate", 128000}, {"m_pcbxQuality", 127}, {"m_pcbxChannels", 2}};
        for (const auto& b : boxes)
            QCOMPARE(boxData(&dialog, b.first), b.second);
        QCOMPARE(box(&dialog, "m_pcbxBitRate")->currentText(), QString("128 kbps"));
        QCOMPARE(box(&dialog, "m_pcbxFormat")->currentData().toString(), QString("WAV"));
        QVERIFY(group(&dialog, "Volume level normalization (in %)")->isChecked());
        QCOMPARE(dialog.findChild<QLCDNumber*>()->intValue(), 100);
        QVERIFY(!group(&dialog, "Fade In && Out (in seconds)")->isChecked());
        QVERIFY(fades(&dialog).size() == 2 && fades(&dialog)[0]->value() == 3.0f && fades(&dialog)[1]->value() == 3.0f);
        for (QCheckBox* check : dialog.findChildren<QCheckBox*>()) {
            const bool on = QStringList{"Preserve folder structure of the source", "Copy meta tags (id3) from source",
                                        "Play sound", "Open the destination folder"}
                                .contains(check->text());
            QVERIFY2(check->isChecked() == on, qPrintable(check->text()));
        }

        // Only the rate, bit-rate and quality rows show on the general page.
        QWidget* page = tabs->widget(0);
        const QStringList shownBoxes{"m_pcbxSampleRate", "m_pcbxBitRate", "m_pcbxQuality"};
        for (QComboBox* combo : page->findChildren<QComboBox*>())
            QCOMPARE(combo->isVisibleTo(page), shownBoxes.contains(combo->objectName()));
        const QStringList hiddenTexts{"Bits per Sample:", "Channels:", "Clear the list"};
        for (QWidget* w : page->findChildren<QWidget*>())
            if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w))
                QCOMPARE(w->isVisibleTo(page), !hiddenTexts.contains(w->property("text").toString()));
    }

    void testCoupling_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bitRate");
        QTest::addColumn<bool>("rateFirst");
        QTest::addColumn<int>("expectedRate");
        QTest::addColumn<int>("expectedBitRate");
        QTest::newRow("11025 caps 128k") << 11025 << 128000 << false << 11025 << 64000;
        QTest::newRow("320k lifts 11025") << 11025 << 320000 << true << 44100 << 320000;
        QTest::newRow("48k lowers 96000") << 96000 << 48000 << true << 48000 << 48000;
        QTest::newRow("16000 caps 128k") << 16000 << 128000 << false << 16000 << 96000;
        QTest::newRow("32000 caps 256k") << 32000 << 256000 << false << 32000 << 192000;
        QTest::newRow("88200 raises 32k") << 88200 << 32000 << false << 88200 << 64000;
        QTest::newRow("64k keeps 96000") << 96000 << 64000 << true << 96000 << 64000;
        QTest::newRow("96k lifts 11025") << 11025 << 96000 << true << 16000 << 96000;
        QTest::newRow("160k lifts 22050") << 22050 << 160000 << true << 32000 << 160000;
    }

    void testCoupling()
    {
        QFETCH(int, rate);
        QFETCH(int, bitRate);
        QFETCH(bool, rateFirst);
        QFETCH(int, expectedRate);
        QFETCH(int, expectedBitRate);
        AppSettingsDialog dialog;
        // Start from a pair that moves nothing (64 kbps suits every rate), then change the second value.
        choose(&dialog, "m_pcbxSampleRate", 44100);
        if (rateFirst) {
            choose(&dialog, "m_pcbxBitRate", 64000);
            choose(&dialog, "m_pcbxSampleRate", rate);
            QCOMPARE(boxData(&dialog, "m_pcbxSampleRate"), rate);
            choose(&dialog, "m_pcbxBitRate", bitRate);
        } else {
            choose(&dialog, "m_pcbxBitRate", bitRate);
            choose(&dialog, "m_pcbxSampleRate", rate);
        }
        QCOMPARE(boxData(&dialog, "m_pcbxSampleRate"), expectedRate);
        QCOMPARE(boxData(&dialog, "m_pcbxBitRate"), expectedBitRate);
    }

    void testCouplingOnlyForM4a()
    {
        ProductVariant::setKind(ProductVariant::Flac);
        AppSettingsDialog dialog;
        QVERIFY(group(&dialog, "Unknown Settings"));
        choose(&dialog, "m_pcbxSampleRate", 11025);
        QCOMPARE(boxData(&dialog, "m_pcbxBitRate"), 128000);
    }

    void testStoredPairLoads()
    {
        store("KeySampleRate", 11025);
        store("KeyBitRate", 128000);
        AppSettingsDialog dialog;
        QCOMPARE(boxData(&dialog, "m_pcbxSampleRate"), 22050);
        QCOMPARE(boxData(&dialog, "m_pcbxBitRate"), 128000);
    }

    void testStoredFades_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<float>("shown");
        QTest::newRow("40") << 40.0 << 33.0f;
        QTest::newRow("2.6") << 2.6 << 2.0f;
        QTest::newRow("negative") << -4.0 << 0.0f;
    }

    void testStoredFades()
    {
        QFETCH(double, stored);
        QFETCH(float, shown);
        store("KeyFadeIn", stored);
        store("KeyFadeOut", stored);
        AppSettingsDialog dialog;
        for (FadeWidget* fade : fades(&dialog))
            QCOMPARE(fade->value(), shown);
    }

    void testUnlistedValuesSelectDefaults()
    {
        store("KeyChanels", 6);
        store("KeyBitsPersample", 12);
        store("KeySampleRate", 12345);
        store("KeyQuality", 99);
        store("KeyBitRate", 100);
        RecordingDialog dialog;
        for (const char* name : {"m_pcbxChannels", "m_pcbxSampleRate", "m_pcbxBitRate", "m_pcbxQuality"})
            QVERIFY2(box(&dialog, name)->currentIndex() >= 0, name);
        dialog.slotSaveSettings();
        QCOMPARE(stored("KeyChanels").toInt(), 2);
        QCOMPARE(stored("KeyBitsPersample").toInt(), 16);
        QCOMPARE(stored("KeySampleRate").toInt(), 44100);
        QCOMPARE(stored("KeyQuality").toInt(), 127);
        QCOMPARE(stored("KeyBitRate").toInt(), 128000);

        // The "mp3" list lacks 96000, which the getter accepts.
        ProductVariant::setKind(ProductVariant::Mp3);
        store("KeySampleRate", 96000);
        AppSettingsDialog mp3;
        QVERIFY(group(&mp3, "MP3 Settings") && box(&mp3, "m_pcbxSampleRate")->count() == 7);
        QCOMPARE(boxData(&mp3, "m_pcbxSampleRate"), 44100);
    }

    void testSaveOrderAndRoundTrip()
    {
        store("KeyClearListAfter", true);
        RecordingDialog dialog;
        dialog.show();
        choose(&dialog, "m_pcbxSampleRate", 48000);
        choose(&dialog, "m_pcbxBitRate", 256000);
        choose(&dialog, "m_pcbxQuality", 64);
        dialog.findChild<QDial*>()->setValue(87);
        group(&dialog, "Volume level normalization (in %)")->setChecked(false);
        group(&dialog, "Fade In && Out (in seconds)")->setChecked(true);
        fades(&dialog).at(0)->setValue(32.5f);
        fades(&dialog).at(1)->slotInc();
        checkBox(&dialog, "Trim silence from start and end")->setChecked(true);
        checkBox(&dialog, "Copy image files from source")->setChecked(true);
        checkBox(&dialog, "Copy text files from source")->setChecked(true);
        checkBox(&dialog, "Preserve folder structure of the source")->setChecked(false);
        checkBox(&dialog, "Play sound")->setChecked(false);
        QSignalSpy accepted(&dialog, SIGNAL(accepted()));
        child<QPushButton>(&dialog, "Ok")->click();
        QCOMPARE(accepted.count(), 1);

        const QStringList order = QString("KeyChanels KeySampleRate KeyBitsPersample KeyCodec KeyBitRate KeyQuality "
                                          "KeyPlaySoundAfter KeyOpenFolderAfter KeyClearListAfter KeyNormalization "
                                          "KeyNormalizationActive KeyFadeInOutActive KeyFadeIn KeyFadeOut "
                                          "KeyTrimSilenceActive KeyCopyImagesActive KeyCopyTextssActive "
                                          "KeyCopyEntireContentActive KeyFolderStructureActive KeyCopyMetaTagsActive")
                                      .split(' ');
        QCOMPARE(dialog.m_lstKeys, order);

        // Read the file itself, apart from the application's settings object.
        QSettings* live = VUVararer::App::theApp()->settings();
        live->sync();
        QSettings ini(live->fileName(), QSettings::IniFormat);
        const QString prefix = QCoreApplication::applicationName() + "/";
        const QList<QPair<const char*, QVariant>> expected{
            {"KeySampleRate", 48000},     {"KeyBitRate", 256000},       {"KeyQuality", 64},
            {"KeyCodec", "WAV"},          {"KeyNormalization", 87},     {"KeyNormalizationActive", false},
            {"KeyFadeInOutActive", true}, {"KeyFadeIn", 32.5},          {"KeyFadeOut", 4.0},
            {"KeyClearListAfter", true},  {"KeyPlaySoundAfter", false}, {"KeyFolderStructureActive", false}};
        for (const auto& e : expected)
            QVERIFY2(ini.value(prefix + e.first).toString() == e.second.toString(), e.first);

        AppSettingsDialog reopened;
        QVERIFY(boxData(&reopened, "m_pcbxSampleRate") == 48000 && boxData(&reopened, "m_pcbxBitRate") == 256000);
        QCOMPARE(reopened.findChild<QDial*>()->value(), 87);
        QVERIFY(!group(&reopened, "Volume level normalization (in %)")->isChecked());
        QVERIFY(group(&reopened, "Fade In && Out (in seconds)")->isChecked());
        QVERIFY(fades(&reopened).at(0)->value() == 32.0f && fades(&reopened).at(1)->value() == 4.0f);
        QVERIFY(!checkBox(&reopened, "Play sound")->isChecked());
        QVERIFY(checkBox(&reopened, "Clear the list")->isChecked());
        QVERIFY(AppSettingsDialog::normalization() == 87 && AppSettingsDialog::fadeIn() == 32);
    }

    void testCancelKeepsSettings()
    {
        store("KeySampleRate", 32000);
        store("KeyBitRate", 192000);
        store("KeyTrimSilenceActive", true);
        const QStringList before = VUVararer::App::theApp()->settings()->allKeys();
        RecordingDialog dialog;
        dialog.show();
        choose(&dialog, "m_pcbxSampleRate", 96000);
        checkBox(&dialog, "Trim silence from start and end")->setChecked(false);
        QSignalSpy rejected(&dialog, SIGNAL(rejected()));
        child<QPushButton>(&dialog, "Cancel")->click();
        QCOMPARE(rejected.count(), 1);
        QVERIFY(dialog.m_lstKeys.isEmpty());
        QCOMPARE(VUVararer::App::theApp()->settings()->allKeys(), before);
        QCOMPARE(stored("KeySampleRate").toInt(), 32000);
        QVERIFY(stored("KeyTrimSilenceActive").toBool());

        dialog.show();
        QCOMPARE(boxData(&dialog, "m_pcbxSampleRate"), 32000);
        QVERIFY(checkBox(&dialog, "Trim silence from start and end")->isChecked());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, SettingsDialogTest)
#include "tst_settingsdialog.moc"
