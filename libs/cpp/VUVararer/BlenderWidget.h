#pragma once
// A plain filled overlay that hides the main window's content while the frame works over it.

#include <QLabel>

namespace VUVararer {

class BlenderWidget : public QLabel
{
    Q_OBJECT

public:
    explicit BlenderWidget(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace VUVararer
