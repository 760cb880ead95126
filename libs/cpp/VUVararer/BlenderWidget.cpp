#include "BlenderWidget.h"

namespace VUVararer {

BlenderWidget::BlenderWidget(QWidget* parent) : QLabel(parent) {}

void BlenderWidget::mousePressEvent(QMouseEvent* event) { QLabel::mousePressEvent(event); }

} // namespace VUVararer
