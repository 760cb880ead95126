#pragma once
// A combo box whose shown text is shortened in its middle to the width it has, so both ends of a path stay visible.

#include <QComboBox>

class PathComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit PathComboBox(QWidget* parent = nullptr);

    // The current text as painted.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
