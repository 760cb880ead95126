#pragma once
// A date packed into 16 bits: day in bits 0-4, month in 5-8, year - 1970 in 9-15 (years 1970 to 2097).

#include <QDate>

namespace MTools {

class MWordDate
{
public:
    // Each field is masked to its width, so years outside 1970-2097 wrap.
    explicit MWordDate(const QDate& date);
    MWordDate(const int& year, const int& month, const int& day);
    MWordDate(const MWordDate& other) = default;
    MWordDate& operator=(const MWordDate& other) = default;

    unsigned short toUShort() const { return m_nWord; }
    MWordDate& fromUShort(const unsigned short& word);

    int day() const;
    int month() const;
    int year() const;

private:
    unsigned short m_nWord = 0;
};

} // namespace MTools
