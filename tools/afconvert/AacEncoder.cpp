#include "AacEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

std::string describe(int status)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(status, text, sizeof text);
    return text;
}

} // namespace

AacEncoder::~AacEncoder() { release(); }

void AacEncoder::release()
{
    avformat_close_input(&m_pInput);
    avcodec_free_context(&m_pDecoder);
    avcodec_free_context(&m_pEncoder);
    if (m_pOutput) {
        if (m_pOutput->pb)
            avio_closep(&m_pOutput->pb);
        avformat_free_context(m_pOutput);
        m_pOutput = nullptr;
    }
    swr_free(&m_pResampler);
    if (m_pFifo)
        av_audio_fifo_free(m_pFifo);
    m_pFifo = nullptr;
    av_packet_free(&m_pPacket);
    av_frame_free(&m_pFrame);
}

AacEncoder::Result AacEncoder::run(const std::string& input, const std::string& path, const std::string& target,
                                   int quality, long bitRate, double gain, std::string* error)
{
    m_fGain = float(gain);
    int rc = openInput(input);
    if (rc < 0) {
        *error = "cannot read " + input + ": " + describe(rc);
        release();
        return InputError;
    }
    rc = openOutput(path, quality, bitRate);
    if (rc >= 0)
        rc = transcode();
    if (rc >= 0 && m_bHeaderWritten)
        rc = av_write_trailer(m_pOutput);
    if (rc >= 0 && m_pOutput->pb)
        rc = avio_closep(&m_pOutput->pb);
    if (rc < 0) {
        *error = "cannot write " + target + ": " + describe(rc);
        release();
        return OutputError;
    }
    release();
    return Success;
}

int AacEncoder::openInput(const std::string& input)
{
    int rc = avformat_open_input(&m_pInput, input.c_str(), nullptr, nullptr);
    if (rc < 0)
        return rc;
    rc = avformat_find_stream_info(m_pInput, nullptr);
    if (rc < 0)
        return rc;
    const AVCodec* codec = nullptr;
    rc = av_find_best_stream(m_pInput, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (rc < 0)
        return rc;
    m_nStream = rc;
    for (unsigned i = 0; i < m_pInput->nb_streams; ++i)
        m_pInput->streams[i]->discard = int(i) == m_nStream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    m_pDecoder = avcodec_alloc_context3(codec);
    if (!m_pDecoder)
        return AVERROR(ENOMEM);
    rc = avcodec_parameters_to_context(m_pDecoder, m_pInput->streams[m_nStream]->codecpar);
    if (rc < 0)
        return rc;
    m_pDecoder->pkt_timebase = m_pInput->streams[m_nStream]->time_base;
    rc = avcodec_open2(m_pDecoder, codec, nullptr);
    if (rc < 0)
        return rc;
    if (m_pDecoder->sample_rate <= 0 || m_pDecoder->ch_layout.nb_channels <= 0)
        return AVERROR_INVALIDDATA;
    return 0;
}

int AacEncoder::openOutput(const std::string& path, int quality, long bitRate)
{
    const AVOutputFormat* container = av_guess_format("ipod", nullptr, nullptr);
    const AVCodec* codec = avcodec_find_encoder_by_name("aac");
    if (!container || !codec)
        return AVERROR_ENCODER_NOT_FOUND;
    int rc = avformat_alloc_output_context2(&m_pOutput, container, nullptr, path.c_str());
    if (rc < 0)
        return rc;
    m_pEncoder = avcodec_alloc_context3(codec);
    m_pPacket = av_packet_alloc();
    m_pFrame = av_frame_alloc();
    if (!m_pEncoder || !m_pPacket || !m_pFrame)
        return AVERROR(ENOMEM);

    m_pEncoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_pEncoder->sample_rate = m_pDecoder->sample_rate;
    if (m_pDecoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&m_pEncoder->ch_layout, m_pDecoder->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&m_pEncoder->ch_layout, &m_pDecoder->ch_layout);
    m_pEncoder->bit_rate = bitRate;
    m_pEncoder->profile = FF_PROFILE_AAC_LOW;
    m_pEncoder->time_base = AVRational{1, m_pEncoder->sample_rate};
    if (m_pOutput->oformat->flags & AVFMT_GLOBALHEADER)
        m_pEncoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(m_pEncoder->priv_data, "aac_coder", quality >= 32 ? "twoloop" : "fast", 0);
    rc = avcodec_open2(m_pEncoder, codec, nullptr);
    if (rc < 0)
        return rc;

    AVStream* stream = avformat_new_stream(m_pOutput, nullptr);
    if (!stream)
        return AVERROR(ENOMEM);
    stream->time_base = m_pEncoder->time_base;
    rc = avcodec_parameters_from_context(stream->codecpar, m_pEncoder);
    if (rc < 0)
        return rc;
    m_pFifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, m_pEncoder->ch_layout.nb_channels, m_pEncoder->frame_size * 4);
    if (!m_pFifo)
        return AVERROR(ENOMEM);
    rc = avio_open(&m_pOutput->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0)
        return rc;
    rc = avformat_write_header(m_pOutput, nullptr);
    m_bHeaderWritten = rc >= 0;
    return rc;
}

