#include "Gallery.h"

#include "DialogProbe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPalette>
#include <QStyleFactory>
#include <QWidget>
#include <QtTest>

namespace TestKit {

QString artefactFolder()
{
    const QString folder = QCoreApplication::applicationDirPath() + "/artefacts";
    QDir().mkpath(folder);
    return folder;
}

void useDarkStyle()
{
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(53, 53, 53));
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(35, 35, 35));
    palette.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, QColor(71, 71, 71));
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(25, 25, 25));
    palette.setColor(QPalette::ToolTipText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(150, 150, 150));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(150, 150, 150));
    QApplication::setPalette(palette);
}

bool saveShot(QWidget* widget, const QString& name) { return widget->grab().save(shotFolder() + "/" + name); }

bool showAndSave(QWidget* window, const QString& name)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    QTest::qWait(150);
    return saveShot(window, name);
}

bool galleryOnScreen(const QString& function, const QStringList& names)
{
    if (onScreen()) {
        useDarkStyle();
        return true;
    }
    const QString failure = runGallery(function, names);
    QTest::qVerify(failure.isEmpty(), "runGallery", qPrintable(failure), __FILE__, __LINE__);
    return false;
}

QString runGallery(const QString& function, const QStringList& names, const QSize& screen)
{
    const QString folder = artefactFolder();
    for (const QString& name : names)
        QFile::remove(folder + "/" + name);
    const QString failure = runOnScreen(function, screen, folder);
    if (!failure.isEmpty())
        return failure;
    for (const QString& name : names) {
        const QImage image(folder + "/" + name);
        if (image.isNull())
            return name + ": not saved";
        int nDark = 0, nLight = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int lightness = image.pixelColor(x, y).lightness();
                nDark += lightness < 90 ? 1 : 0;
                nLight += lightness > 190 ? 1 : 0;
            }
        const int nPixels = image.width() * image.height();
        if (distinctColours(image) < 8 || nDark < nPixels / 4 || nLight < 20)
            return QString("%1: blank or unreadable (%2 colours, %3 dark, %4 light of %5 pixels)")
                .arg(name)
                .arg(distinctColours(image))
                .arg(nDark)
                .arg(nLight)
                .arg(nPixels);
    }
    return QString();
}

} // namespace TestKit
