// A block of raw sample bytes with the settings of the stream they belong to.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Common/Buffer.h>

namespace ZADovuzIdida {

class RawBuffer : public Buffer<char>
{
public:
    explicit RawBuffer(int size) : Buffer<char>(size) {}
    RawBuffer(const RawBuffer& other) = default;
    RawBuffer& operator=(const RawBuffer& other) = default;
    ~RawBuffer() override = default;
};

} // namespace ZADovuzIdida
