#pragma once
// Gallery screenshots of widget families: a dark look, saving under the test artefacts and a check that they show
// something readable.

#include "DialogProbe.h"

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
// Shows the window, waits until it is on screen and has settled, then saves it as name.
bool showAndSave(QWidget* window, const QString& name);
// Runs function again on a private Xvfb display that saves into artefactFolder(), then checks each named picture:
// several colours, dark background and light text. Empty when all is well, else what went wrong.
QString runGallery(const QString& function, const QStringList& names, const QSize& screen = QSize(800, 600));
// For a gallery test function: in the test process runs it on screen through runGallery, records a failure and
// returns false; on screen switches to the dark style and returns true, so the function goes on to draw.
bool galleryOnScreen(const QString& function, const QStringList& names);

} // namespace TestKit
