#include "DialogProbe.h"

#include "SelfRun.h"
#include "VirtualDisplay.h"

#include <QPushButton>
#include <QSet>

namespace TestKit {

QPushButton* buttonWithText(QWidget* parent, const QString& text)
{
    for (QPushButton* button : parent->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

int distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

bool onScreen() { return qgetenv("QT_QPA_PLATFORM") == "xcb"; }

QString shotFolder() { return qEnvironmentVariable("TRELVANIC_SHOT_DIR"); }

QString runOnScreen(const QString& function, const QSize& size, const QString& folder)
{
    VirtualDisplay display(size.width(), size.height());
    if (!display.isRunning())
        return display.error();
    const ToolResult child =
        runSelf({function}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display.display(), "TRELVANIC_SHOT_DIR=" + folder});
    if (child.exitCode == 0 && child.out.contains("PASS   : ") && !child.out.contains("FAIL!"))
        return QString();
    const QString output = QString::fromLocal8Bit(child.out + child.err);
    // A child that timed out or crashed leaves no output behind.
    return output.isEmpty() ? QString("%1 on screen did not finish").arg(function) : output;
}

} // namespace TestKit
