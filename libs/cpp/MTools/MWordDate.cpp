#include "MWordDate.h"

namespace MTools {

MWordDate::MWordDate(const QDate& date) : MWordDate(date.year(), date.month(), date.day()) {}

MWordDate::MWordDate(const int& year, const int& month, const int& day)
    : m_nWord(static_cast<unsigned short>(((year - 1970) & 0x7F) << 9 | (month & 0x0F) << 5 | (day & 0x1F)))
{
}

MWordDate& MWordDate::fromUShort(const unsigned short& word)
{
    m_nWord = word;
    return *this;
}

int MWordDate::day() const { return m_nWord & 0x1F; }

int MWordDate::month() const { return (m_nWord >> 5) & 0x0F; }

int MWordDate::year() const { return (m_nWord >> 9) + 1970; }

} // namespace MTools
