#include "FfmpegEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

#include <algorithm>
#include <cmath>

namespace ZADovuzIdida {

namespace {

struct TypeInfo
{
    const char* muxer;
    AVCodecID codec;
    AVSampleFormat sampleFormat;
};

TypeInfo typeInfo(FfmpegEncoder::FileType type)
{
    switch (type) {
    case FfmpegEncoder::FileType::Aiff:
        return {"aiff", AV_CODEC_ID_PCM_S16BE, AV_SAMPLE_FMT_S16};
    case FfmpegEncoder::FileType::Mpeg4Aac:
        return {"ipod", AV_CODEC_ID_AAC, AV_SAMPLE_FMT_FLTP};
    case FfmpegEncoder::FileType::CafAlac:
        return {"caf", AV_CODEC_ID_ALAC, AV_SAMPLE_FMT_S16P};
    case FfmpegEncoder::FileType::Flac:
        break;
    }
    return {"flac", AV_CODEC_ID_FLAC, AV_SAMPLE_FMT_S16};
}

qint16 toS16(float sample) { return qint16(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f)); }

} // namespace

FfmpegEncoder::~FfmpegEncoder()
{
    if (isOpen())
        close();
    release();
}

bool FfmpegEncoder::fail(const QString& what, int status)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(status, text, sizeof(text));
    m_strError = what + ": " + QString::fromUtf8(text);
    release();
    return false;
}

void FfmpegEncoder::release()
{
    if (m_pFormat) {
        if (m_pFormat->pb)
            avio_closep(&m_pFormat->pb);
        avformat_free_context(m_pFormat);
        m_pFormat = nullptr;
    }
    avcodec_free_context(&m_pCodec);
    av_frame_free(&m_pFrame);
    av_packet_free(&m_pPacket);
    m_vecPending.clear();
}

bool FfmpegEncoder::open(const QString& path, FileType type, int sampleRate, int channels, int bitRate)
{
    release();
    m_strError.clear();
    if (sampleRate <= 0 || channels <= 0 || channels > 8)
        return fail("Unsupported stream", AVERROR(EINVAL));
    const TypeInfo info = typeInfo(type);
    const QByteArray file = path.toUtf8();
    int rc = avformat_alloc_output_context2(&m_pFormat, nullptr, info.muxer, file.constData());
    if (rc < 0 || !m_pFormat)
        return fail("Cannot create the container", rc < 0 ? rc : AVERROR(ENOMEM));
    const AVCodec* codec = avcodec_find_encoder(info.codec);
    if (!codec)
        return fail("No encoder", AVERROR_ENCODER_NOT_FOUND);
    m_pCodec = avcodec_alloc_context3(codec);
    AVStream* stream = avformat_new_stream(m_pFormat, nullptr);
    if (!m_pCodec || !stream)
        return fail("Out of memory", AVERROR(ENOMEM));
    m_pCodec->sample_rate = sampleRate;
    m_pCodec->sample_fmt = info.sampleFormat;
    av_channel_layout_default(&m_pCodec->ch_layout, channels);
    m_pCodec->time_base = AVRational{1, sampleRate};
    if (info.codec == AV_CODEC_ID_AAC)
        m_pCodec->bit_rate = bitRate;
    if (m_pFormat->oformat->flags & AVFMT_GLOBALHEADER)
        m_pCodec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    rc = avcodec_open2(m_pCodec, codec, nullptr);
    if (rc < 0)
        return fail("Cannot open the encoder", rc);
    rc = avcodec_parameters_from_context(stream->codecpar, m_pCodec);
    if (rc < 0)
        return fail("Cannot set the stream", rc);
    stream->time_base = m_pCodec->time_base;
    rc = avio_open(&m_pFormat->pb, file.constData(), AVIO_FLAG_WRITE);
    if (rc < 0)
        return fail("Cannot create " + path, rc);
    rc = avformat_write_header(m_pFormat, nullptr);
    if (rc < 0)
        return fail("Cannot write the header", rc);
    m_pFrame = av_frame_alloc();
    m_pPacket = av_packet_alloc();
    if (!m_pFrame || !m_pPacket)
        return fail("Out of memory", AVERROR(ENOMEM));
    m_nFrameSize = m_pCodec->frame_size > 0 ? m_pCodec->frame_size : 1024;
    m_nChannels = channels;
    m_nPts = 0;
    return true;
}

