#include "DateWidget.h"

#include <MTools/DateInfo.h>

#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>

namespace VUVararer {

namespace {

const int kYearCount = 130;
// A leap year stands in for an empty year, so that 29 February can be chosen.
const int kLeapYear = 2000;

} // namespace

DateWidget::DateWidget(int yearOffset, QWidget* parent)
    : QWidget(parent), m_pcbxDay(new QComboBox(this)), m_pcbxMonth(new QComboBox(this)), m_pcbxYear(new QComboBox(this))
{
    setMinimumWidth(300);
    for (int d = 1; d <= 31; ++d)
        m_pcbxDay->addItem(QString::number(d));
    for (int m = 1; m <= 12; ++m)
        m_pcbxMonth->addItem(MTools::DateInfo::monthName(m));
    const int nFirstYear = QDate::currentDate().year() + yearOffset;
    m_pcbxYear->addItem(QString());
    for (int y = nFirstYear; y > nFirstYear - kYearCount; --y)
        m_pcbxYear->addItem(QString::number(y));
    m_pcbxDay->setMinimumWidth(50);
    m_pcbxDay->setMaximumWidth(80);
    m_pcbxMonth->setMinimumWidth(90);
    m_pcbxMonth->setMaximumWidth(110);
    m_pcbxYear->setMinimumWidth(70);
    m_pcbxYear->setMaximumWidth(90);

    auto* phblMain = new QHBoxLayout(this);
    phblMain->setContentsMargins(0, 0, 0, 0);
    phblMain->setSpacing(1);
    phblMain->addWidget(m_pcbxDay);
    phblMain->addWidget(m_pcbxMonth);
    phblMain->addWidget(m_pcbxYear);
    phblMain->addStretch();

    connect(m_pcbxMonth, SIGNAL(currentIndexChanged(int)), this, SLOT(slotMonthChanged(int)));
    connect(m_pcbxYear, SIGNAL(currentIndexChanged(int)), this, SLOT(slotMonthChanged(int)));
    for (QComboBox* pcbx : {m_pcbxDay, m_pcbxMonth, m_pcbxYear})
        connect(pcbx, SIGNAL(currentIndexChanged(int)), this, SIGNAL(dataChanged()));
}

int DateWidget::day() const { return m_pcbxDay->currentIndex() + 1; }

int DateWidget::month() const { return m_pcbxMonth->currentIndex() + 1; }

int DateWidget::year() const
{
    bool bOk = false;
    const int nYear = m_pcbxYear->currentText().toInt(&bOk);
    return bOk ? nYear : -1;
}

void DateWidget::setDay(int day) { m_pcbxDay->setCurrentIndex(qBound(1, day, m_pcbxDay->count()) - 1); }

void DateWidget::setMonth(int month) { m_pcbxMonth->setCurrentIndex(qBound(1, month, 12) - 1); }

void DateWidget::setYear(int year)
{
    if (year <= 0)
        return;
    const int nIndex = m_pcbxYear->findText(QString::number(year), Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_pcbxYear->setCurrentIndex(nIndex > 0 ? nIndex : 0);
}

void DateWidget::setDayMode(bool on)
{
    m_pcbxMonth->setVisible(!on);
    m_pcbxYear->setVisible(!on);
}

void DateWidget::clear()
{
    for (QComboBox* pcbx : {m_pcbxDay, m_pcbxMonth, m_pcbxYear})
        pcbx->blockSignals(true);
    m_pcbxYear->setCurrentIndex(0);
    m_pcbxMonth->setCurrentIndex(0);
    fitDays();
    m_pcbxDay->setCurrentIndex(0);
    for (QComboBox* pcbx : {m_pcbxDay, m_pcbxMonth, m_pcbxYear})
        pcbx->blockSignals(false);
}

void DateWidget::slotMonthChanged(int) { fitDays(); }

void DateWidget::fitDays()
{
    const int nYear = year() > 0 ? year() : kLeapYear;
    const int nDays = QDate(nYear, month(), 1).daysInMonth();
    const int nDay = day();
    while (m_pcbxDay->count() > nDays)
        m_pcbxDay->removeItem(m_pcbxDay->count() - 1);
    while (m_pcbxDay->count() < nDays)
        m_pcbxDay->addItem(QString::number(m_pcbxDay->count() + 1));
    m_pcbxDay->setCurrentIndex(qBound(1, nDay, nDays) - 1);
}

} // namespace VUVararer
