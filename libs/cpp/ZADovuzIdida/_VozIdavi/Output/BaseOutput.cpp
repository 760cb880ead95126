#include <ZADovuzIdida/_VozIdavi/Output/BaseOutput.h>
#include <ZADovuzIdida/_VozIdavi/Common/Contract.h>

#include <QDebug>

namespace ZADovuzIdida {

namespace {
const char* const kSource = "libs/cpp/ZADovuzIdida/_VozIdavi/Output/BaseOutput";
}

bool BaseOutput::write(MTools::Handle<AudioFloatBuffer> buffer, int n)
{
    AudioFloatBuffer& floats = *buffer;
    const qint64 samples = qint64(n) * floats.frameSize();
    VOZIDAVI_REQUIRE(!(samples > floats.size()), "BaseOutput::write", kSource,
                     "!((n * buffer->frameSize()) > (buffer->size()))");
    if (n < 0)
        return false;
    return write(floats.data(), int(samples));
}

bool BaseOutput::write(MTools::Handle<RawBuffer> buffer, int n)
{
    RawBuffer& raw = *buffer;
    VOZIDAVI_REQUIRE(!(n > raw.size()), "BaseOutput::write", kSource, "!(n > buffer->size())");
    if (n < 0)
        return false;
    return write(raw.data(), n);
}

bool BaseOutput::setFragmentSize(int size)
{
    m_nFragmentSize = size;
    return true;
}

bool BaseOutput::test()
{
    qDebug() << "Test";
    return true;
}

} // namespace ZADovuzIdida
