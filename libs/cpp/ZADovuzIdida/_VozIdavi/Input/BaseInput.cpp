#include <ZADovuzIdida/_VozIdavi/Input/BaseInput.h>

#include <QDebug>

namespace ZADovuzIdida {

void BaseInput::dump() const
{
    qDebug().noquote() << "Name = " + name();
    settings().dump();
}

} // namespace ZADovuzIdida
