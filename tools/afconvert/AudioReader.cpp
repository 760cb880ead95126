#include "AudioReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <vector>

AudioReader::~AudioReader()
{
    avformat_close_input(&m_pInput);
    avcodec_free_context(&m_pDecoder);
    swr_free(&m_pResampler);
    av_packet_free(&m_pPacket);
    av_frame_free(&m_pFrame);
}

int AudioReader::open(const std::string& path, float gain)
{
    m_fGain = gain;
    m_pPacket = av_packet_alloc();
    m_pFrame = av_frame_alloc();
    if (!m_pPacket || !m_pFrame)
        return AVERROR(ENOMEM);
    int rc = avformat_open_input(&m_pInput, path.c_str(), nullptr, nullptr);
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

int AudioReader::sampleRate() const { return m_pDecoder->sample_rate; }

int AudioReader::channels() const { return m_pDecoder->ch_layout.nb_channels; }

int AudioReader::copyLayout(AVChannelLayout* layout) const
{
    if (m_pDecoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(layout, m_pDecoder->ch_layout.nb_channels);
        return 0;
    }
    return av_channel_layout_copy(layout, &m_pDecoder->ch_layout);
}

long long AudioReader::seekableLength() const
{
    const AVStream* stream = m_pInput->streams[m_nStream];
    const AVCodecParameters* format = stream->codecpar;
    const bool pcm = format->codec_id >= AV_CODEC_ID_FIRST_AUDIO && format->codec_id < AV_CODEC_ID_ADPCM_IMA_QT;
    const bool seekable = m_pInput->pb && (m_pInput->pb->seekable & AVIO_SEEKABLE_NORMAL);
    // The demuxer finds a sample's byte position by the header's byte rate, which must then agree with the layout.
    const bool consistent = format->block_align > 0 && format->bit_rate == 8LL * format->block_align * sampleRate();
    if (!pcm || !seekable || !consistent || stream->duration == AV_NOPTS_VALUE || stream->duration < 0)
        return -1;
    return av_rescale_q(stream->duration, stream->time_base, AVRational{1, sampleRate()});
}

int AudioReader::seek(long long position)
{
    const AVStream* stream = m_pInput->streams[m_nStream];
    const long long timestamp = av_rescale_q(position, AVRational{1, sampleRate()}, stream->time_base);
    const int rc = av_seek_frame(m_pInput, m_nStream, timestamp, AVSEEK_FLAG_BACKWARD);
    if (rc < 0)
        return rc;
    avcodec_flush_buffers(m_pDecoder);
    m_nTarget = position;
    m_nSkip = -1;
    m_bInputDone = false;
    m_bEnded = false;
    return 0;
}

int AudioReader::fill(AVAudioFifo* fifo, int count)
{
    while (!m_bEnded && av_audio_fifo_size(fifo) < count) {
        int rc = avcodec_receive_frame(m_pDecoder, m_pFrame);
        if (rc == 0) {
            rc = receiveFrame(fifo);
        } else if (rc == AVERROR_EOF || (rc == AVERROR(EAGAIN) && m_bInputDone)) {
            m_bEnded = true;
            rc = m_pResampler ? convert(nullptr, fifo) : 0;
        } else if (rc == AVERROR(EAGAIN)) {
            rc = readPacket();
        } else if (rc == AVERROR_INVALIDDATA) {
            rc = 0;
        }
        if (rc < 0)
            return rc;
    }
    return 0;
}

int AudioReader::readPacket()
{
    const int rc = av_read_frame(m_pInput, m_pPacket);
    if (rc == AVERROR_EOF) {
        m_bInputDone = true;
        avcodec_send_packet(m_pDecoder, nullptr);
        return 0;
    }
    if (rc < 0)
        return rc;
    // A damaged packet is dropped by the decoder; reading goes on with the next one.
    if (m_pPacket->stream_index == m_nStream)
        avcodec_send_packet(m_pDecoder, m_pPacket);
    av_packet_unref(m_pPacket);
    return 0;
}

int AudioReader::receiveFrame(AVAudioFifo* fifo)
{
    int rc = 0;
    if (m_nSkip < 0) {
        // The first frame after a seek tells how far before the asked position it begins.
        const AVRational samples{1, sampleRate()};
        const long long start = m_pFrame->pts == AV_NOPTS_VALUE
                                    ? m_nTarget + 1
                                    : av_rescale_q(m_pFrame->pts, m_pInput->streams[m_nStream]->time_base, samples);
        m_nSkip = m_nTarget - start;
        if (m_nSkip < 0)
            rc = AVERROR(ESPIPE);
    }
    if (rc >= 0)
        rc = convert(m_pFrame, fifo);
    av_frame_unref(m_pFrame);
    return rc;
}

int AudioReader::convert(const AVFrame* frame, AVAudioFifo* fifo)
{
    const int channels = m_pDecoder->ch_layout.nb_channels;
    if (!m_pResampler) {
        AVChannelLayout input = {};
        AVChannelLayout output = {};
        int rc = frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC
                     ? (av_channel_layout_default(&input, frame->ch_layout.nb_channels), 0)
                     : av_channel_layout_copy(&input, &frame->ch_layout);
        if (rc >= 0)
            rc = copyLayout(&output);
        if (rc >= 0)
            rc = swr_alloc_set_opts2(&m_pResampler, &output, AV_SAMPLE_FMT_FLTP, sampleRate(), &input,
                                     AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&input);
        av_channel_layout_uninit(&output);
        if (rc >= 0)
            rc = swr_init(m_pResampler);
        if (rc < 0)
            return rc;
    }
    const int capacity = swr_get_out_samples(m_pResampler, frame ? frame->nb_samples : 0);
    if (capacity <= 0)
        return 0;
    uint8_t** planes = nullptr;
    int rc = av_samples_alloc_array_and_samples(&planes, nullptr, channels, capacity, AV_SAMPLE_FMT_FLTP, 0);
    if (rc < 0)
        return rc;
    rc =
        swr_convert(m_pResampler, planes, capacity, frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                    frame ? frame->nb_samples : 0);
    if (rc > 0) {
        const int dropped = int(std::min<long long>(m_nSkip, rc));
        m_nSkip -= dropped;
        std::vector<void*> kept(channels);
        for (int channel = 0; channel < channels; ++channel) {
            float* values = reinterpret_cast<float*>(planes[channel]) + dropped;
            if (m_fGain != 1.0f) {
                for (int i = 0; i < rc - dropped; ++i)
                    values[i] *= m_fGain;
            }
            kept[channel] = values;
        }
        rc = av_audio_fifo_write(fifo, kept.data(), rc - dropped);
    }
    av_freep(&planes[0]);
    av_freep(&planes);
    return rc < 0 ? rc : 0;
}
