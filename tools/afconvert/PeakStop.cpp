#include "PeakStop.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cmath>

namespace {

// Input frames below this part of the level are not decoded: the encoder lifts a decoded peak by less than 6 dB
// over its input's samples, also on noise driven into clipping, whose true peak lies well above them. A frame missed
// here is still measured by the whole decode.
constexpr float kLoudFraction = 0.5f;
// Each decoder holds about 0.7 MB; two keep up with every part that can run at once.
constexpr int kDecoders = 2;
// Packets measured in one batch: a few frames' delay before the encode ends.
constexpr int kBatch = 16;
// The substituted noise at any one value of a frame, in the result's decode as in the check's, lies within this many
// times the largest difference between two decodes of the frame.
constexpr float kNoiseReach = 2.0f;

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

PeakStop::~PeakStop()
{
    for (AVCodecContext* decoder : m_idle)
        avcodec_free_context(&decoder);
}

int PeakStop::decode(const AVCodecContext* encoder, const std::vector<PendingPacket>& packets)
{
    int rc = 0;
    AVCodecContext* decoder = takeDecoder(encoder, &rc);
    float highest = 0.0f;
    const auto measure = [&highest](const AVFrame* frame) { highest = std::max(highest, framePeak(frame)); };
    if (decoder)
        rc = decodeWith(decoder, packets, measure);
    float peak = 0.0f;
    if (rc >= 0 && highest > m_fLevel)
        rc = confirmedPeak(decoder, packets, &peak);
    giveBack(decoder);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fHighest = std::max(m_fHighest, peak);
    return rc < 0 ? rc : m_fHighest > m_fLevel ? AVERROR_EXIT : 0;
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

AVCodecContext* PeakStop::takeDecoder(const AVCodecContext* encoder, int* error)
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_given.wait(lock, [this] { return !m_idle.empty() || m_nOpened < kDecoders; });
        if (!m_idle.empty()) {
            AVCodecContext* decoder = m_idle.back();
            m_idle.pop_back();
            return decoder;
        }
        ++m_nOpened;
    }
    const AVCodec* codec = avcodec_find_decoder(encoder->codec_id);
    AVCodecContext* decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVCodecParameters* parameters = avcodec_parameters_alloc();
    int rc = !codec ? AVERROR_DECODER_NOT_FOUND : decoder && parameters ? 0 : AVERROR(ENOMEM);
    if (rc >= 0)
        rc = avcodec_parameters_from_context(parameters, encoder);
    if (rc >= 0)
        rc = avcodec_parameters_to_context(decoder, parameters);
    if (rc >= 0)
        rc = avcodec_open2(decoder, codec, nullptr);
    avcodec_parameters_free(&parameters);
    if (rc >= 0)
        return decoder;
    avcodec_free_context(&decoder);
    *error = rc;
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_nOpened;
    m_given.notify_one();
    return nullptr;
}

void PeakStop::giveBack(AVCodecContext* decoder)
{
    if (!decoder)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_idle.push_back(decoder);
    m_given.notify_one();
}

int PeakStop::confirmedPeak(AVCodecContext* decoder, const std::vector<PendingPacket>& packets, float* peak)
{
    // Each decode draws the noise further on in the decoder's random state: the two differ only by it.
    std::vector<std::vector<float>> frames;
    int rc = decodeWith(decoder, packets, [&frames](const AVFrame* frame) {
        std::vector<float>& values = frames.emplace_back();
        for (int channel = 0; channel < frame->ch_layout.nb_channels; ++channel) {
            const float* channelValues = reinterpret_cast<const float*>(frame->extended_data[channel]);
            values.insert(values.end(), channelValues, channelValues + frame->nb_samples);
        }
    });
    size_t next = 0;
    if (rc >= 0)
        rc = decodeWith(decoder, packets, [&](const AVFrame* frame) {
            if (next == frames.size())
                return;
            const std::vector<float>& before = frames[next++];
            // The same packets give frames of the same shape; any other is not compared.
            if (before.size() != size_t(frame->ch_layout.nb_channels) * size_t(frame->nb_samples))
                return;
            const float* pBefore = before.data();
            for (int channel = 0; channel < frame->ch_layout.nb_channels; ++channel) {
                const float* values = reinterpret_cast<const float*>(frame->extended_data[channel]);
                float both = 0.0f;
                float apart = 0.0f;
                for (int i = 0; i < frame->nb_samples; ++i) {
                    both = std::max(both, std::min(std::fabs(values[i]), std::fabs(pBefore[i])));
                    apart = std::max(apart, std::fabs(values[i] - pBefore[i]));
                }
                pBefore += frame->nb_samples;
                *peak = std::max(*peak, both - kNoiseReach * apart);
            }
        });
    return rc;
}

