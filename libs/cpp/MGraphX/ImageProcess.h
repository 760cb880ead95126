#pragma once
// The planar image buffer with byte, float and double samples.

#include <MGraphX/ImageProcessT.h>

namespace MGraphX {

class ImageProcess : public ImageProcessT<unsigned char>
{
public:
    using ImageProcessT<unsigned char>::ImageProcessT;
};

class ImageProcessFloat : public ImageProcessT<float>
{
public:
    using ImageProcessT<float>::ImageProcessT;
};

class ImageProcessDouble : public ImageProcessT<double>
{
public:
    using ImageProcessT<double>::ImageProcessT;
};

} // namespace MGraphX
