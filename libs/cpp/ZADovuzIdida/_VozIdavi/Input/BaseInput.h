// Abstract audio input: a source of samples described by the held stream settings.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Common/AudioIO.h>

namespace ZADovuzIdida {

class BaseInput : public AudioIO
{
public:
    BaseInput() = default;
    ~BaseInput() override = default;
    void dump() const override;
    QString name() const override { return QStringLiteral("BaseInput"); }
    virtual short fmt() const { return settings().fmt(); }

    unsigned sampleRate() const { return settings().sampleRate(); }
    short channels() const { return settings().channels(); }
    short bitsPerSample() const { return settings().bitsPerSample(); }
};

} // namespace ZADovuzIdida