template <typename Measure>
int PeakStop::decodeWith(AVCodecContext* decoder, const std::vector<PendingPacket>& packets, Measure measure)
{
    AVFrame* frame = av_frame_alloc();
    int rc = frame ? 0 : AVERROR(ENOMEM);
    for (const PendingPacket& pending : packets) {
        // A run begins afresh: the decoder holds another part's overlap, or an earlier run's.
        if (!pending.bMeasured)
            avcodec_flush_buffers(decoder);
        if (rc >= 0)
            rc = avcodec_send_packet(decoder, pending.packet);
        while (rc >= 0 && (rc = avcodec_receive_frame(decoder, frame)) >= 0) {
            if (frame->format != AV_SAMPLE_FMT_FLTP)
                rc = AVERROR_PATCHWELCOME;
            else if (pending.bMeasured)
                measure(frame);
            av_frame_unref(frame);
        }
        if (rc == AVERROR(EAGAIN))
            rc = 0;
        if (rc < 0)
            break;
    }
    av_frame_free(&frame);
    return rc;
}

PartPeakCheck::PartPeakCheck(PeakStop* stop, const AVCodecContext* encoder)
    : m_pStop(stop), m_pEncoder(encoder), m_pPrevious(av_packet_alloc())
{
}

PartPeakCheck::~PartPeakCheck()
{
    clear();
    av_packet_free(&m_pPrevious);
}

void PartPeakCheck::frameRead(const AVFrame* frame) { m_inputPeaks.emplace_back(frame->pts, framePeak(frame)); }

int PartPeakCheck::packet(const AVPacket* packet, bool bKept)
{
    if (!m_pPrevious)
        return AVERROR(ENOMEM);
    // A packet's decode completes the input frame that begins at its time.
    while (!m_inputPeaks.empty() && m_inputPeaks.front().first < packet->pts)
        m_inputPeaks.pop_front();
    const bool bLoud = bKept && !m_inputPeaks.empty() && m_inputPeaks.front().first == packet->pts &&
                       m_inputPeaks.front().second >= m_pStop->level() * kLoudFraction;
    int rc = 0;
    if (bLoud && !m_bPreviousAdded && m_pPrevious->size > 0)
        rc = add(m_pPrevious, false);
    if (rc >= 0 && bLoud)
        rc = add(packet, true);
    m_bPreviousAdded = bLoud;
    av_packet_unref(m_pPrevious);
    if (rc >= 0)
        rc = av_packet_ref(m_pPrevious, packet);
    return rc >= 0 && m_nMeasured >= kBatch ? finish() : rc;
}

int PartPeakCheck::add(const AVPacket* packet, bool bMeasured)
{
    AVPacket* copy = av_packet_clone(packet);
    if (!copy)
        return AVERROR(ENOMEM);
    m_pending.push_back({copy, bMeasured});
    m_nMeasured += bMeasured ? 1 : 0;
    return 0;
}

int PartPeakCheck::finish()
{
    const int rc = m_pending.empty() ? 0 : m_pStop->decode(m_pEncoder, m_pending);
    clear();
    // The next batch begins a run of its own.
    m_bPreviousAdded = false;
    return rc;
}

void PartPeakCheck::clear()
{
    for (PendingPacket& pending : m_pending)
        av_packet_free(&pending.packet);
    m_pending.clear();
    m_nMeasured = 0;
}
