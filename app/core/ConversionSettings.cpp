#include "ConversionSettings.h"

#include <VUVararer/App.h>

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

const char* const ConversionSettings::KeySampleRate = "KeySampleRate";
const char* const ConversionSettings::KeyBitRate = "KeyBitRate";
const char* const ConversionSettings::KeyQuality = "KeyQuality";
const char* const ConversionSettings::KeyChanels = "KeyChanels";
const char* const ConversionSettings::KeyBitsPersample = "KeyBitsPersample";
const char* const ConversionSettings::KeyCodec = "KeyCodec";
const char* const ConversionSettings::KeyNormalizationActive = "KeyNormalizationActive";
const char* const ConversionSettings::KeyNormalization = "KeyNormalization";
const char* const ConversionSettings::KeyFadeInOutActive = "KeyFadeInOutActive";
const char* const ConversionSettings::KeyFadeIn = "KeyFadeIn";
const char* const ConversionSettings::KeyFadeOut = "KeyFadeOut";
const char* const ConversionSettings::KeyTrimSilenceActive = "KeyTrimSilenceActive";
const char* const ConversionSettings::KeyFolderStructureActive = "KeyFolderStructureActive";
const char* const ConversionSettings::KeyCopyImagesActive = "KeyCopyImagesActive";
const char* const ConversionSettings::KeyCopyTextssActive = "KeyCopyTextssActive";
const char* const ConversionSettings::KeyCopyEntireContentActive = "KeyCopyEntireContentActive";
const char* const ConversionSettings::KeyCopyMetaTagsActive = "KeyCopyMetaTagsActive";
const char* const ConversionSettings::KeyPlaySoundAfter = "KeyPlaySoundAfter";
const char* const ConversionSettings::KeyOpenFolderAfter = "KeyOpenFolderAfter";
const char* const ConversionSettings::KeyClearListAfter = "KeyClearListAfter";

namespace {

QVariant value(const char* key, const QVariant& defaultValue)
{
    VUVararer::App* app = VUVararer::App::theApp();
    return app ? app->settingsValue(QString::fromLatin1(key), defaultValue) : defaultValue;
}

bool boolValue(const char* key, bool defaultValue) { return value(key, defaultValue).toBool(); }

// The stored integer when it is one of the allowed values, else the default.
int listedValue(const char* key, int defaultValue, const QList<int>& allowed)
{
    bool bOk = false;
    const int n = value(key, defaultValue).toInt(&bOk);
    return bOk && allowed.contains(n) ? n : defaultValue;
}

int fadeSeconds(const char* key)
{
    const float seconds = value(key, 3).toFloat();
    if (std::isnan(seconds))
        return 0;
    // Clamped before the conversion, which is defined only inside int's range.
    return int(std::clamp(seconds, 0.0f, float(ConversionSettings::MaxFadeSeconds)));
}

} // namespace

namespace {

struct OptionRow
{
    int nValue;
    const char* pszText;
};

// clang-format off
const OptionRow kSampleRates[] = {
    {96000, QT_TRANSLATE_NOOP("ConversionSettings", "96000 Hz (Studio Quality)")},
    {88200, QT_TRANSLATE_NOOP("ConversionSettings", "88200 Hz (Professional Quality)")},
    {48000, QT_TRANSLATE_NOOP("ConversionSettings", "48000 Hz (DVD Quality)")},
    {44100, QT_TRANSLATE_NOOP("ConversionSettings", "44100 Hz (CD Quality)")},
    {32000, QT_TRANSLATE_NOOP("ConversionSettings", "32000 Hz (Tape Quality)")},
    {24000, QT_TRANSLATE_NOOP("ConversionSettings", "24000 Hz (Low PCM Quality)")},
    {22050, QT_TRANSLATE_NOOP("ConversionSettings", "22050 Hz (Radio Quality)")},
    {16000, QT_TRANSLATE_NOOP("ConversionSettings", "16000 Hz (VoIP Quality)")},
    {11025, QT_TRANSLATE_NOOP("ConversionSettings", "11025 Hz (Voice Quality)")}};
const int kBitRatesKbps[] = {320, 256, 224, 192, 160, 128, 112, 96, 80, 64, 56, 48, 40, 32, 24, 16};
const OptionRow kQualities[] = {{127, QT_TRANSLATE_NOOP("ConversionSettings", "High")},
                                {64, QT_TRANSLATE_NOOP("ConversionSettings", "Medium")},
                                {0, QT_TRANSLATE_NOOP("ConversionSettings", "Low")}};
const OptionRow kChannels[] = {{1, QT_TRANSLATE_NOOP("ConversionSettings", "1 (Mono)")},
                               {2, QT_TRANSLATE_NOOP("ConversionSettings", "2 (Stereo)")}};
const OptionRow kBitDepths[] = {{16, "16 Bits"}, {24, "24 Bits"}, {32, "32 Bits"}};
// clang-format on

template <size_t N> ConversionSettings::Options options(const OptionRow (&rows)[N])
{
    ConversionSettings::Options result;
    for (const OptionRow& row : rows)
        result << qMakePair(QCoreApplication::translate("ConversionSettings", row.pszText), row.nValue);
    return result;
}

QList<int> values(const ConversionSettings::Options& options)
{
    QList<int> result;
    for (const auto& option : options)
        result << option.second;
    return result;
}

} // namespace

