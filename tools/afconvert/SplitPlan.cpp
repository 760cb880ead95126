#include "SplitPlan.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/error.h>
}

#include <algorithm>

namespace {

constexpr int kFrameSamples = 1024;               // one AAC-LC frame: every join lies on this grid
constexpr int kSearchFrames = 16;                 // how far a join may move from its even point, either way
constexpr int kMinPartFrames = 4 * kSearchFrames; // keeps the search ranges of neighbouring joins apart
// Audio encoded before a part and dropped lets the encoder's adaptive state settle where a whole encode has it (after
// six seconds, a loud frame soon after a join could still be coded far worse than in a whole encode; after nine, none
// was in an hour of music); the frames after a part complete the overlap of its last frame.
constexpr int kLeadFrames = 384;
constexpr int kTailFrames = 4;
// A part cut off a running one, and what is left to the running one, is at least this long: one and a half times the
// audio a new part reads before its own, so that the cut shortens the encode; it spends a core that would be idle else.
constexpr long long kMinCutFrames = 3 * kLeadFrames / 2;

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

// Makes before keep up to the frame join and after keep from it on, each reading the audio around the join it needs.
void joinAt(long long join, Stretch* before, Stretch* after)
{
    before->keepTo = join * kFrameSamples;
    before->end = (join + kTailFrames) * kFrameSamples;
    after->start = std::max(0LL, join - kLeadFrames) * kFrameSamples;
    after->keepFrom = join * kFrameSamples;
}

} // namespace

long long cutFrame(const Stretch& whole, long long reached, long long length)
{
    if (length < 0)
        return -1;
    const long long endFrame = std::min(whole.keepTo, length) / kFrameSamples;
    // A little past what the encoder has read, so that it has not got there by the time the cut is made.
    const long long readFrame = reached / kFrameSamples + kSearchFrames + 2 * kTailFrames;
    long long middle = (std::max(whole.keepFrom, 0LL) / kFrameSamples + endFrame) / 2;
    if (middle - kSearchFrames < readFrame)
        middle = (readFrame + endFrame) / 2;
    return endFrame - middle < kMinCutFrames || middle - kSearchFrames < readFrame ? -1 : middle;
}

bool cutStretch(AudioReader* reader, const Stretch& whole, long long reached, Stretch* first, Stretch* second)
{
    const long long middle = cutFrame(whole, reached, reader->seekableLength());
    long long join = 0;
    if (middle < 0 || quietestJoin(reader, middle, &join) < 0)
        return false;
    *first = whole;
    *second = whole;
    joinAt(join, first, second);
    return true;
}

int planStretches(AudioReader* reader, int parts, std::vector<Stretch>* stretches)
{
    *stretches = {Stretch{}};
    const long long length = reader->seekableLength();
    const long long frames = length / kFrameSamples;
    parts = int(std::min<long long>(parts, frames / kMinPartFrames));
    if (length < 0 || parts < 2)
        return 0;
    std::vector<Stretch> planned(parts);
    for (int part = 1; part < parts; ++part) {
        long long join = 0;
        if (quietestJoin(reader, frames * part / parts, &join) < 0)
            return reader->seek(0);
        joinAt(join, &planned[part - 1], &planned[part]);
    }
    *stretches = planned;
    return reader->seek(0);
}
