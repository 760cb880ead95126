#pragma once
// A self-painted round dial that fills clockwise with the percentage written in its middle.

#include <QWidget>

namespace VUVararer {

class RoundProgress : public QWidget
{
    Q_OBJECT

public:
    explicit RoundProgress(QWidget* parent = nullptr);

    int value() const { return m_nValue; }
    // Stores the percentage (not clamped) and repaints.
    void setValue(const int& value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_nValue = 0;
};

} // namespace VUVararer
