#pragma once
// A combo box that reports a mouse press as clicked() instead of opening its list.

#include <QComboBox>

class ComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
