#include "NativeAudioTools.h"

#include "Native/AssetProbe.h"
#include "Native/FfmpegDecoder.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZADovuzIdida {

bool NativeAudioTools::isPlayable(const QUrl& url)
{
    return url.isLocalFile() && AssetProbe::probe(url.toLocalFile()).playable;
}

qint64 NativeAudioTools::duration(const QUrl& url)
{
    if (!url.isLocalFile())
        return -1;
    const AssetProbe probe = AssetProbe::probe(url.toLocalFile());
    return probe.playable ? probe.seconds : -1;
}

float NativeAudioTools::peak(const QString& path)
{
    FfmpegDecoder decoder;
    if (decoder.open(path) != 0 || decoder.setOutputFormat(decoder.sourceRate(), FfmpegDecoder::SampleFormat::F32) != 0)
        return -1.0f;
    constexpr int Frames = 4096;
    std::vector<float> buffer(2 * Frames);
    float peak = 0.0f;
    int status = 0;
    for (int n = decoder.read(buffer.data(), Frames, &status); n > 0;
         n = decoder.read(buffer.data(), Frames, &status)) {
        for (int i = 0; i < 2 * n; ++i)
            peak = std::max(peak, std::fabs(buffer[size_t(i)]));
    }
    return status == 0 ? peak : -1.0f;
}

} // namespace ZADovuzIdida
