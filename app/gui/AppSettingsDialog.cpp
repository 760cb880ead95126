#include "AppSettingsDialog.h"

#include "DecoratedDial.h"
#include "FadeWidget.h"

#include <core/ProductVariant.h>

#include <VUVararer/App.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QPair<int, int> FadeRange(0, ConversionSettings::MaxFadeSeconds);

bool isM4a() { return ProductVariant::kind() == ProductVariant::M4a; }

// Selects the row holding value, else the row holding fallback.
void selectData(QComboBox* box, const QVariant& value, const QVariant& fallback)
{
    const int row = box->findData(value);
    box->setCurrentIndex(row >= 0 ? row : box->findData(fallback));
}

// Selects the row holding value when there is one.
void selectIfPresent(QComboBox* box, int value)
{
    const int row = box->findData(value);
    if (row >= 0)
        box->setCurrentIndex(row);
}

void addRows(QComboBox* box, const QList<QPair<QString, int>>& rows)
{
    for (const auto& row : rows)
        box->addItem(row.first, row.second);
}

} // namespace

AppSettingsDialog::AppSettingsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SettingsDialog"));

    m_pbtnOk = new QPushButton(tr("Ok"), this);
    m_pbtnCancel = new QPushButton(tr("Cancel"), this);
    for (QPushButton* button : {m_pbtnOk, m_pbtnCancel}) {
        button->setFlat(true);
        button->setObjectName(QStringLiteral("PushButton"));
        button->setMinimumHeight(32);
    }
    m_pbtnOk->setMinimumWidth(75);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 10, 10, 10);
    buttons->addStretch();
    buttons->addWidget(m_pbtnOk);
    buttons->addWidget(m_pbtnCancel);

    auto* tabs = new QTabWidget(this);
    tabs->addTab(generalTab(), QStringLiteral("General"));
    tabs->addTab(effectsTab(), QStringLiteral("Operations"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(10);
    layout->addWidget(tabs);
    layout->addLayout(buttons);

    setWindowTitle(QCoreApplication::applicationName() + tr(" Settings"));

    slotLoadSettings();
    connect(m_pbtnOk, SIGNAL(clicked()), this, SLOT(slotSaveSettings()));
    connect(m_pbtnCancel, SIGNAL(clicked()), this, SLOT(reject()));
    setWindowFlags(Qt::Tool | Qt::WindowSystemMenuHint);
}

void AppSettingsDialog::buildAfterConversionGroup()
{
    m_pgbxAfterConversion = new QGroupBox(tr("After Conversion"));
    m_pchbPlaySound = new QCheckBox(tr("Play sound"));
    m_pchbOpenFolder = new QCheckBox(tr("Open the destination folder"));
    m_pchbClearList = new QCheckBox(tr("Clear the list"));
    auto* layout = new QVBoxLayout(m_pgbxAfterConversion);
    layout->setContentsMargins(25, 25, 25, 25);
    layout->setSpacing(9);
    layout->addWidget(m_pchbPlaySound);
    layout->addWidget(m_pchbOpenFolder);
    layout->addWidget(m_pchbClearList);
    m_pchbClearList->hide();
}

QWidget* AppSettingsDialog::generalTab()
{
    auto* page = new QWidget;
    m_pgbxSourceDestination = new QGroupBox(tr("Source / Destination Settings"));
    m_pgbxFormatSettings = new QGroupBox;
    m_pcbxChannels = new QComboBox;
    m_pcbxBitsPerSample = new QComboBox;
    m_pcbxSampleRate = new QComboBox;
    m_pcbxFormat = new QComboBox(page);
    m_pcbxFormat->hide();
    m_pcbxBitRate = new QComboBox;
    m_pcbxQuality = new QComboBox;
    m_plblBitRate = new QLabel(tr("BitRate"));
    m_plblBitsPerSample = new QLabel(tr("Bits per Sample:"));
    m_plblChannels = new QLabel(tr("Channels:"));
    m_plblQuality = new QLabel(tr("Quality:"));
    m_pchbCopyMetaTags = new QCheckBox(tr("Copy meta tags (id3) from source"));
    m_pchbCopyImages = new QCheckBox(tr("Copy image files from source"));
    m_pchbCopyTexts = new QCheckBox(tr("Copy text files from source"));
    m_pchbCopyEntireContent = new QCheckBox(tr("Copy entire non-converted content from source"));
    m_pchbFolderStructure = new QCheckBox(tr("Preserve folder structure of the source"));
    buildAfterConversionGroup();

    const ProductVariant::Kind variant = ProductVariant::kind();
    if (variant == ProductVariant::Wav) {
        m_pgbxFormatSettings->setTitle(tr("WAV Settings"));
        for (QWidget* widget : std::initializer_list<QWidget*>{m_plblQuality, m_plblBitRate, m_pcbxQuality,
                                                               m_pcbxBitRate, m_pchbCopyMetaTags})
            widget->hide();
    } else if (variant == ProductVariant::M4a || variant == ProductVariant::Mp3) {
        m_pgbxFormatSettings->setTitle(variant == ProductVariant::M4a ? tr("M4A Settings") : tr("MP3 Settings"));
        for (QWidget* widget :
             std::initializer_list<QWidget*>{m_plblBitsPerSample, m_plblChannels, m_pcbxBitsPerSample, m_pcbxChannels})
            widget->hide();
    } else {
        m_pgbxFormatSettings->setTitle(tr("Unknown Settings"));
    }
    m_pchbOpenFolder->setChecked(true);
    m_pchbFolderStructure->setChecked(true);

    m_pcbxChannels->setObjectName(QStringLiteral("m_pcbxChannels"));
    m_pcbxSampleRate->setObjectName(QStringLiteral("m_pcbxSampleRate"));
    m_pcbxFormat->setObjectName(QStringLiteral("m_pcbxFormat"));
    m_pcbxBitRate->setObjectName(QStringLiteral("m_pcbxBitRate"));
    m_pcbxQuality->setObjectName(QStringLiteral("m_pcbxQuality"));

    auto* form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->setSpacing(3);
    form->addRow(tr("Sample Rate:"), m_pcbxSampleRate);
    form->addRow(m_plblBitRate, m_pcbxBitRate);
    form->addRow(m_plblBitsPerSample, m_pcbxBitsPerSample);
    form->addRow(m_plblChannels, m_pcbxChannels);
    form->addRow(m_plblQuality, m_pcbxQuality);
    auto* formatLayout = new QVBoxLayout(m_pgbxFormatSettings);
    formatLayout->setContentsMargins(22, 22, 22, 22);
    formatLayout->setSpacing(7);
    formatLayout->addLayout(form);

    auto* sourceLayout = new QVBoxLayout(m_pgbxSourceDestination);
    sourceLayout->setContentsMargins(25, 25, 25, 25);
    sourceLayout->setSpacing(9);
    for (QCheckBox* box :
         {m_pchbFolderStructure, m_pchbCopyMetaTags, m_pchbCopyImages, m_pchbCopyTexts, m_pchbCopyEntireContent})
        sourceLayout->addWidget(box);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(10);
    layout->addStretch(1);
    layout->addWidget(m_pgbxFormatSettings);
    layout->addStretch(1);
    layout->addWidget(m_pgbxSourceDestination);
    layout->addStretch(1);
    layout->addWidget(m_pgbxAfterConversion);

    addRows(m_pcbxChannels, channelOptions());
    addRows(m_pcbxBitsPerSample, bitDepthOptions());
    Options rates = sampleRateOptions();
    if (variant == ProductVariant::Mp3)
        rates.erase(std::remove_if(rates.begin(), rates.end(), [](const auto& rate) { return rate.second > 48000; }),
                    rates.end());
    addRows(m_pcbxSampleRate, rates);
    connect(m_pcbxSampleRate, SIGNAL(currentIndexChanged(int)), this, SLOT(slotSampleRateChanged()));
    addRows(m_pcbxBitRate, bitRateOptions());
    connect(m_pcbxBitRate, SIGNAL(currentIndexChanged(int)), this, SLOT(slotBitRateChanged()));
    addRows(m_pcbxQuality, qualityOptions());
    m_pcbxFormat->addItem(codec(), codec());
    return page;
}

QWidget* AppSettingsDialog::effectsTab()
{
    auto* page = new QWidget;

    m_pgbxNormalization = new QGroupBox(tr("Volume level normalization (in %)"));
    m_pgbxNormalization->setCheckable(true);
    m_pdialNormalization = new DecoratedDial;
    m_pdialNormalization->setRange(1, 100);
    m_plcdNormalization = new QLCDNumber;
    connect(m_pdialNormalization, SIGNAL(valueChanged(int)), m_plcdNormalization, SLOT(display(int)));
    auto* normalizationLayout = new QHBoxLayout(m_pgbxNormalization);
    normalizationLayout->setContentsMargins(22, 22, 22, 22);
    normalizationLayout->addWidget(m_pdialNormalization);
    normalizationLayout->addWidget(m_plcdNormalization);

    m_pgbxFade = new QGroupBox(tr("Fade In && Out (in seconds)"));
    m_pgbxFade->setCheckable(true);
    m_pFadeIn = new FadeWidget(true);
    m_pFadeOut = new FadeWidget(false);
    m_pFadeIn->setRange(FadeRange);
    m_pFadeOut->setRange(FadeRange);
    auto* fadeLayout = new QHBoxLayout(m_pgbxFade);
    fadeLayout->setContentsMargins(25, 25, 25, 25);
    fadeLayout->addWidget(m_pFadeIn);
    fadeLayout->addWidget(m_pFadeOut);

    m_pchbTrimSilence = new QCheckBox(tr("Trim silence from start and end"));
    auto* trimLayout = new QHBoxLayout;
    trimLayout->addWidget(m_pchbTrimSilence);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_pgbxNormalization);
    layout->addWidget(m_pgbxFade);
    layout->addLayout(trimLayout);
    return page;
}

