#pragma once
// Helpers for dialog tests: buttons by text, colour counts of grabs, and reruns on a private Xvfb display.

#include <QImage>
#include <QSize>
#include <QString>

class QPushButton;
class QWidget;

namespace TestKit {

// The first push button below parent whose text (with its "&") is text, or null.
QPushButton* buttonWithText(QWidget* parent, const QString& text);
// Distinct colours over every second pixel in both directions.
int distinctColours(const QImage& image);
// True in the child that runOnScreen started.
bool onScreen();
// Where the child saves its screenshots.
QString shotFolder();
// Runs the test function of this executable again on a private Xvfb display of the given size, with
// shotFolder() set to folder; empty when the child passed, else what went wrong.
QString runOnScreen(const QString& function, const QSize& size, const QString& folder = QString());

} // namespace TestKit
