#include "AacEncoder.h"

#include "PartScheduler.h"
#include "SplitPlan.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <memory>
#include <vector>

namespace {

std::string describe(int status)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(status, text, sizeof text);
    return text;
}

} // namespace

AacEncoder::~AacEncoder()
{
    if (m_pOutput) {
        if (m_pOutput->pb)
            avio_closep(&m_pOutput->pb);
        avformat_free_context(m_pOutput);
    }
}

AacEncoder::Result AacEncoder::run(const Options& options, const std::string& path, std::string* error)
{
    const auto openPart = [&options](std::unique_ptr<PartEncoder>* encoder) {
        *encoder = std::make_unique<PartEncoder>();
        const int rc = (*encoder)->reader().open(options.input, float(options.gain));
        return rc < 0 ? rc : (*encoder)->openEncoder(options.quality, options.bitRate);
    };
    auto first = std::make_unique<PartEncoder>();
    std::vector<Stretch> stretches{Stretch{}};
    int rc = first->reader().open(options.input, float(options.gain));
    if (rc >= 0 && options.parts > 1)
        rc = planStretches(&first->reader(), options.parts, &stretches);
    if (rc < 0) {
        *error = "cannot read " + options.input + ": " + describe(rc);
        return InputError;
    }
    rc = first->openEncoder(options.quality, options.bitRate);
    if (rc >= 0)
        rc = openOutput(path, first->codec());
    const auto write = [this](AVPacket* packet) { return this->write(packet); };
    if (rc >= 0 && stretches.size() == 1) {
        rc = first->run(stretches[0], write);
    } else if (rc >= 0) {
        // Every stretch has an encoder of its own, so that its packets do not depend on what ran before on its thread.
        first.reset();
        rc = PartScheduler(openPart, write, options.lend, path + "-XXXXXX").run(stretches);
    }
    if (rc >= 0)
        rc = av_write_trailer(m_pOutput);
    if (rc >= 0)
        rc = avio_closep(&m_pOutput->pb);
    if (rc < 0) {
        *error = "cannot write " + options.output + ": " + describe(rc);
        return OutputError;
    }
    return Success;
}

int AacEncoder::openOutput(const std::string& path, const AVCodecContext* codec)
{
    const AVOutputFormat* container = av_guess_format("ipod", nullptr, nullptr);
    if (!container)
        return AVERROR_MUXER_NOT_FOUND;
    int rc = avformat_alloc_output_context2(&m_pOutput, container, nullptr, path.c_str());
    if (rc < 0)
        return rc;
    AVStream* stream = avformat_new_stream(m_pOutput, nullptr);
    if (!stream)
        return AVERROR(ENOMEM);
    m_nSampleRate = codec->sample_rate;
    stream->time_base = codec->time_base;
    rc = avcodec_parameters_from_context(stream->codecpar, codec);
    if (rc >= 0)
        rc = avio_open(&m_pOutput->pb, path.c_str(), AVIO_FLAG_WRITE);
    // The length in the header counts in samples, not in milliseconds, so that it keeps every one.
    AVDictionary* settings = nullptr;
    if (rc >= 0)
        rc = av_dict_set_int(&settings, "movie_timescale", m_nSampleRate, 0);
    if (rc >= 0)
        rc = avformat_write_header(m_pOutput, &settings);
    av_dict_free(&settings);
    return rc;
}

int AacEncoder::write(AVPacket* packet)
{
    av_packet_rescale_ts(packet, AVRational{1, m_nSampleRate}, m_pOutput->streams[0]->time_base);
    packet->stream_index = 0;
    return av_interleaved_write_frame(m_pOutput, packet);
}
