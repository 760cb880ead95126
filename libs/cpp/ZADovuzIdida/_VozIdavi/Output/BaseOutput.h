// Abstract audio output: byte and float writes, plus writes of whole buffers held by handle.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Common/AudioFloatBuffer.h>
#include <ZADovuzIdida/_VozIdavi/Common/AudioIO.h>
#include <ZADovuzIdida/_VozIdavi/Common/RawBuffer.h>

#include <MTools/Handle.h>

namespace ZADovuzIdida {

class BaseOutput : public AudioIO
{
public:
    BaseOutput() = default;
    ~BaseOutput() override = default;

    // Writes n bytes; true when all were written.
    virtual bool write(char* data, int n) = 0;
    // Writes n interleaved float samples (all channels together).
    virtual bool write(float* samples, int n) = 0;
    // Writes n frames of the buffer; n beyond the buffer stops the program, a negative n writes nothing.
    // An empty handle throws MTools::Error("Null handle").
    virtual bool write(MTools::Handle<AudioFloatBuffer> buffer, int n);
    // Writes n bytes of the buffer; same rules as above.
    virtual bool write(MTools::Handle<RawBuffer> buffer, int n);
    virtual bool setFragmentSize(int size);
    virtual int fragmentSize() const { return m_nFragmentSize; }
    virtual bool test();

private:
    int m_nFragmentSize = -1;
};

} // namespace ZADovuzIdida
