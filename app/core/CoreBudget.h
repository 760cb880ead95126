#pragma once
// The cores of one run: every file being converted or encoded holds one, and the cores that no file waiting to begin
// needs are lent to running encodes that can use more.

#include <ZADovuzIdida/CoreLender.h>

#include <functional>
#include <mutex>

class CoreBudget : public ZADovuzIdida::CoreLender
{
public:
    // freed is called, outside the lock, whenever a core is released or given back.
    CoreBudget(int nCores, std::function<void()> freed = {});

    int cores() const { return m_nCores; }
    // The most parts an encode of frames sample frames at sampleRate, bitRate and channels that begins now is cut in
    // as cores are lent to it: one for each core it can run on now or soon, or for a long file, parts of 47 s at
    // 44.1 kHz up to twice the cores, so that those that end early can take more of what is left; never more than the
    // encoder tool cuts at that setting. One on a single core.
    int encodeParts(long long frames, int sampleRate, long bitRate, int channels) const;
    // A core for a file about to begin; false when none is free.
    bool tryTake();
    // How many files are still to begin: they come before any lending.
    void setWaiting(int nFiles);
    // One more core for a running pass or encode; false when none is spare.
    bool lend() override;
    // Whether lend() would give a core now.
    bool hasSpare() const;
    // A file's core from tryTake() is free again. More than are taken is a fault of the caller: reported, and the
    // count goes no lower than 0.
    void release();
    // Lent cores come back; more than are lent is reported in the same way.
    void giveBack(int nCores) override;
    bool hasFree() const;

private:
    // With the lock held: the cores left once every waiting file has one.
    int spareCores() const;
    // Frees nCores of those lent, or of those taken by files, at most as many as there are.
    void freeCores(int nCores, bool bLent);

    const int m_nCores;
    const std::function<void()> m_freed;
    mutable std::mutex m_mutex;
    int m_nHeld = 0; // taken by files and lent
    int m_nLent = 0;
    int m_nWaiting = 0;
};
