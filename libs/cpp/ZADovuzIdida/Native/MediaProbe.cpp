#include "MediaProbe.h"

#include "FormatInput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace ZADovuzIdida {

MediaProbe MediaProbe::probe(const QString& path)
{
    MediaProbe result;
    const FormatInput input(path);
    AVFormatContext* format = input.context();
    if (!format)
        return result;
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index < 0 || !codec)
        return result;
    const AVStream* stream = format->streams[index];
    result.playable = true;
    result.channels = stream->codecpar->ch_layout.nb_channels;
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        result.durationMs = format->duration / 1000;
    else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        result.durationMs = av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
    return result;
}

} // namespace ZADovuzIdida
