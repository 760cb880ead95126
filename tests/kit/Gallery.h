#pragma once
// Gallery screenshots of widget families: a dark look, saving under the test artefacts and a check that they show
// something readable.

#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

namespace TestKit {

// <test binaries>/artefacts, created on demand.
QString artefactFolder();
// Fusion with a dark palette (light text on dark grey), the look the widgets are made for.
void useDarkStyle();
// Saves a grab of the widget as name in shotFolder(); false when it could not be saved.
bool saveShot(QWidget* widget, const QString& name);
// Runs function again on a private Xvfb display that saves into artefactFolder(), then checks each named picture:
// several colours, dark background and light text. Empty when all is well, else what went wrong.
QString runGallery(const QString& function, const QStringList& names, const QSize& screen = QSize(800, 600));

} // namespace TestKit
