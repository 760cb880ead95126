#include "PeakStop.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cmath>

namespace {

// Input frames below this part of the level are not decoded: the encoder lifts a decoded peak by less than 3 dB
// over its input's, also on noise driven into clipping. A frame missed here is still measured by the whole decode.
constexpr float kLoudFraction = 0.7f;

// The largest absolute value of a planar float frame.
float framePeak(const AVFrame* frame)
{
    float peak = 0.0f;
    for (int channel = 0; channel < frame->ch_layout.nb_channels; ++channel) {
        const float* values = reinterpret_cast<const float*>(frame->extended_data[channel]);
        for (int i = 0; i < frame->nb_samples; ++i)
            peak = std::max(peak, std::fabs(values[i]));
    }
    return peak;
}

} // namespace

bool PeakStop::report(float value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fHighest = std::max(m_fHighest, value);
    return m_fHighest > m_fLevel;
}

bool PeakStop::passed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fHighest > m_fLevel;
}

float PeakStop::highest()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fHighest;
}

PartPeakCheck::~PartPeakCheck()
{
    avcodec_free_context(&m_pDecoder);
    av_frame_free(&m_pFrame);
    av_packet_free(&m_pPrevious);
}

int PartPeakCheck::open(const AVCodecContext* encoder)
{
    const AVCodec* codec = avcodec_find_decoder(encoder->codec_id);
    if (!codec)
        return AVERROR_DECODER_NOT_FOUND;
    m_pDecoder = avcodec_alloc_context3(codec);
    m_pFrame = av_frame_alloc();
    m_pPrevious = av_packet_alloc();
    AVCodecParameters* parameters = avcodec_parameters_alloc();
    int rc = m_pDecoder && m_pFrame && m_pPrevious && parameters ? 0 : AVERROR(ENOMEM);
    if (rc >= 0)
        rc = avcodec_parameters_from_context(parameters, encoder);
    if (rc >= 0)
        rc = avcodec_parameters_to_context(m_pDecoder, parameters);
    avcodec_parameters_free(&parameters);
    return rc < 0 ? rc : avcodec_open2(m_pDecoder, codec, nullptr);
}

void PartPeakCheck::frameRead(const AVFrame* frame)
{
    m_inputPeaks.emplace_back(frame->pts, framePeak(frame));
}

int PartPeakCheck::packet(const AVPacket* packet, bool bKept)
{
    // A packet's decode completes the input frame that begins at its time.
    while (!m_inputPeaks.empty() && m_inputPeaks.front().first < packet->pts)
        m_inputPeaks.pop_front();
    const bool bLoud = bKept && !m_inputPeaks.empty() && m_inputPeaks.front().first == packet->pts &&
                       m_inputPeaks.front().second >= m_pStop->level() * kLoudFraction;
    int rc = 0;
    if (bLoud && !m_bPreviousDecoded && m_pPrevious->size > 0) {
        avcodec_flush_buffers(m_pDecoder);
        rc = decode(m_pPrevious, false);
    }
    if (rc >= 0 && bLoud)
        rc = decode(packet, true);
    m_bPreviousDecoded = bLoud;
    av_packet_unref(m_pPrevious);
    if (rc >= 0)
        rc = av_packet_ref(m_pPrevious, packet);
    return rc;
}

int PartPeakCheck::decode(const AVPacket* packet, bool bMeasured)
{
    int rc = avcodec_send_packet(m_pDecoder, packet);
    float peak = 0.0f;
    while (rc >= 0 && (rc = avcodec_receive_frame(m_pDecoder, m_pFrame)) >= 0) {
        if (m_pFrame->format != AV_SAMPLE_FMT_FLTP)
            rc = AVERROR_PATCHWELCOME;
        else
            peak = std::max(peak, framePeak(m_pFrame));
        av_frame_unref(m_pFrame);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        return rc;
    return bMeasured && m_pStop->report(peak) ? AVERROR_EXIT : 0;
}
