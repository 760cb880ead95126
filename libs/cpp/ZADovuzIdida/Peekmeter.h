#pragma once
// Level meter: a red bar rising from the bottom for a level between -70 and +10 dB.

#include <QWidget>

class QPainter;

namespace ZADovuzIdida {

class Peekmeter : public QWidget
{
    Q_OBJECT

public:
    explicit Peekmeter(QWidget* parent = nullptr);

    int valueDb() const;
    // The level as a percentage of the 80 dB range: 0 at -70 dB, 100 at +10 dB.
    int value() const;

public slots:
    // Clamps to -70 ... 10 dB and repaints at once.
    void slotSetValue(int dB);

protected:
    void paintEvent(QPaintEvent* event) override;
    virtual void draw(QPainter* painter);

private:
    int m_nValueDb = -70;
};

} // namespace ZADovuzIdida
