#include "PartEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>

namespace {

// A fresh encoder starts with a full bit reservoir, which a whole encode at steady bit use has long emptied and which
// then drains by a few bits a frame; at this multiple of the bit rate, a few frames empty it.
constexpr long kDrainRateFactor = 2;

} // namespace

PartEncoder::~PartEncoder()
{
    avcodec_free_context(&m_pEncoder);
    if (m_pFifo)
        av_audio_fifo_free(m_pFifo);
    av_packet_free(&m_pPacket);
}

int PartEncoder::openEncoder(int quality, long bitRate)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("aac");
    if (!codec)
        return AVERROR_ENCODER_NOT_FOUND;
    m_pEncoder = avcodec_alloc_context3(codec);
    m_pPacket = av_packet_alloc();
    if (!m_pEncoder || !m_pPacket)
        return AVERROR(ENOMEM);
    m_pEncoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_pEncoder->sample_rate = m_reader.sampleRate();
    int rc = m_reader.copyLayout(&m_pEncoder->ch_layout);
    if (rc < 0)
        return rc;
    m_pEncoder->bit_rate = bitRate;
    m_nBitRate = bitRate;
    m_pEncoder->profile = FF_PROFILE_AAC_LOW;
    m_pEncoder->time_base = AVRational{1, m_pEncoder->sample_rate};
    // The M4A container carries the decoder's set-up in its header.
    m_pEncoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(m_pEncoder->priv_data, "aac_coder", quality >= 32 ? "twoloop" : "fast", 0);
    rc = avcodec_open2(m_pEncoder, codec, nullptr);
    if (rc < 0)
        return rc;
    m_pFifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, m_pEncoder->ch_layout.nb_channels, m_pEncoder->frame_size * 4);
    return m_pFifo ? 0 : AVERROR(ENOMEM);
}

void PartEncoder::checkPeak(PeakStop* stop) { m_pPeakCheck = std::make_unique<PartPeakCheck>(stop, m_pEncoder); }

int PartEncoder::run(const Stretch& stretch, const Sink& sink)
{
    m_stretch = stretch;
    m_nNextPts = stretch.start;
    int rc = stretch.start > 0 ? m_reader.seek(stretch.start) : 0;
    const int frameSize = m_pEncoder->frame_size;
    while (rc >= 0) {
        const long long wanted =
            m_stretch.end < 0 ? frameSize : std::min<long long>(frameSize, m_stretch.end - m_nNextPts);
        if (wanted <= 0)
            break;
        rc = m_reader.fill(m_pFifo, int(wanted));
        const int samples = std::min(int(wanted), av_audio_fifo_size(m_pFifo));
        if (rc < 0 || samples == 0)
            break;
        // The encoder reads its bit rate anew for every frame.
        m_pEncoder->bit_rate = m_nNextPts < m_stretch.drainTo ? m_nBitRate * kDrainRateFactor : m_nBitRate;
        rc = encodeFrame(samples, sink);
    }
    if (rc >= 0)
        rc = avcodec_send_frame(m_pEncoder, nullptr);
    if (rc >= 0)
        rc = drain(sink);
    return rc < 0 || !m_pPeakCheck ? rc : m_pPeakCheck->finish();
}

int PartEncoder::encodeFrame(int samples, const Sink& sink)
{
    AVFrame* frame = av_frame_alloc();
    if (!frame)
        return AVERROR(ENOMEM);
    frame->nb_samples = samples;
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = m_pEncoder->sample_rate;
    int rc = av_channel_layout_copy(&frame->ch_layout, &m_pEncoder->ch_layout);
    if (rc >= 0)
        rc = av_frame_get_buffer(frame, 0);
    if (rc >= 0)
        rc = av_audio_fifo_read(m_pFifo, reinterpret_cast<void**>(frame->extended_data), samples);
    if (rc >= 0) {
        frame->pts = m_nNextPts;
        m_nNextPts += samples;
        if (m_pPeakCheck)
            m_pPeakCheck->frameRead(frame);
        rc = avcodec_send_frame(m_pEncoder, frame);
    }
    av_frame_free(&frame);
    return rc < 0 ? rc : drain(sink);
}

int PartEncoder::drain(const Sink& sink)
{
    for (;;) {
        int rc = avcodec_receive_packet(m_pEncoder, m_pPacket);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return 0;
        if (rc < 0)
            return rc;
        const bool bKept = m_pPacket->pts >= m_stretch.keepFrom && m_pPacket->pts < m_stretch.keepTo;
        if (m_pPeakCheck)
            rc = m_pPeakCheck->packet(m_pPacket, bKept);
        if (rc >= 0 && bKept)
            rc = sink(m_pPacket);
        av_packet_unref(m_pPacket);
        if (rc < 0)
            return rc;
    }
}
