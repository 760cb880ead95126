#include "OutputPeak.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The most packets read from the file in one go.
constexpr size_t kPacketsARead = 256;

} // namespace

OutputPeak::~OutputPeak()
{
    if (m_thread.joinable()) {
        abandon();
        m_thread.join();
    }
    avcodec_free_context(&m_pDecoder);
    av_packet_free(&m_pPacket);
    av_frame_free(&m_pFrame);
    if (m_nFile >= 0)
        close(m_nFile);
}

int OutputPeak::start(const std::string& path, const AVCodecParameters* parameters, int64_t dataStart)
{
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec)
        return AVERROR_DECODER_NOT_FOUND;
    m_pDecoder = avcodec_alloc_context3(codec);
    m_pPacket = av_packet_alloc();
    m_pFrame = av_frame_alloc();
    if (!m_pDecoder || !m_pPacket || !m_pFrame)
        return AVERROR(ENOMEM);
    int rc = avcodec_parameters_to_context(m_pDecoder, parameters);
    if (rc >= 0)
        rc = avcodec_open2(m_pDecoder, codec, nullptr);
    if (rc < 0)
        return rc;
    m_nFile = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_nFile < 0)
        return AVERROR(errno);
    // As a demuxer does, the encoder's priming is skipped, and nothing at the end.
    m_nSkip = parameters->initial_padding;
    m_nFlushedEnd = dataStart;
    m_thread = std::thread([this, dataStart] { decodeLoop(dataStart); });
    return 0;
}

void OutputPeak::decodeLoop(int64_t offset)
{
    std::deque<int> sizes;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_bFailed || m_bFinished || (!m_sizes.empty() && offset + m_sizes.front() <= m_nFlushedEnd);
            });
            if (m_bFailed)
                return;
            for (int64_t end = offset;
                 !m_sizes.empty() && sizes.size() < kPacketsARead && end + m_sizes.front() <= m_nFlushedEnd;
                 m_sizes.pop_front()) {
                end += m_sizes.front();
                sizes.push_back(m_sizes.front());
            }
            if (sizes.empty()) {
                // Finished: every packet told must have been flushed.
                m_bFailed = !m_sizes.empty() || !decode(offset, sizes);
                return;
            }
        }
        const bool bDecoded = decode(offset, sizes);
        for (const int size : sizes)
            offset += size;
        sizes.clear();
        if (!bDecoded) {
            abandon();
            return;
        }
    }
}

void OutputPeak::add(int size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bFailed)
        m_sizes.push_back(size);
}

void OutputPeak::flushed(int64_t end)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nFlushedEnd = end;
    }
    m_changed.notify_one();
}

void OutputPeak::abandon()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bFailed = true;
        m_sizes.clear();
    }
    m_changed.notify_one();
}

float OutputPeak::finish()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bFinished = true;
        }
        m_changed.notify_one();
        m_thread.join();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bFinished && !m_bFailed ? m_fPeak : -1.0f;
}

bool OutputPeak::decode(int64_t offset, const std::deque<int>& sizes)
{
    // No packets: the end of the stream, which gives what the decoder still holds.
    if (sizes.empty())
        return avcodec_send_packet(m_pDecoder, nullptr) >= 0 && receiveFrames();
    int64_t total = 0;
    for (const int size : sizes)
        total += size;
    std::vector<uint8_t> data(size_t(total) + AV_INPUT_BUFFER_PADDING_SIZE);
    for (int64_t done = 0; done < total;) {
        const ssize_t n = pread(m_nFile, data.data() + done, size_t(total - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    const uint8_t* pData = data.data();
    for (const int size : sizes) {
        // An empty packet would end the decode.
        if (size <= 0 || av_new_packet(m_pPacket, size) < 0)
            return false;
        std::copy(pData, pData + size, m_pPacket->data);
        pData += size;
        const int rc = avcodec_send_packet(m_pDecoder, m_pPacket);
        av_packet_unref(m_pPacket);
        if (rc < 0 || !receiveFrames())
            return false;
    }
    return true;
}

bool OutputPeak::receiveFrames()
{
    AVFrame* const frame = m_pFrame;
    int rc = 0;
    while ((rc = avcodec_receive_frame(m_pDecoder, frame)) >= 0) {
        const auto format = AVSampleFormat(frame->format);
        if (format != AV_SAMPLE_FMT_FLTP && format != AV_SAMPLE_FMT_FLT) {
            rc = AVERROR_PATCHWELCOME;
            break;
        }
        const bool bPlanar = av_sample_fmt_is_planar(format);
        const int channels = frame->ch_layout.nb_channels;
        const long long skipped = std::min<long long>(m_nSkip, frame->nb_samples);
        m_nSkip -= skipped;
        // In a local, which the compiler keeps in a register: the member would be stored at every value.
        float peak = m_fPeak;
        for (int plane = 0; plane < (bPlanar ? channels : 1); ++plane) {
            const float* pValues = reinterpret_cast<const float*>(frame->extended_data[plane]);
            const int perSample = bPlanar ? 1 : channels;
            for (long long i = skipped * perSample; i < frame->nb_samples * perSample; ++i)
                peak = std::max(peak, std::fabs(pValues[i]));
        }
        m_fPeak = peak;
        av_frame_unref(frame);
    }
    av_frame_unref(frame);
    return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF;
}
