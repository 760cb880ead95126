#include "AacEncoder.h"

#include "PartScheduler.h"
#include "SplitPlan.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

// Packets written between two flushes while the peak is measured.
constexpr int kPacketsAFlush = 64;

std::string describe(int status)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(status, text, sizeof text);
    return text;
}

// The spool files' pattern: the working file's path and "-XXXXXX", with the working file's name cut short where the
// folder's names can not hold both. That name fits, so the cut takes no more than the end of its ".partial".
std::string spoolPattern(const std::string& path)
{
    const std::string unique = "-XXXXXX";
    const size_t nameStart = path.rfind('/') + 1;
    const long nameMax = pathconf(nameStart > 0 ? path.substr(0, nameStart).c_str() : ".", _PC_NAME_MAX);
    const size_t room = size_t(nameMax > 0 ? nameMax : NAME_MAX) - unique.size();
    return path.substr(0, nameStart + std::min(path.size() - nameStart, room)) + unique;
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
    if (options.stopAbove > 0.0)
        m_pStop = std::make_unique<PeakStop>(float(options.stopAbove));
    const auto openEncoder = [this, &options](PartEncoder* encoder) {
        const int rc = encoder->openEncoder(options.quality, options.bitRate);
        if (rc >= 0 && m_pStop)
            encoder->checkPeak(m_pStop.get());
        return rc;
    };
    const auto openPart = [&options, &openEncoder](std::unique_ptr<PartEncoder>* encoder) {
        *encoder = std::make_unique<PartEncoder>();
        const int rc = (*encoder)->reader().open(options.input, float(options.gain));
        return rc < 0 ? rc : openEncoder(encoder->get());
    };
    auto first = std::make_unique<PartEncoder>();
    std::vector<Stretch> stretches{Stretch{}};
    int rc = first->reader().open(options.input, float(options.gain));
    if (rc >= 0 && options.parts > 1)
        rc = planStretches(&first->reader(), options.parts, options.bitRate, &stretches);
    if (rc < 0) {
        *error = "cannot read " + options.input + ": " + describe(rc);
        return InputError;
    }
    rc = openEncoder(first.get());
    if (rc >= 0)
        rc = openOutput(path, first->codec());
    if (rc >= 0 && options.peak) {
        // The packets' data follows the header in the order they are written, each packet's next to the one before.
        m_nWrittenEnd = avio_tell(m_pOutput->pb);
        m_pPeak = std::make_unique<OutputPeak>();
        if (m_pPeak->start(path, m_pOutput->streams[0]->codecpar, m_nWrittenEnd) < 0)
            m_pPeak.reset();
    }
    const auto write = [this](AVPacket* packet) { return this->write(packet); };
    if (rc >= 0 && stretches.size() == 1) {
        rc = first->run(stretches[0], write);
    } else if (rc >= 0) {
        // Every stretch has an encoder of its own, so that its packets do not depend on what ran before on its thread.
        first.reset();
        rc = PartScheduler(openPart, write, options.lend, spoolPattern(path)).run(stretches);
    }
    if (rc == AVERROR_EXIT && m_pStop && m_pStop->passed()) {
        *error = "a decoded value passed the stop level";
        return PeakPassed;
    }
    if (rc >= 0 && m_pPeak)
        flushForPeak();
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

float AacEncoder::decodedPeak() { return m_pPeak ? m_pPeak->finish() : -1.0f; }

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
    const int size = packet->size;
    const int rc = av_interleaved_write_frame(m_pOutput, packet);
    if (rc < 0 || !m_pPeak)
        return rc;
    m_nWrittenEnd += size;
    m_pPeak->add(size);
    if (avio_tell(m_pOutput->pb) != m_nWrittenEnd)
        m_pPeak->abandon();
    else if (++m_nUnflushed >= kPacketsAFlush)
        flushForPeak();
    return 0;
}

void AacEncoder::flushForPeak()
{
    avio_flush(m_pOutput->pb);
    m_nUnflushed = 0;
    if (m_pOutput->pb->error < 0)
        m_pPeak->abandon();
    else
        m_pPeak->flushed(m_nWrittenEnd);
}
