#include "SplitPlan.h"

#include "EncodeParts.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/error.h>
}

#include <algorithm>

namespace {

using EncodeParts::kFrameSamples;
constexpr int kSearchFrames = 16; // how far a join may move from its even point, either way
// What outlasts a short lead-in is the bit reservoir, which starts full: without draining it first, 35 s were needed;
// with it, the lead-in's 64 frames. The frames after a part complete the overlap of its last frame.
constexpr int kDrainFrames = 8;
constexpr int kTailFrames = 4;

// Finds the frame near even whose start makes the quietest join: the least energy in it and both neighbours, the
// nearest to even among equals.
int quietestJoin(AudioReader* reader, long long even, long long* join)
{
    const long long first = even - kSearchFrames - 1;
    const int frames = 2 * kSearchFrames + 3;
    AVAudioFifo* fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, reader->channels(), frames * kFrameSamples);
    if (!fifo)
        return AVERROR(ENOMEM);
    int rc = reader->seek(first * kFrameSamples);
    if (rc >= 0)
        rc = reader->fill(fifo, frames * kFrameSamples);
    if (rc >= 0 && av_audio_fifo_size(fifo) < frames * kFrameSamples)
        rc = AVERROR_INVALIDDATA;
    std::vector<std::vector<float>> values(reader->channels(), std::vector<float>(size_t(frames) * kFrameSamples));
    std::vector<void*> planes;
    for (std::vector<float>& channel : values)
        planes.push_back(channel.data());
    if (rc >= 0)
        rc = av_audio_fifo_read(fifo, planes.data(), frames * kFrameSamples);
    std::vector<double> energy(frames);
    for (const std::vector<float>& channel : values) {
        for (size_t i = 0; i < channel.size(); ++i)
            energy[i / kFrameSamples] += double(channel[i]) * channel[i];
    }
    av_audio_fifo_free(fifo);
    auto cost = [&](long long frame) {
        const long long i = frame - first;
        return energy[i - 1] + energy[i] + energy[i + 1];
    };
    *join = even;
    for (int distance = 1; distance <= kSearchFrames; ++distance) {
        for (const long long frame : {even - distance, even + distance}) {
            if (cost(frame) < cost(*join))
                *join = frame;
        }
    }
    return rc;
}

// Makes before keep up to the frame join and after keep from it on, each reading the audio around the join it needs,
// after with leadFrames before it.
void joinAt(long long join, long long leadFrames, Stretch* before, Stretch* after)
{
    before->keepTo = join * kFrameSamples;
    before->end = (join + kTailFrames) * kFrameSamples;
    const long long lead = std::max(0LL, join - leadFrames);
    after->start = lead * kFrameSamples;
    // A lead-in from the input's start begins as the whole encode does.
    after->drainTo = lead > 0 ? (lead + kDrainFrames) * kFrameSamples : 0;
    after->keepFrom = join * kFrameSamples;
}

} // namespace

int planStretches(AudioReader* reader, int parts, long bitRate, std::vector<Stretch>* stretches)
{
    *stretches = {Stretch{}};
    const long long length = reader->seekableLength();
    const long long frames = length / kFrameSamples;
    const int rate = reader->sampleRate();
    const int channels = reader->channels();
    parts = std::min(parts, EncodeParts::mostParts(length, rate, bitRate, channels));
    if (length < 0 || parts < 2)
        return 0;
    const long long leadFrames = EncodeParts::leadFrames(rate, bitRate, channels);
    std::vector<Stretch> planned(parts);
    for (int part = 1; part < parts; ++part) {
        long long join = 0;
        if (quietestJoin(reader, frames * part / parts, &join) < 0)
            return reader->seek(0);
        joinAt(join, leadFrames, &planned[part - 1], &planned[part]);
    }
    *stretches = planned;
    return reader->seek(0);
}