QWidget* AppSettingsDialog::miscTab()
{
    auto* page = new QWidget;
    buildAfterConversionGroup();
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(22, 22, 22, 22);
    layout->setSpacing(7);
    layout->addWidget(m_pgbxAfterConversion);
    return page;
}

void AppSettingsDialog::showEvent(QShowEvent* event)
{
    slotLoadSettings();
    QDialog::showEvent(event);
}

void AppSettingsDialog::slotLoadSettings()
{
    selectData(m_pcbxChannels, channels(), DefaultChannels);
    selectData(m_pcbxSampleRate, sampleRate(), DefaultSampleRate);
    selectData(m_pcbxBitsPerSample, bitsPerSample(), DefaultBitsPerSample);
    const int formatRow = m_pcbxFormat->findData(codec());
    m_pcbxFormat->setCurrentIndex(formatRow >= 0 ? formatRow : 0);
    selectData(m_pcbxBitRate, bitRate(), DefaultBitRate);
    selectData(m_pcbxQuality, quality(), DefaultQuality);

    m_pgbxNormalization->setChecked(normalizationActive());
    m_pdialNormalization->setValue(normalization());
    m_pchbTrimSilence->setChecked(trimSilenceActive());
    m_pgbxFade->setChecked(fadeInOutActive());
    m_pFadeIn->setValue(float(fadeIn()));
    m_pFadeOut->setValue(float(fadeOut()));

    m_pchbPlaySound->setChecked(playSoundAfter());
    m_pchbOpenFolder->setChecked(openFolderAfter());
    m_pchbClearList->setChecked(clearListAfter());
    m_pchbCopyImages->setChecked(copyImagesActive());
    m_pchbCopyTexts->setChecked(copyTextsActive());
    m_pchbCopyEntireContent->setChecked(copyEntireContentActive());
    m_pchbFolderStructure->setChecked(folderStructureActive());
    m_pchbCopyMetaTags->setChecked(copyMetaTagsActive());
}

