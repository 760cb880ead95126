#pragma once
// A dial captioned "min ... max" along its bottom edge.

#include <QDial>

class DecoratedDial : public QDial
{
    Q_OBJECT

public:
    explicit DecoratedDial(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
