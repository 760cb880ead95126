#include "AacEncoder.h"

#include "PartScheduler.h"
#include "SplitPlan.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

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
    const std::string& input = options.input;
    const float gain = float(options.gain);
    const int parts = options.parts;
    std::vector<std::unique_ptr<PartEncoder>> encoders;
    encoders.push_back(std::make_unique<PartEncoder>());
    std::vector<Stretch> stretches{Stretch{}};
    int rc = encoders[0]->reader().open(input, gain);
    // Lent cores cut parts off as they come; else the parts are planned now.
    if (rc >= 0 && parts > 1 && !options.lend)
        rc = planStretches(&encoders[0]->reader(), parts, &stretches);
    while (rc >= 0 && encoders.size() < stretches.size()) {
        encoders.push_back(std::make_unique<PartEncoder>());
        rc = encoders.back()->reader().open(input, gain);
    }
    if (rc < 0) {
        *error = "cannot read " + input + ": " + describe(rc);
        return InputError;
    }
    for (const std::unique_ptr<PartEncoder>& encoder : encoders) {
        if (rc >= 0)
            rc = encoder->openEncoder(options.quality, options.bitRate);
    }
    if (rc >= 0)
        rc = openOutput(path, encoders[0]->codec());
    if (rc >= 0)
        rc = encode(encoders, stretches, options);
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
    return rc < 0 ? rc : avformat_write_header(m_pOutput, nullptr);
}

int AacEncoder::encode(std::vector<std::unique_ptr<PartEncoder>>& encoders, const std::vector<Stretch>& stretches,
                       const Options& options)
{
    if (encoders.size() == 1 && !options.lend)
        return encoders[0]->run(stretches[0], [this](AVPacket* packet) { return write(packet); });
    const auto openPart = [&options](std::unique_ptr<PartEncoder>* encoder) {
        *encoder = std::make_unique<PartEncoder>();
        const int rc = (*encoder)->reader().open(options.input, float(options.gain));
        return rc < 0 ? rc : (*encoder)->openEncoder(options.quality, options.bitRate);
    };
    const long long length = encoders[0]->reader().seekableLength();
    // Each part keeps its packets until all are done; they are written in order then.
    PartScheduler scheduler(openPart, options.lend, options.parts, length);
    int rc = scheduler.run(std::move(encoders), stretches);
    for (AVPacket* packet : scheduler.takePackets()) {
        if (rc >= 0)
            rc = write(packet);
        av_packet_free(&packet);
    }
    return rc;
}

int AacEncoder::write(AVPacket* packet)
{
    av_packet_rescale_ts(packet, AVRational{1, m_nSampleRate}, m_pOutput->streams[0]->time_base);
    packet->stream_index = 0;
    return av_interleaved_write_frame(m_pOutput, packet);
}
