#include "EncoderFactory.h"

namespace ZADovuzIdida {

EncoderFactory* Encoders::sm_pFactory = nullptr;

EncoderFactory::~EncoderFactory() = default;

EncoderBase* EncoderFactory::encoder(const QString& codec)
{
    Q_UNUSED(codec)
    return nullptr;
}

void Encoders::setFactory(EncoderFactory* factory) { sm_pFactory = factory; }

EncoderFactory* Encoders::factory() { return sm_pFactory; }

} // namespace ZADovuzIdida
