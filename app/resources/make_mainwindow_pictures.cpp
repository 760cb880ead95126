// Draws the pictures of the main window (menu bar, drop area, buttons, player, catalogue icons) and writes the
// resource list "mainwindow.qrc" that also carries the style sheet.

#include <VUVararer/Widgets/CrossPromoCatalogue.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cstdio>

namespace {

enum class Shape { Glyph, Play, Down, Pause, Stop, Folder, Gear };

struct Picture
{
    const char* name;
    int width;
    int height;
    Shape shape;
    const char* glyph; // UTF-8 text for Shape::Glyph
    QRgb colour;       // of the symbol
    QRgb plate;        // background plate; 0 for none
};

const QRgb kGrey = qRgb(200, 200, 200);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGreen = qRgb(120, 230, 120);
const QRgb kDark = qRgba(30, 30, 30, 230);
const QRgb kDarkHover = qRgba(60, 60, 60, 240);

const Picture kPictures[] = {
    // menu bar buttons (32 x 32, centred in their 60 x 32 buttons) and menu icons
    {"Help.png", 32, 32, Shape::Glyph, "?", kGrey, 0},
    {"Help_hover.png", 32, 32, Shape::Glyph, "?", kWhite, 0},
    {"more.png", 32, 32, Shape::Glyph, "+", kGrey, 0},
    {"more_hover.png", 32, 32, Shape::Glyph, "+", kWhite, 0},
    {"rate.png", 32, 32, Shape::Glyph, "\u2605", kGrey, 0},
    {"rate_hover.png", 32, 32, Shape::Glyph, "\u2605", kWhite, 0},
    {"moreapps.png", 32, 32, Shape::Glyph, "\u25a6", kGrey, 0},
    {"moreapps_hover.png", 32, 32, Shape::Glyph, "\u25a6", kWhite, 0},
    {"share.png", 32, 32, Shape::Glyph, "\u2197", kGrey, 0},
    {"share_hover.png", 32, 32, Shape::Glyph, "\u2197", kWhite, 0},
    {"join.png", 32, 32, Shape::Glyph, "\u2665", kGrey, 0},
    {"join_hover.png", 32, 32, Shape::Glyph, "\u2665", kWhite, 0},
    {"appmenu.png", 32, 32, Shape::Glyph, "\u2261", kGrey, 0},
    {"appmenu_hover.png", 32, 32, Shape::Glyph, "\u2261", kWhite, 0},
    {"star.png", 32, 32, Shape::Glyph, "\u2605", qRgb(250, 200, 40), 0},
    {"moreappsicon.png", 32, 32, Shape::Glyph, "\u25a6", qRgb(120, 180, 250), 0},
    {"feedback.png", 32, 32, Shape::Glyph, "\u2709", qRgb(230, 230, 230), 0},
    {"webpage.png", 32, 32, Shape::Glyph, "\u25ce", qRgb(120, 200, 250), 0},
    // drop area, list, destination row, buttons
    {"openfiles.png", 32, 32, Shape::Folder, "", qRgb(230, 190, 90), 0},
    {"exportsettingsbutton.png", 35, 35, Shape::Gear, "", kGrey, 0},
    {"exportsettingsbutton_hover.png", 35, 35, Shape::Gear, "", kWhite, 0},
    {"BrowseButton.png", 24, 24, Shape::Folder, "", kGrey, 0},
    {"BrowseButton_hvr.png", 24, 24, Shape::Folder, "", kWhite, 0},
    {"BrowseButton_chk.png", 24, 24, Shape::Folder, "", kGreen, 0},
    {"BrowseButton_chk_hvr.png", 24, 24, Shape::Folder, "", qRgb(180, 255, 180), 0},
    {"combodownarrow.png", 10, 10, Shape::Down, "", kGrey, 0},
    {"close.png", 16, 16, Shape::Glyph, "\u2715", kGrey, 0},
    // player strip and track rows
    {"PlayPause.png", 68, 35, Shape::Pause, "", kGrey, kDark},
    {"PlayPauseHover.png", 68, 35, Shape::Pause, "", kWhite, kDarkHover},
    {"PlayPlay.png", 68, 35, Shape::Play, "", kGreen, kDark},
    {"PlayPlayHover.png", 68, 35, Shape::Play, "", kWhite, kDarkHover},
    {"PlayStop.png", 68, 35, Shape::Stop, "", kGrey, kDark},
    {"PlayStopHover.png", 68, 35, Shape::Stop, "", kWhite, kDarkHover},
    {"PlayStopPressed.png", 68, 35, Shape::Stop, "", kGreen, kDark},
    {"note.png", 66, 66, Shape::Glyph, "\u266a", kGrey, kDark},
    {"noteplay.png", 66, 66, Shape::Play, "", kGreen, kDark},
    {"PopupButton.png", 132, 132, Shape::Glyph, "\u22ef", kWhite, kDark},
    {"_resources/imgs/MoreAppsButton_hover.png", 64, 64, Shape::Glyph, "\u266b", kWhite, kDark},
    // share and follow dialogs
    {"social_facebook.png", 48, 48, Shape::Glyph, "f", kWhite, qRgb(59, 89, 152)},
    {"social_twitter.png", 48, 48, Shape::Glyph, "t", kWhite, qRgb(29, 161, 242)},
    {"social_vkontakte.png", 48, 48, Shape::Glyph, "vk", kWhite, qRgb(76, 117, 163)},
    {"social_youtube.png", 48, 48, Shape::Play, "", kWhite, qRgb(205, 32, 31)},
    {"social_email.png", 48, 48, Shape::Glyph, "\u2709", kWhite, qRgb(90, 90, 90)},
};

QFont symbolFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

void drawShape(QPainter& painter, const QRectF& box, Shape shape, const QString& glyph, const QColor& colour)
{
    const qreal side = qMin(box.width(), box.height());
    const QPointF c = box.center();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    switch (shape) {
    case Shape::Glyph:
        painter.setPen(colour);
        painter.setFont(symbolFont(qRound(side * 0.7)));
        painter.drawText(box, Qt::AlignCenter, glyph);
        break;
    case Shape::Play: {
        const qreal r = side * 0.3;
        const QPointF triangle[] = {c + QPointF(-r * 0.8, -r), c + QPointF(-r * 0.8, r), c + QPointF(r, 0)};
        painter.drawPolygon(triangle, 3);
        break;
    }
    case Shape::Down: {
        const qreal r = side * 0.4;
        const QPointF triangle[] = {c + QPointF(-r, -r * 0.6), c + QPointF(r, -r * 0.6), c + QPointF(0, r * 0.6)};
        painter.drawPolygon(triangle, 3);
        break;
    }
    case Shape::Pause: {
        const qreal r = side * 0.28;
        painter.drawRect(QRectF(c.x() - r, c.y() - r, r * 0.7, 2 * r));
        painter.drawRect(QRectF(c.x() + r * 0.3, c.y() - r, r * 0.7, 2 * r));
        break;
    }
    case Shape::Stop: {
        const qreal r = side * 0.25;
        painter.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
        break;
    }
    case Shape::Folder: {
        const qreal w = side * 0.8, h = side * 0.6;
        const QRectF body(c.x() - w / 2, c.y() - h / 2 + side * 0.06, w, h);
        painter.drawRoundedRect(QRectF(body.left(), body.top() - side * 0.1, w * 0.45, side * 0.2), 1.5, 1.5);
        painter.drawRoundedRect(body, 2, 2);
        break;
    }
    case Shape::Gear: {
        painter.setPen(QPen(colour, side * 0.14, Qt::SolidLine, Qt::FlatCap));
        for (int i = 0; i < 8; ++i) {
            painter.save();
            painter.translate(c);
            painter.rotate(i * 45);
            painter.drawLine(QPointF(0, side * 0.26), QPointF(0, side * 0.42));
            painter.restore();
        }
        painter.setPen(Qt::NoPen);
        QPainterPath ring;
        ring.addEllipse(c, side * 0.3, side * 0.3);
        ring.addEllipse(c, side * 0.12, side * 0.12);
        painter.drawPath(ring);
        break;
    }
    }
}

QImage newImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

bool save(const QImage& image, const QString& folder, const QString& name, QStringList& written)
{
    const QString path = folder + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    written << name;
    return true;
}

bool writePicture(const Picture& picture, const QString& folder, QStringList& written)
{
    QImage image = newImage(picture.width, picture.height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(0.5, 0.5, picture.width - 1.0, picture.height - 1.0);
    if (qAlpha(picture.plate)) {
        painter.setPen(QPen(QColor(110, 110, 110), 1));
        painter.setBrush(QColor::fromRgba(picture.plate));
        painter.drawRoundedRect(box, picture.height / 6.0, picture.height / 6.0);
    }
    drawShape(painter, box, picture.shape, QString::fromUtf8(picture.glyph), QColor::fromRgba(picture.colour));
    painter.end();
    return save(image, folder, QLatin1String(picture.name), written);
}

// A tile of dark, slightly uneven grey behind the track list.
QImage panelBackground()
{
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int v = 38 + ((x * 7 + y * 13) % 5);
            image.setPixel(x, y, qRgb(v, v, v));
        }
    return image;
}

QImage backgroundBar()
{
    QImage image(8, 42, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, image.height());
    gradient.setColorAt(0, QColor(95, 95, 95));
    gradient.setColorAt(0.8, QColor(50, 50, 50));
    gradient.setColorAt(1, QColor(25, 25, 25));
    painter.fillRect(image.rect(), gradient);
    return image;
}

// A dashed frame with an arrow pointing down; the area's text shows through the transparent middle.
QImage dropArea()
{
    QImage image = newImage(800, 280);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 90), 6, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(12, 12, 776, 256), 24, 24);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 50));
    const QPointF arrow[] = {{370, 190}, {430, 190}, {430, 215}, {455, 215}, {400, 255}, {345, 215}, {370, 215}};
    painter.drawPolygon(arrow, 7);
    return image;
}

