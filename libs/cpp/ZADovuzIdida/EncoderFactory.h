#pragma once
// Makes encoders by codec name; the process-wide factory is held by Encoders.

#include <QString>

namespace ZADovuzIdida {

class EncoderBase;

class EncoderFactory
{
public:
    virtual ~EncoderFactory();
    // A new encoder for codec that the caller owns, or null; null in the base.
    virtual EncoderBase* encoder(const QString& codec);
};

// Holder of the one process-wide factory (not owned), null until set.
class Encoders
{
public:
    static void setFactory(EncoderFactory* factory);
    static EncoderFactory* factory();

private:
    static EncoderFactory* sm_pFactory;
};

} // namespace ZADovuzIdida
