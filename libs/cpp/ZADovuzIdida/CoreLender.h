#pragma once
// Cores a running tool may borrow beyond its own, one at a time, and gives back.

namespace ZADovuzIdida {

class CoreLender
{
public:
    virtual ~CoreLender() = default;
    // One more core, when one is spare; thread-safe.
    virtual bool lend() = 0;
    virtual void giveBack(int nCores) = 0;
};

} // namespace ZADovuzIdida