void AppSettingsDialog::storeValue(const char* key, const QVariant& value)
{
    if (VUVararer::App* app = VUVararer::App::theApp())
        app->setSettingsValue(QString::fromLatin1(key), value);
}

void AppSettingsDialog::slotSaveSettings()
{
    storeValue(KeyChanels, m_pcbxChannels->currentData().toInt());
    storeValue(KeySampleRate, m_pcbxSampleRate->currentData().toInt());
    storeValue(KeyBitsPersample, m_pcbxBitsPerSample->currentData().toInt());
    storeValue(KeyCodec, m_pcbxFormat->currentData().toString());
    storeValue(KeyBitRate, m_pcbxBitRate->currentData().toInt());
    storeValue(KeyQuality, m_pcbxQuality->currentData().toInt());
    storeValue(KeyPlaySoundAfter, m_pchbPlaySound->isChecked());
    storeValue(KeyOpenFolderAfter, m_pchbOpenFolder->isChecked());
    storeValue(KeyClearListAfter, m_pchbClearList->isChecked());
    storeValue(KeyNormalization, m_pdialNormalization->value());
    storeValue(KeyNormalizationActive, m_pgbxNormalization->isChecked());
    storeValue(KeyFadeInOutActive, m_pgbxFade->isChecked());
    storeValue(KeyFadeIn, m_pFadeIn->value());
    storeValue(KeyFadeOut, m_pFadeOut->value());
    storeValue(KeyTrimSilenceActive, m_pchbTrimSilence->isChecked());
    storeValue(KeyCopyImagesActive, m_pchbCopyImages->isChecked());
    storeValue(KeyCopyTextssActive, m_pchbCopyTexts->isChecked());
    storeValue(KeyCopyEntireContentActive, m_pchbCopyEntireContent->isChecked());
    storeValue(KeyFolderStructureActive, m_pchbFolderStructure->isChecked());
    storeValue(KeyCopyMetaTagsActive, m_pchbCopyMetaTags->isChecked());
    accept();
}

