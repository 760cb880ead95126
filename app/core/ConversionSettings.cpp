#include "ConversionSettings.h"

#include <VUVararer/App.h>

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
    if (!std::isfinite(seconds))
        return 0;
    return std::clamp(int(std::max(seconds, 0.0f)), 0, ConversionSettings::MaxFadeSeconds);
}

} // namespace

QList<int> ConversionSettings::sampleRates() { return {96000, 88200, 48000, 44100, 32000, 24000, 22050, 16000, 11025}; }

QList<int> ConversionSettings::bitRates()
{
    return {320000, 256000, 224000, 192000, 160000, 128000, 112000, 96000,
            80000,  64000,  56000,  48000,  40000,  32000,  24000,  16000};
}

QList<int> ConversionSettings::qualities() { return {127, 64, 0}; }

QList<int> ConversionSettings::channelCounts() { return {1, 2}; }

QList<int> ConversionSettings::bitDepths() { return {16, 24, 32}; }

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
