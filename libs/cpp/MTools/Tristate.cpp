#include <MTools/Tristate.h>

namespace MTools {

Tristate::Tristate(TrisateVal eValue) : m_eValue(eValue) {}

Tristate::Tristate(bool bValue) : m_eValue(bValue ? TriTrue : TriFalse) {}

Tristate::Tristate(const Tristate& other) = default;

Tristate& Tristate::operator=(const Tristate& other) = default;

Tristate& Tristate::operator=(bool bValue)
{
    m_eValue = bValue ? TriTrue : TriFalse;
    return *this;
}

bool Tristate::operator==(const Tristate& other) const { return m_eValue == other.m_eValue; }

bool Tristate::operator!=(const Tristate& other) const { return m_eValue != other.m_eValue; }

bool Tristate::toBool(bool* pbOk) const
{
    if (m_eValue == TriUndefined) {
        if (pbOk)
            *pbOk = false;
        return false;
    }
    return m_eValue == TriTrue;
}

} // namespace MTools