bool FfmpegEncoder::write(const float* samples, int n)
{
    if (!isOpen() || n < 0)
        return false;
    m_vecPending.insert(m_vecPending.end(), samples, samples + n);
    const size_t block = size_t(m_nFrameSize) * size_t(m_nChannels);
    size_t used = 0;
    while (m_vecPending.size() - used >= block) {
        if (!encodeFrame(m_vecPending.data() + used, m_nFrameSize))
            return false;
        used += block;
    }
    m_vecPending.erase(m_vecPending.begin(), m_vecPending.begin() + long(used));
    return true;
}

bool FfmpegEncoder::encodeFrame(const float* samples, int frames)
{
    av_frame_unref(m_pFrame);
    m_pFrame->nb_samples = frames;
    m_pFrame->format = m_pCodec->sample_fmt;
    m_pFrame->sample_rate = m_pCodec->sample_rate;
    int rc = av_channel_layout_copy(&m_pFrame->ch_layout, &m_pCodec->ch_layout);
    if (rc >= 0)
        rc = av_frame_get_buffer(m_pFrame, 0);
    if (rc < 0)
        return fail("Cannot make a frame", rc);
    if (m_pCodec->sample_fmt == AV_SAMPLE_FMT_FLTP) {
        for (int c = 0; c < m_nChannels; ++c) {
            auto* plane = reinterpret_cast<float*>(m_pFrame->data[c]);
            for (int i = 0; i < frames; ++i)
                plane[i] = samples[i * m_nChannels + c];
        }
    } else if (m_pCodec->sample_fmt == AV_SAMPLE_FMT_S16P) {
        for (int c = 0; c < m_nChannels; ++c) {
            auto* plane = reinterpret_cast<qint16*>(m_pFrame->data[c]);
            for (int i = 0; i < frames; ++i)
                plane[i] = toS16(samples[i * m_nChannels + c]);
        }
    } else {
        auto* out = reinterpret_cast<qint16*>(m_pFrame->data[0]);
        for (int i = 0; i < frames * m_nChannels; ++i)
            out[i] = toS16(samples[i]);
    }
    m_pFrame->pts = m_nPts;
    m_nPts += frames;
    rc = avcodec_send_frame(m_pCodec, m_pFrame);
    if (rc < 0)
        return fail("Cannot encode", rc);
    return drain();
}

bool FfmpegEncoder::drain()
{
    for (;;) {
        int rc = avcodec_receive_packet(m_pCodec, m_pPacket);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return fail("Cannot encode", rc);
        av_packet_rescale_ts(m_pPacket, m_pCodec->time_base, m_pFormat->streams[0]->time_base);
        m_pPacket->stream_index = 0;
        rc = av_interleaved_write_frame(m_pFormat, m_pPacket);
        if (rc < 0)
            return fail("Cannot write", rc);
    }
}

bool FfmpegEncoder::close()
{
    if (!isOpen())
        return false;
    const int rest = int(m_vecPending.size()) / m_nChannels;
    bool ok = rest == 0 || encodeFrame(m_vecPending.data(), rest);
    if (ok) {
        const int rc = avcodec_send_frame(m_pCodec, nullptr);
        ok = (rc >= 0 || fail("Cannot flush", rc)) && drain();
    }
    if (ok) {
        const int rc = av_write_trailer(m_pFormat);
        if (rc < 0)
            ok = fail("Cannot write the trailer", rc);
    }
    release();
    return ok;
}

} // namespace ZADovuzIdida