// The About dialog's logo: the application's initial on a lit plate, with its name below.
QImage aboutLogo()
{
    QImage image = newImage(280, 280);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QRadialGradient light(QPointF(110, 90), 220);
    light.setColorAt(0, QColor(90, 200, 90));
    light.setColorAt(1, QColor(15, 70, 15));
    painter.setPen(QPen(QColor(150, 150, 150), 3));
    painter.setBrush(light);
    painter.drawRoundedRect(QRectF(30, 20, 220, 190), 36, 36);
    painter.setPen(Qt::white);
    painter.setFont(symbolFont(140));
    painter.drawText(QRectF(30, 20, 220, 190), Qt::AlignCenter, QStringLiteral("T"));
    painter.setPen(QColor(230, 230, 230));
    painter.setFont(symbolFont(34));
    painter.drawText(QRectF(0, 218, 280, 52), Qt::AlignCenter, QStringLiteral("Trelvanic"));
    return image;
}

// A plate for the player strip.
QImage playerBox()
{
    QImage image = newImage(800, 272);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, image.height());
    gradient.setColorAt(0, QColor(70, 70, 70, 200));
    gradient.setColorAt(1, QColor(25, 25, 25, 200));
    painter.setPen(QPen(QColor(120, 120, 120), 2));
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(2, 2, 796, 268), 16, 16);
    return image;
}