ConversionSettings::Options ConversionSettings::sampleRateOptions() { return options(kSampleRates); }

ConversionSettings::Options ConversionSettings::bitRateOptions()
{
    Options result;
    for (int kbps : kBitRatesKbps)
        result << qMakePair(QCoreApplication::translate("ConversionSettings", "%1 kbps").arg(kbps), kbps * 1000);
    return result;
}

ConversionSettings::Options ConversionSettings::qualityOptions() { return options(kQualities); }

ConversionSettings::Options ConversionSettings::channelOptions() { return options(kChannels); }

ConversionSettings::Options ConversionSettings::bitDepthOptions() { return options(kBitDepths); }

QList<int> ConversionSettings::sampleRates() { return values(sampleRateOptions()); }

QList<int> ConversionSettings::bitRates() { return values(bitRateOptions()); }

QList<int> ConversionSettings::qualities() { return values(qualityOptions()); }

QList<int> ConversionSettings::channelCounts() { return values(channelOptions()); }

QList<int> ConversionSettings::bitDepths() { return values(bitDepthOptions()); }

int ConversionSettings::sampleRate() { return listedValue(KeySampleRate, DefaultSampleRate, sampleRates()); }

int ConversionSettings::bitRate() { return listedValue(KeyBitRate, DefaultBitRate, bitRates()); }

int ConversionSettings::quality() { return listedValue(KeyQuality, DefaultQuality, qualities()); }

int ConversionSettings::channels() { return listedValue(KeyChanels, DefaultChannels, channelCounts()); }

int ConversionSettings::bitsPerSample() { return listedValue(KeyBitsPersample, DefaultBitsPerSample, bitDepths()); }

bool ConversionSettings::normalizationActive() { return boolValue(KeyNormalizationActive, true); }

int ConversionSettings::normalization()
{
    bool bOk = false;
    const int n = value(KeyNormalization, 100).toInt(&bOk);
    return bOk ? std::clamp(n, 1, 100) : 100;
}

bool ConversionSettings::fadeInOutActive() { return boolValue(KeyFadeInOutActive, false); }

int ConversionSettings::fadeIn() { return fadeSeconds(KeyFadeIn); }

int ConversionSettings::fadeOut() { return fadeSeconds(KeyFadeOut); }

bool ConversionSettings::trimSilenceActive() { return boolValue(KeyTrimSilenceActive, false); }

bool ConversionSettings::folderStructureActive() { return boolValue(KeyFolderStructureActive, true); }

bool ConversionSettings::copyImagesActive() { return boolValue(KeyCopyImagesActive, false); }

bool ConversionSettings::copyTextsActive() { return boolValue(KeyCopyTextssActive, false); }

bool ConversionSettings::copyEntireContentActive() { return boolValue(KeyCopyEntireContentActive, false); }

bool ConversionSettings::copyMetaTagsActive() { return boolValue(KeyCopyMetaTagsActive, true); }

bool ConversionSettings::playSoundAfter() { return boolValue(KeyPlaySoundAfter, true); }

bool ConversionSettings::openFolderAfter() { return boolValue(KeyOpenFolderAfter, true); }

bool ConversionSettings::clearListAfter() { return boolValue(KeyClearListAfter, false); }

QString ConversionSettings::codec() { return ZADovuzIdida::audioFileTypeName(0); }

int ConversionSettings::qualityLevel(int quality)
{
    if (quality >= 85 && quality <= 127)
        return 4;
    if (quality >= 23 && quality <= 84)
        return 2;
    return 0;
}

ZADovuzIdida::MAudioFormat ConversionSettings::targetFormat()
{
    ZADovuzIdida::MAudioFormat format;
    format.codec = codec();
    format.sampleRate = sampleRate();
    format.channels = channels();
    format.bitsPerSample = bitsPerSample();
    format.bitRate = bitRate();
    format.quality = qualityLevel(quality());
    return format;
}
