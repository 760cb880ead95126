#include "NativeAudioTools.h"

#include "Native/AssetProbe.h"
#include "Native/FfmpegDecoder.h"

#include <ZADovuzIdida/_VozIdavi/Common/SampleRange.h>

#include <algorithm>
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
        peak = std::max(peak, SampleRange::absolutePeak(buffer.data(), 2 * qint64(n)));
    }
    return status == 0 ? peak : -1.0f;
}

} // namespace ZADovuzIdida
