#pragma once
// A calendar date picked with day, month and year combo boxes; the year may be left empty.

#include <QWidget>

class QComboBox;

namespace VUVararer {

// The day list follows the month's length (February has 29 days in leap years and while the year is empty).
class DateWidget : public QWidget
{
    Q_OBJECT

public:
    // The years run from the current year plus yearOffset down over 130 years.
    explicit DateWidget(int yearOffset = 0, QWidget* parent = nullptr);

    int day() const;
    int month() const;
    // -1 while the year is empty.
    int year() const;
    // Limited to the days of the chosen month.
    void setDay(int day);
    // Limited to 1 to 12.
    void setMonth(int month);
    // Selects the year when listed, else leaves the year empty; values of 0 and below change nothing.
    void setYear(int year);
    // Hides month and year when on.
    void setDayMode(bool on);
    // Empty year, January, day 1, without dataChanged().
    void clear();

public slots:
    void slotMonthChanged(int index);

signals:
    void dataChanged();

private:
    // Makes the day list as long as the chosen month, keeping the day when it fits, else the last day.
    void fitDays();

    QComboBox* m_pcbxDay;
    QComboBox* m_pcbxMonth;
    QComboBox* m_pcbxYear;
};

} // namespace VUVararer