int AacEncoder::convertFrame(const AVFrame* frame)
{
    if (!m_pResampler) {
        AVChannelLayout input = {};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&input, frame->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&input, &frame->ch_layout);
        int rc = swr_alloc_set_opts2(&m_pResampler, &m_pEncoder->ch_layout, AV_SAMPLE_FMT_FLTP, m_pEncoder->sample_rate,
                                     &input, AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&input);
        if (rc >= 0)
            rc = swr_init(m_pResampler);
        if (rc < 0)
            return rc;
    }
    const int capacity = swr_get_out_samples(m_pResampler, frame ? frame->nb_samples : 0);
    if (capacity <= 0)
        return 0;
    uint8_t** planes = nullptr;
    int rc = av_samples_alloc_array_and_samples(&planes, nullptr, m_pEncoder->ch_layout.nb_channels, capacity,
                                                AV_SAMPLE_FMT_FLTP, 0);
    if (rc < 0)
        return rc;
    rc =
        swr_convert(m_pResampler, planes, capacity, frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                    frame ? frame->nb_samples : 0);
    if (rc > 0 && m_fGain != 1.0f) {
        for (int channel = 0; channel < m_pEncoder->ch_layout.nb_channels; ++channel) {
            float* values = reinterpret_cast<float*>(planes[channel]);
            for (int i = 0; i < rc; ++i)
                values[i] *= m_fGain;
        }
    }
    if (rc > 0)
        rc = av_audio_fifo_write(m_pFifo, reinterpret_cast<void**>(planes), rc);
    av_freep(&planes[0]);
    av_freep(&planes);
    return rc < 0 ? rc : 0;
}

int AacEncoder::encodeFrame(AVFrame* frame)
{
    int rc = avcodec_send_frame(m_pEncoder, frame);
    if (rc < 0)
        return rc;
    AVStream* stream = m_pOutput->streams[0];
    for (;;) {
        rc = avcodec_receive_packet(m_pEncoder, m_pPacket);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return 0;
        if (rc < 0)
            return rc;
        av_packet_rescale_ts(m_pPacket, m_pEncoder->time_base, stream->time_base);
        m_pPacket->stream_index = 0;
        rc = av_interleaved_write_frame(m_pOutput, m_pPacket);
        if (rc < 0)
            return rc;
    }
}

int AacEncoder::encodeFifo(bool flush)
{
    const int frameSize = m_pEncoder->frame_size;
    while (av_audio_fifo_size(m_pFifo) >= frameSize || (flush && av_audio_fifo_size(m_pFifo) > 0)) {
        AVFrame* frame = av_frame_alloc();
        if (!frame)
            return AVERROR(ENOMEM);
        frame->nb_samples = std::min(frameSize, av_audio_fifo_size(m_pFifo));
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = m_pEncoder->sample_rate;
        int rc = av_channel_layout_copy(&frame->ch_layout, &m_pEncoder->ch_layout);
        if (rc >= 0)
            rc = av_frame_get_buffer(frame, 0);
        if (rc >= 0)
            rc = av_audio_fifo_read(m_pFifo, reinterpret_cast<void**>(frame->data), frame->nb_samples);
        if (rc >= 0) {
            frame->pts = m_nNextPts;
            m_nNextPts += frame->nb_samples;
            rc = encodeFrame(frame);
        }
        av_frame_free(&frame);
        if (rc < 0)
            return rc;
    }
    return flush ? encodeFrame(nullptr) : 0;
}

int AacEncoder::transcode()
{
    bool inputDone = false;
    for (;;) {
        int rc = avcodec_receive_frame(m_pDecoder, m_pFrame);
        if (rc == 0) {
            rc = convertFrame(m_pFrame);
            av_frame_unref(m_pFrame);
            if (rc >= 0)
                rc = encodeFifo(false);
            if (rc < 0)
                return rc;
            continue;
        }
        if (rc == AVERROR_EOF)
            break;
        if (rc == AVERROR_INVALIDDATA)
            continue;
        if (rc != AVERROR(EAGAIN))
            return rc;
        if (inputDone)
            break;
        rc = av_read_frame(m_pInput, m_pPacket);
        if (rc == AVERROR_EOF) {
            inputDone = true;
            avcodec_send_packet(m_pDecoder, nullptr);
            continue;
        }
        if (rc < 0)
            return rc;
        // A damaged packet is dropped by the decoder; encoding goes on with the next one.
        if (m_pPacket->stream_index == m_nStream)
            avcodec_send_packet(m_pDecoder, m_pPacket);
        av_packet_unref(m_pPacket);
    }
    if (m_pResampler) {
        const int rc = convertFrame(nullptr);
        if (rc < 0)
            return rc;
    }
    return encodeFifo(true);
}
