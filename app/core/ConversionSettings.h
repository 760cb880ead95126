#pragma once
// The stored conversion settings: keys, defaults and validating static getters, read at the moment of use.

#include <ZADovuzIdida/MAudioFormat.h>

#include <QList>
#include <QPair>
#include <QString>

class ConversionSettings
{
public:
    // Keys as stored (spelling included).
    static const char* const KeySampleRate;
    static const char* const KeyBitRate;
    static const char* const KeyQuality;
    static const char* const KeyChanels;
    static const char* const KeyBitsPersample;
    static const char* const KeyCodec;
    static const char* const KeyNormalizationActive;
    static const char* const KeyNormalization;
    static const char* const KeyFadeInOutActive;
    static const char* const KeyFadeIn;
    static const char* const KeyFadeOut;
    static const char* const KeyTrimSilenceActive;
    static const char* const KeyFolderStructureActive;
    static const char* const KeyCopyImagesActive;
    static const char* const KeyCopyTextssActive;
    static const char* const KeyCopyEntireContentActive;
    static const char* const KeyCopyMetaTagsActive;
    static const char* const KeyPlaySoundAfter;
    static const char* const KeyOpenFolderAfter;
    static const char* const KeyClearListAfter;

    // What the settings dialog offers: each value with the text its box shows, in the box's order.
    using Options = QList<QPair<QString, int>>;
    static Options sampleRateOptions();
    static Options bitRateOptions();
    static Options qualityOptions();
    static Options channelOptions();
    static Options bitDepthOptions();
    // The values of those options; a stored value outside its list reads as the default.
    static QList<int> sampleRates();
    static QList<int> bitRates();
    static QList<int> qualities();
    static QList<int> channelCounts();
    static QList<int> bitDepths();
    static constexpr int MaxFadeSeconds = 33;
    // What the getters below give when nothing valid is stored.
    static constexpr int DefaultSampleRate = 44100;
    static constexpr int DefaultBitRate = 128000;
    static constexpr int DefaultQuality = 127;
    static constexpr int DefaultChannels = 2;
    static constexpr int DefaultBitsPerSample = 16;

    static int sampleRate();
    static int bitRate();
    // 127 high, 64 medium, 0 low.
    static int quality();
    static int channels();
    static int bitsPerSample();
    static bool normalizationActive();
    // Target peak in percent, 1 to 100.
    static int normalization();
    static bool fadeInOutActive();
    // Whole seconds (stored as a float, truncated), 0 to 33.
    static int fadeIn();
    static int fadeOut();
    static bool trimSilenceActive();
    static bool folderStructureActive();
    static bool copyImagesActive();
    static bool copyTextsActive();
    static bool copyEntireContentActive();
    static bool copyMetaTagsActive();
    static bool playSoundAfter();
    static bool openFolderAfter();
    static bool clearListAfter();
    // "WAV"; reads no setting.
    static QString codec();
    // Quality level of the target format from the stored quality: 85..127 give 4, 23..84 give 2, else 0.
    static int qualityLevel(int quality);
    // The target format of a run: codec "WAV" and the stored rate, channels, bits, bit rate and quality level.
    static ZADovuzIdida::MAudioFormat targetFormat();
};
