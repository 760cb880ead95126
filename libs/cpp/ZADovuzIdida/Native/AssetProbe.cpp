#include "AssetProbe.h"

#include "FormatInput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace ZADovuzIdida {

AssetProbe AssetProbe::probe(const QString& path)
{
    AssetProbe result;
    const FormatInput input(path);
    const AVFormatContext* format = input.context();
    if (!format)
        return result;
    for (unsigned i = 0; i < format->nb_streams && !result.playable; ++i) {
        const AVStream* stream = format->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        const bool media = type == AVMEDIA_TYPE_AUDIO ||
                           (type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC));
        result.playable = media && avcodec_find_decoder(stream->codecpar->codec_id) != nullptr;
    }
    if (result.playable && format->duration != AV_NOPTS_VALUE && format->duration > 0)
        result.seconds = format->duration / AV_TIME_BASE;
    return result;
}

} // namespace ZADovuzIdida
