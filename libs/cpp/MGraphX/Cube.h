#pragma once
// One box of colour space over a slice of the colour reducer's sorted colour list.

#include <QtGlobal>

namespace MGraphX {

class Cube
{
public:
    Cube() = default;
    Cube(const Cube&) = default;
    Cube& operator=(const Cube&) = default;
    virtual ~Cube() = default;

    int lower = 0;
    int upper = 0;
    qint64 count = 0;
    int level = 0;
    int rmin = 0;
    int rmax = 0;
    int gmin = 0;
    int gmax = 0;
    int bmin = 0;
    int bmax = 0;
};

} // namespace MGraphX
