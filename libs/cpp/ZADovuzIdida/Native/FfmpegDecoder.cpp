#include "FfmpegDecoder.h"

#include "DenormalsOff.h"
#include "MediaStatus.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

namespace ZADovuzIdida {

namespace {

AVSampleFormat avFormat(FfmpegDecoder::SampleFormat format)
{
    switch (format) {
    case FfmpegDecoder::SampleFormat::S16:
        return AV_SAMPLE_FMT_S16;
    case FfmpegDecoder::SampleFormat::S32:
        return AV_SAMPLE_FMT_S32;
    case FfmpegDecoder::SampleFormat::F32:
        break;
    }
    return AV_SAMPLE_FMT_FLT;
}

bool plausibleRate(int rate) { return rate >= FfmpegDecoder::MinSourceRate && rate <= FfmpegDecoder::MaxSourceRate; }

bool plausibleChannels(int channels) { return channels >= 1 && channels <= FfmpegDecoder::MaxSourceChannels; }

// A stream may end this much before its declared length: encoder delay, padding, a lost packet or two.
constexpr qint64 ShortEndToleranceMs = 250;
constexpr qint64 ShortEndTolerancePerMille = 10;
// Where a range's first frame lies after its start, decoding enters this much earlier, then twice as much each time.
constexpr qint64 RangeBackOffMs = 1000;

// Decoders whose state after a few packets no longer depends on where decoding began. MP3's bit reservoir reaches
// back 511 bytes of earlier frames' data (each frame has up to 36 bytes of header and side information), its
// overlap and synthesis history one frame; Vorbis keeps the overlap of one block. The MP3 decoder in integers
// carries its rounding error on from sample to sample, AAC's noise substitution draws on a generator that runs from
// the start and Opus keeps recursive filters, so none of those is here.
struct PacketCut
{
    const char* decoder;
    FfmpegDecoder::Memory memory;
};
const PacketCut PacketCuts[] = {{"mp3float", {1, 511, 36}}, {"vorbis", {1, 0, 0}}};

uint64_t layoutMask(const AVChannelLayout& layout)
{
    return layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0;
}

} // namespace

FfmpegDecoder::FfmpegDecoder() = default;

FfmpegDecoder::~FfmpegDecoder() { close(); }

int FfmpegDecoder::open(const QString& path)
{
    close();
    m_strPath = path;
    m_nDamagedPackets = 0;
    return openFile();
}

int FfmpegDecoder::openFile()
{
    int rc = avformat_open_input(&m_pFormat, m_strPath.toUtf8().constData(), nullptr, nullptr);
    if (rc < 0) {
        m_pFormat = nullptr;
        return rc;
    }
    rc = avformat_find_stream_info(m_pFormat, nullptr);
    const AVCodec* codec = nullptr;
    if (rc >= 0)
        rc = av_find_best_stream(m_pFormat, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (rc < 0) {
        avformat_close_input(&m_pFormat);
        if (rc == AVERROR_STREAM_NOT_FOUND)
            return kStatusUnsupportedFileType;
        return rc == AVERROR_DECODER_NOT_FOUND ? kStatusUnsupportedDataFormat : rc;
    }
    m_nStream = rc;
    const AVCodecParameters* parameters = m_pFormat->streams[m_nStream]->codecpar;
    // A value the header leaves open is checked on the first decoded frame.
    if ((parameters->sample_rate != 0 && !plausibleRate(parameters->sample_rate)) ||
        (parameters->ch_layout.nb_channels != 0 && !plausibleChannels(parameters->ch_layout.nb_channels))) {
        avformat_close_input(&m_pFormat);
        return kStatusUnsupportedDataFormat;
    }
    for (unsigned i = 0; i < m_pFormat->nb_streams; ++i)
        m_pFormat->streams[i]->discard = int(i) == m_nStream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    const AVStream* stream = m_pFormat->streams[m_nStream];
    if (stream->duration > 0 && m_pFormat->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
        m_nDeclaredDuration = stream->duration;
    rc = openCodec(codec);
    m_pPacket = av_packet_alloc();
    m_pFrame = av_frame_alloc();
    if (rc >= 0 && (!m_pPacket || !m_pFrame))
        rc = AVERROR(ENOMEM);
    if (rc < 0) {
        close();
        return rc;
    }
    if (m_nRate > 0)
        m_pFifo = av_audio_fifo_alloc(avFormat(m_eFormat), 2, 8192);
    return 0;
}

int FfmpegDecoder::openCodec(const AVCodec* codec)
{
    avcodec_free_context(&m_pCodec);
    const AVStream* stream = m_pFormat->streams[m_nStream];
    m_pCodec = avcodec_alloc_context3(codec);
    int rc = m_pCodec ? avcodec_parameters_to_context(m_pCodec, stream->codecpar) : AVERROR(ENOMEM);
    if (rc >= 0) {
        m_pCodec->pkt_timebase = stream->time_base;
        rc = avcodec_open2(m_pCodec, codec, nullptr);
    }
    return rc;
}

int FfmpegDecoder::setOutputFormat(int sampleRate, SampleFormat format)
{
    if (!isOpen())
        return kStatusUnspecified;
    if (sampleRate <= 0)
        return kStatusUnsupportedDataFormat;
    m_nRate = sampleRate;
    m_eFormat = format;
    swr_free(&m_pResampler);
    if (m_pFifo)
        av_audio_fifo_free(m_pFifo);
    m_pFifo = av_audio_fifo_alloc(avFormat(m_eFormat), 2, 8192);
    return m_pFifo ? 0 : AVERROR(ENOMEM);
}

void FfmpegDecoder::close()
{
    avformat_close_input(&m_pFormat);
    avcodec_free_context(&m_pCodec);
    swr_free(&m_pResampler);
    if (m_pFifo)
        av_audio_fifo_free(m_pFifo);
    m_pFifo = nullptr;
    av_packet_free(&m_pPacket);
    av_frame_free(&m_pFrame);
    m_nStream = -1;
    m_nInRate = 0;
    m_nInFormat = -1;
    m_nInChannels = 0;
    m_nInMask = 0;
    m_bInputDone = false;
    m_bDecoderDone = false;
    m_nDropFrames = 0;
    m_nSeekTarget = -1;
    m_nDeclaredDuration = -1;
    m_nFramesOut = 0;
    m_bSeeked = false;
    m_nRangeFrom = 0;
    m_nRangeTo = -1;
    m_nClock = 0;
    m_nEntryAt = -1;
    m_bEntering = false;
    m_bPastRange = false;
    m_bFed = false;
    m_vecFeed.clear();
    m_nFed = 0;
    m_bKeeping = true;
    m_bFedExactly = true;
    m_pCapture = nullptr;
}

int FfmpegDecoder::sourceRate() const { return m_pCodec ? m_pCodec->sample_rate : 0; }

bool FfmpegDecoder::endsShort() const { return !m_bSeeked && m_nRangeTo < 0 && fallsShort(m_nFramesOut); }

qint64 FfmpegDecoder::declaredFrames() const
{
    if (m_nDeclaredDuration < 0 || m_nRate <= 0 || !isOpen())
        return -1;
    return av_rescale_q(m_nDeclaredDuration, m_pFormat->streams[m_nStream]->time_base, AVRational{1, m_nRate});
}

bool FfmpegDecoder::fallsShort(qint64 frames) const
{
    const qint64 declared = declaredFrames();
    if (declared < 0)
        return false;
    const qint64 tolerance = qint64(m_nRate) * ShortEndToleranceMs / 1000 + declared * ShortEndTolerancePerMille / 1000;
    return frames + tolerance < declared;
}

bool FfmpegDecoder::cutsExactly() const
{
    if (!m_pCodec || declaredFrames() <= 0 || m_pCodec->sample_rate != m_nRate)
        return false;
    const AVCodecID codec = m_pCodec->codec_id;
    return codec == AV_CODEC_ID_FLAC || (codec >= AV_CODEC_ID_PCM_S16LE && codec < AV_CODEC_ID_ADPCM_IMA_QT);
}

bool FfmpegDecoder::cutsByPackets() const
{
    return m_pCodec && m_pCodec->sample_rate == m_nRate &&
           std::any_of(std::begin(PacketCuts), std::end(PacketCuts),
                       [this](const PacketCut& cut) { return std::strcmp(cut.decoder, m_pCodec->codec->name) == 0; });
}

FfmpegDecoder::Memory FfmpegDecoder::memory() const
{
    for (const PacketCut& cut : PacketCuts) {
        if (m_pCodec && std::strcmp(cut.decoder, m_pCodec->codec->name) == 0)
            return cut.memory;
    }
    return Memory();
}

qint64 FfmpegDecoder::estimatedFrames() const
{
    if (!isOpen() || m_nRate <= 0)
        return -1;
    const AVStream* stream = m_pFormat->streams[m_nStream];
    if (stream->duration > 0)
        return av_rescale_q(stream->duration, stream->time_base, AVRational{1, m_nRate});
    return m_pFormat->duration > 0 ? av_rescale_q(m_pFormat->duration, AV_TIME_BASE_Q, AVRational{1, m_nRate}) : -1;
}

bool FfmpegDecoder::atEnd() const { return !m_pFifo || (m_bDecoderDone && av_audio_fifo_size(m_pFifo) == 0); }

int FfmpegDecoder::makeResampler(const AVFrame* frame)
{
    swr_free(&m_pResampler);
    AVChannelLayout input = {};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&input, frame->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&input, &frame->ch_layout);
    if (input.nb_channels <= 0)
        return kStatusUnsupportedDataFormat;

    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    int rc = swr_alloc_set_opts2(&m_pResampler, &stereo, avFormat(m_eFormat), m_nRate, &input,
                                 AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
    if (rc >= 0 && input.nb_channels == 1) {
        // A mono source goes to both sides at unity gain.
        const double matrix[2] = {1.0, 1.0};
        rc = swr_set_matrix(m_pResampler, matrix, 1);
    }
    if (rc >= 0)
        rc = swr_init(m_pResampler);
    m_nInRate = frame->sample_rate;
    m_nInFormat = frame->format;
    m_nInChannels = frame->ch_layout.nb_channels;
    m_nInMask = layoutMask(frame->ch_layout);
    av_channel_layout_uninit(&input);
    if (rc < 0)
        swr_free(&m_pResampler);
    return rc;
}

int FfmpegDecoder::pushConverted(const AVFrame* frame)
{
    if (!plausibleRate(frame->sample_rate) || !plausibleChannels(frame->ch_layout.nb_channels))
        return kStatusUnsupportedDataFormat;
    const qint64 position = framePosition(frame);
    if (frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT))
        countDamaged(position);
    if (m_nRangeTo >= 0) {
        if (m_bEntering) {
            m_bEntering = false;
            m_nEntryAt = frame->best_effort_timestamp != AV_NOPTS_VALUE ? position : -1;
        }
        if (position >= m_nRangeTo) {
            m_bPastRange = m_bDecoderDone = true;
            return 0;
        }
    }
    m_nClock = position < 0 ? -1 : position + frame->nb_samples;
    if (!m_pResampler || frame->sample_rate != m_nInRate || frame->format != m_nInFormat ||
        frame->ch_layout.nb_channels != m_nInChannels || layoutMask(frame->ch_layout) != m_nInMask) {
        if (m_pResampler)
            drainResampler();
        const int rc = makeResampler(frame);
        if (rc < 0)
            return rc;
    }
    if (m_nSeekTarget >= 0) {
        if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
            m_nDropFrames = std::max<qint64>(0, m_nSeekTarget - position);
        m_nSeekTarget = -1;
    }
    const int capacity = swr_get_out_samples(m_pResampler, frame->nb_samples);
    if (capacity <= 0)
        return 0;
    m_vecScratch.resize(size_t(capacity) * size_t(bytesPerFrame()));
    uint8_t* out = m_vecScratch.data();
    const int converted =
        swr_convert(m_pResampler, &out, capacity, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (converted < 0)
        return converted;
    if (m_nRangeTo < 0) {
        writeToFifo(out, converted);
        return 0;
    }
    // Of a range only what lies in it; nothing of a frame whose position is unknown, which comes before the first
    // frame with a timestamp.
    const qint64 begin = position < 0 ? converted : std::clamp<qint64>(m_nRangeFrom - position, 0, converted);
    const qint64 end = position < 0 ? converted : std::clamp<qint64>(m_nRangeTo - position, begin, converted);
    writeToFifo(out + begin * bytesPerFrame(), int(end - begin));
    return 0;
}

void FfmpegDecoder::writeToFifo(uint8_t* data, int frames)
{
    void* planes[1] = {data};
    av_audio_fifo_write(m_pFifo, planes, frames);
    if (m_nDropFrames > 0) {
        const int drop = int(std::min<qint64>(m_nDropFrames, av_audio_fifo_size(m_pFifo)));
        av_audio_fifo_drain(m_pFifo, drop);
        m_nDropFrames -= drop;
    }
}

qint64 FfmpegDecoder::framePosition(const AVFrame* frame) const
{
    const int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        return m_nClock;
    const AVStream* stream = m_pFormat->streams[m_nStream];
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    return av_rescale_q(pts - start, stream->time_base, AVRational{1, m_nRate});
}

void FfmpegDecoder::countDamaged(qint64 position)
{
    if (m_bKeeping && (m_nRangeTo < 0 || (position >= m_nRangeFrom && position < m_nRangeTo)))
        ++m_nDamagedPackets;
}

void FfmpegDecoder::drainResampler()
{
    for (;;) {
        const int capacity = swr_get_out_samples(m_pResampler, 0);
        if (capacity <= 0)
            return;
        m_vecScratch.resize(size_t(capacity) * size_t(bytesPerFrame()));
        uint8_t* out = m_vecScratch.data();
        const int converted = swr_convert(m_pResampler, &out, capacity, nullptr, 0);
        if (converted <= 0)
            return;
        writeToFifo(out, converted);
    }
}

int FfmpegDecoder::decodeMore()
{
    const DenormalsOff denormalsOff;
    for (;;) {
        int rc = avcodec_receive_frame(m_pCodec, m_pFrame);
        if (rc == 0) {
            if (m_pCapture)
                capture(m_pFrame, m_pCapture);
            if (m_bKeeping && m_pFrame->sample_rate != m_nRate)
                m_bFedExactly = false;
            rc = m_bKeeping ? pushConverted(m_pFrame) : 0;
            av_frame_unref(m_pFrame);
            if (rc < 0 || m_bKeeping)
                return rc;
            continue;
        }
        if (rc == AVERROR_EOF) {
            if (m_pResampler)
                drainResampler();
            m_bDecoderDone = true;
            return 0;
        }
        if (rc == AVERROR_INVALIDDATA) {
            countDamaged(m_nClock);
            continue;
        }
        if (rc != AVERROR(EAGAIN)) {
            if (!m_bKeeping)
                m_bFedExactly = false;
            return rc;
        }
        if (m_bFed) {
            rc = takeFed();
            if (rc < 0 || m_bDecoderDone)
                return rc;
            continue;
        }

        rc = av_read_frame(m_pFormat, m_pPacket);
        if (rc == AVERROR_EOF) {
            m_bInputDone = true;
            avcodec_send_packet(m_pCodec, nullptr);
            continue;
        }
        if (rc < 0)
            return rc;
        // A damaged packet is dropped by the decoder; decoding goes on with the next one.
        if (m_pPacket->stream_index == m_nStream && avcodec_send_packet(m_pCodec, m_pPacket) == AVERROR_INVALIDDATA)
            countDamaged(m_nClock);
        av_packet_unref(m_pPacket);
    }
}

int FfmpegDecoder::takeFed()
{
    if (m_nFed == m_vecFeed.size()) {
        m_pCapture = nullptr;
        if (m_bFeedEndsFile && !m_bInputDone) {
            // What the codec still holds comes at the end of the file, kept.
            m_bKeeping = true;
            m_bInputDone = true;
            avcodec_send_packet(m_pCodec, nullptr);
        } else {
            m_bDecoderDone = true;
        }
        return 0;
    }
    const size_t index = m_nFed++;
    m_bKeeping = index >= m_nFirstKept;
    if (index + m_nChecked >= m_nFirstKept && index < m_nFirstKept)
        m_pCapture = &m_vecEntered;
    else if (m_bKeeping && index + m_nChecked >= m_vecFeed.size())
        m_pCapture = &m_vecEnded;
    else
        m_pCapture = nullptr;
    const int rc = avcodec_send_packet(m_pCodec, m_vecFeed[index].get());
    m_vecFeed[index].reset();
    if (rc == AVERROR_INVALIDDATA)
        countDamaged(m_nClock);
    else if (rc < 0 && rc != AVERROR(EAGAIN))
        return rc;
    return 0;
}

void FfmpegDecoder::capture(const AVFrame* frame, std::vector<uint8_t>* pInto) const
{
    const int layout[] = {frame->format, frame->sample_rate, frame->ch_layout.nb_channels, frame->nb_samples};
    const uint8_t* head = reinterpret_cast<const uint8_t*>(layout);
    pInto->insert(pInto->end(), head, head + sizeof(layout));
    const AVSampleFormat format = AVSampleFormat(frame->format);
    const bool bPlanar = av_sample_fmt_is_planar(format);
    const int planes = bPlanar ? frame->ch_layout.nb_channels : 1;
    const size_t bytes = size_t(frame->nb_samples) * size_t(av_get_bytes_per_sample(format)) *
                         size_t(bPlanar ? 1 : frame->ch_layout.nb_channels);
    for (int plane = 0; plane < planes; ++plane)
        pInto->insert(pInto->end(), frame->extended_data[plane], frame->extended_data[plane] + bytes);
}

FfmpegDecoder::Packet FfmpegDecoder::readPacket(int* status)
{
    Packet packet;
    if (!isOpen()) {
        *status = kStatusUnspecified;
        return packet;
    }
    for (;;) {
        const int rc = av_read_frame(m_pFormat, m_pPacket);
        if (rc < 0) {
            *status = rc == AVERROR_EOF ? 0 : rc;
            return packet;
        }
        if (m_pPacket->stream_index == m_nStream)
            break;
        av_packet_unref(m_pPacket);
    }
    const AVStream* stream = m_pFormat->streams[m_nStream];
    if (m_pPacket->duration > 0 && m_nRate > 0)
        packet.nFrames = av_rescale_q(m_pPacket->duration, stream->time_base, AVRational{1, m_nRate});
    packet.nBytes = m_pPacket->size;
    // New extradata or parameters, or a Vorbis header in the stream, as a chained Ogg file has.
    packet.bRenews = av_packet_get_side_data(m_pPacket, AV_PKT_DATA_NEW_EXTRADATA, nullptr) ||
                     av_packet_get_side_data(m_pPacket, AV_PKT_DATA_PARAM_CHANGE, nullptr) ||
                     (m_pCodec->codec_id == AV_CODEC_ID_VORBIS && m_pPacket->size > 0 && (m_pPacket->data[0] & 1));
    packet.pPacket.reset(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
    if (!packet.pPacket) {
        av_packet_unref(m_pPacket);
        *status = AVERROR(ENOMEM);
        return Packet();
    }
    av_packet_move_ref(packet.pPacket.get(), m_pPacket);
    return packet;
}

int FfmpegDecoder::decodePackets(std::vector<std::shared_ptr<AVPacket>> packets, size_t nFirstKept, int nChecked,
                                 bool bFileEnds)
{
    if (!isOpen() || !m_pFifo)
        return kStatusUnspecified;
    const int rc = openCodec(m_pCodec->codec);
    if (rc < 0)
        return rc;
    restartOutput();
    m_bFed = true;
    m_vecFeed = std::move(packets);
    m_nFed = 0;
    m_nFirstKept = nFirstKept;
    m_nChecked = size_t(std::max(nChecked, 0));
    m_bFeedEndsFile = bFileEnds;
    m_bKeeping = nFirstKept == 0;
    m_bFedExactly = true;
    m_pCapture = nullptr;
    m_vecEntered.clear();
    m_vecEnded.clear();
    return 0;
}

int FfmpegDecoder::read(void* dst, int frames, int* status)
{
    if (status)
        *status = 0;
    if (!m_pFifo || !isOpen() || frames <= 0)
        return 0;
    while (av_audio_fifo_size(m_pFifo) < frames && !m_bDecoderDone) {
        const int rc = decodeMore();
        if (rc < 0) {
            m_bDecoderDone = true;
            av_audio_fifo_reset(m_pFifo);
            if (status)
                *status = rc;
            return 0;
        }
    }
    const int count = std::min(frames, av_audio_fifo_size(m_pFifo));
    if (count <= 0) {
        if (status && endsShort())
            *status = kStatusTruncated;
        return 0;
    }
    void* planes[1] = {dst};
    const int got = av_audio_fifo_read(m_pFifo, planes, count);
    m_nFramesOut += std::max(got, 0);
    return got;
}

int FfmpegDecoder::seek(qint64 ms)
{
    if (!isOpen() || !m_pFifo)
        return kStatusUnspecified;
    ms = std::max<qint64>(0, ms);
    const qint64 target = av_rescale_rnd(ms, m_nRate, 1000, AV_ROUND_DOWN);
    const AVRational timeBase = m_pFormat->streams[m_nStream]->time_base;
    if (ms > 0 && seekStream(av_rescale_q_rnd(ms * 1000, AV_TIME_BASE_Q, timeBase,
                                              AVRounding(AV_ROUND_DOWN | AV_ROUND_PASS_MINMAX)))) {
        m_nSeekTarget = target;
        return 0;
    }
    // From the start, or where the container cannot seek: reopen and skip decoded frames.
    const int rc = reopen();
    if (rc == 0) {
        m_nDropFrames = target;
        m_bSeeked = target > 0;
    }
    return rc;
}

void FfmpegDecoder::restartOutput()
{
    av_audio_fifo_reset(m_pFifo);
    swr_free(&m_pResampler);
    m_bInputDone = false;
    m_bDecoderDone = false;
    m_nDropFrames = 0;
    m_nSeekTarget = -1;
    m_bSeeked = true;
    m_nRangeTo = -1;
    m_nClock = -1;
}

bool FfmpegDecoder::seekStream(int64_t timestamp)
{
    const AVStream* stream = m_pFormat->streams[m_nStream];
    if (stream->start_time != AV_NOPTS_VALUE)
        timestamp += stream->start_time;
    if (av_seek_frame(m_pFormat, m_nStream, timestamp, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(m_pCodec);
    restartOutput();
    return true;
}

int FfmpegDecoder::reopen()
{
    const int rate = m_nRate;
    const SampleFormat format = m_eFormat;
    const QString path = m_strPath;
    close();
    m_strPath = path;
    m_nRate = rate;
    m_eFormat = format;
    return openFile();
}

int FfmpegDecoder::decodeRange(qint64 fromFrame, qint64 toFrame)
{
    if (!isOpen() || !m_pFifo)
        return kStatusUnspecified;
    const AVRational timeBase = m_pFormat->streams[m_nStream]->time_base;
    // Entered at the range's start, further back while the first frame there lies later or tells no position: a seek
    // that landed late, or in damage.
    for (qint64 back = 0;; back = std::max(2 * back, qint64(m_nRate) * RangeBackOffMs / 1000)) {
        const qint64 entry = fromFrame - back;
        const bool bSought = entry > 0 && seekStream(av_rescale_q(entry, AVRational{1, m_nRate}, timeBase));
        const int rc = bSought ? 0 : reopen();
        if (rc != 0)
            return rc;
        m_nRangeFrom = fromFrame;
        m_nRangeTo = toFrame;
        m_bPastRange = false;
        if (!bSought)
            return 0;
        m_nEntryAt = -1;
        m_bEntering = true;
        while (m_bEntering && !m_bDecoderDone) {
            const int status = decodeMore();
            if (status < 0)
                return status;
        }
        m_bEntering = false;
        if (m_nEntryAt >= 0 && m_nEntryAt <= entry)
            return 0;
    }
}

} // namespace ZADovuzIdida