void AppSettingsDialog::slotGotoFilesLocation() {}

void AppSettingsDialog::slotSampleRateChanged()
{
    if (!isM4a())
        return;
    const int r = m_pcbxSampleRate->currentData().toInt();
    const int b = m_pcbxBitRate->currentData().toInt();
    if (r == 11025 && b > 64000)
        selectIfPresent(m_pcbxBitRate, 64000);
    else if (r == 16000 && b > 96000)
        selectIfPresent(m_pcbxBitRate, 96000);
    else if ((r == 22050 || r == 24000) && b > 128000)
        selectIfPresent(m_pcbxBitRate, 128000);
    else if (r == 32000 && b > 192000)
        selectIfPresent(m_pcbxBitRate, 192000);
    else if ((r == 88200 || r == 96000) && b < 64000 && m_pcbxBitRate->currentIndex() >= 0)
        selectIfPresent(m_pcbxBitRate, 64000);
}

void AppSettingsDialog::slotBitRateChanged()
{
    if (!isM4a())
        return;
    const int b = m_pcbxBitRate->currentData().toInt();
    const int r = m_pcbxSampleRate->currentData().toInt();
    if (b < 64000 && r >= 88200)
        selectIfPresent(m_pcbxSampleRate, 48000);
    else if (b > 64000 && b <= 96000 && r <= 11025)
        selectIfPresent(m_pcbxSampleRate, 16000);
    else if (b > 96000 && b <= 128000 && r <= 16000)
        selectIfPresent(m_pcbxSampleRate, 22050);
    else if (b > 128000 && b <= 192000 && r <= 24000)
        selectIfPresent(m_pcbxSampleRate, 32000);
    else if (b > 192000 && r <= 32000)
        selectIfPresent(m_pcbxSampleRate, 44100);
}
