#include "ComboBox.h"

void ComboBox::mousePressEvent(QMouseEvent*) { emit clicked(); }
