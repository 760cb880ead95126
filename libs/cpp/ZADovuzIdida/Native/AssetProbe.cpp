#include "AssetProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace ZADovuzIdida {

AssetProbe AssetProbe::probe(const QString& path)
{
    AssetProbe result;
    if (path.isEmpty())
        return result;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return result;
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        for (unsigned i = 0; i < format->nb_streams && !result.playable; ++i) {
            const AVStream* stream = format->streams[i];
            const AVMediaType type = stream->codecpar->codec_type;
            const bool media = type == AVMEDIA_TYPE_AUDIO ||
                               (type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC));
            result.playable = media && avcodec_find_decoder(stream->codecpar->codec_id) != nullptr;
        }
        if (result.playable && format->duration != AV_NOPTS_VALUE && format->duration > 0)
            result.seconds = format->duration / AV_TIME_BASE;
    }
    avformat_close_input(&format);
    return result;
}

} // namespace ZADovuzIdida
