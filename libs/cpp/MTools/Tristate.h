// Flag with the values false, true and undefined.
#pragma once

namespace MTools {

class Tristate
{
public:
    enum TrisateVal { TriFalse = 0, TriTrue = 1, TriUndefined = 1000 };

    Tristate(TrisateVal eValue);
    Tristate(bool bValue);
    Tristate(const Tristate& other);

    Tristate& operator=(const Tristate& other);
    Tristate& operator=(bool bValue);
    bool operator==(const Tristate& other) const;
    bool operator!=(const Tristate& other) const;

    // Undefined gives false and sets *pbOk to false; otherwise *pbOk is left as it was. pbOk may be null.
    bool toBool(bool* pbOk) const;

private:
    TrisateVal m_eValue;
};

} // namespace MTools
