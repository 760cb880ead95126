#include "NativeAudioTools.h"

#include "Native/AssetProbe.h"

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

} // namespace ZADovuzIdida