QImage catalogueIcon(const QString& key)
{
    QImage image = newImage(64, 64);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int hue = int(qHash(key) % 360);
    QLinearGradient gradient(0, 0, 0, 64);
    gradient.setColorAt(0, QColor::fromHsv(hue, 150, 230));
    gradient.setColorAt(1, QColor::fromHsv(hue, 220, 140));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    painter.setPen(Qt::white);
    painter.setFont(symbolFont(36));
    painter.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, key.left(1).toUpper());
    return image;
}

bool writeQrc(const QString& folder, const QStringList& files, const QString& styleSheet)
{
    QFile file(folder + QStringLiteral("/mainwindow.qrc"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "<RCC>\n  <qresource prefix=\"/\">\n";
    out << "    <file alias=\"trelvanic.qss\">" << styleSheet << "</file>\n";
    for (const QString& name : files)
        out << "    <file>" << name << "</file>\n";
    out << "  </qresource>\n</RCC>\n";
    return out.status() == QTextStream::Ok;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_mainwindow_pictures <picture folder> <style sheet>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString styleSheet = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    QDir().mkpath(folder);

    QStringList written;
    bool ok = true;
    for (const Picture& picture : kPictures)
        ok = ok && writePicture(picture, folder, written);
    ok = ok && save(panelBackground(), folder, QStringLiteral("panelbackground.png"), written);
    ok = ok && save(backgroundBar(), folder, QStringLiteral("backgroundbar.png"), written);
    ok = ok && save(dropArea(), folder, QStringLiteral("droparea.png"), written);
    ok = ok && save(playerBox(), folder, QStringLiteral("Box.png"), written);
    ok = ok && save(aboutLogo(), folder, QStringLiteral("aboutlogo.png"), written);
    for (int i = 0; ok && i < VUVararer::CrossPromoCatalogue::count(); ++i) {
        const VUVararer::CrossPromoCatalogue::Entry& entry = VUVararer::CrossPromoCatalogue::entry(i);
        ok = save(catalogueIcon(QLatin1String(entry.key)), folder, QString::fromLatin1(entry.icon).mid(2), written);
    }
    ok = ok && writeQrc(folder, written, styleSheet);
    return ok ? 0 : 1;
}
