// Writes the application's own resources: the introduction slides for each language, the bell sound, the
// pictures compiled into the ":/" resources and the desktop icon at the sizes asked for.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct Slide
{
    const char* title;
    const char* text;
};

const double kPi = 3.14159265358979323846;
const char* const kLanguages[] = {"en", "de", "ru"};

// Eight slides per language, in the order en, de, ru.
const Slide kSlides[3][8] = {
    {{"Welcome to Trelvanic", "Convert audio files and the sound of videos to M4A"},
     {"Drop your files", "Drop files and whole folders onto the window"},
     {"Listen first", "Preview any track before you convert it"},
     {"Choose the destination", "Each run gets its own folder, named by date and time"},
     {"Adjust the sound", "Normalize the level, fade in and out, trim silence"},
     {"Pick the quality", "Choose the AAC quality and the bit rate"},
     {"Click Convert", "Follow the progress, pause or stop at any time"},
     {"Enjoy your M4A tracks", "Tags are copied, the folder opens when all is done"}},
    {{"Willkommen bei Trelvanic", "Audiodateien und den Ton von Videos nach M4A wandeln"},
     {"Dateien ablegen", "Dateien und ganze Ordner auf das Fenster ziehen"},
     {"Erst anhören", "Jede Spur vor dem Wandeln probehören"},
     {"Ziel wählen", "Jeder Lauf bekommt einen eigenen Ordner mit Datum und Uhrzeit"},
     {"Klang anpassen", "Pegel normalisieren, ein- und ausblenden, Stille kürzen"},
     {"Qualität wählen", "AAC-Qualität und Bitrate festlegen"},
     {"Auf Wandeln klicken", "Fortschritt verfolgen, jederzeit anhalten oder abbrechen"},
     {"Viel Freude mit M4A", "Tags werden übernommen, am Ende öffnet sich der Ordner"}},
    {{"Добро пожаловать в Trelvanic", "Преобразуйте аудиофайлы и звук видео в M4A"},
     {"Перетащите файлы", "Перетащите файлы и целые папки в окно"},
     {"Сначала послушайте", "Прослушайте любую дорожку перед преобразованием"},
     {"Выберите папку", "Каждый запуск получает свою папку с датой и временем"},
     {"Настройте звук", "Нормализация, плавное нарастание и затухание, обрезка тишины"},
     {"Выберите качество", "Задайте качество AAC и битрейт"},
     {"Нажмите «Конвертировать»", "Следите за ходом работы, ставьте на паузу или останавливайте"},
     {"Наслаждайтесь M4A", "Теги копируются, по окончании откроется папка"}}};

bool writeSlide(const QString& path, int number, const Slide& slide)
{
    QImage image(1024, 768, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient gradient(0, 0, 0, image.height());
    const int hue = (number * 40) % 360;
    gradient.setColorAt(0, QColor::fromHsv(hue, 160, 110));
    gradient.setColorAt(1, QColor::fromHsv(hue, 200, 30));
    painter.fillRect(image.rect(), gradient);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 40));
    painter.drawEllipse(QPoint(512, 250), 130, 130);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(150);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(382, 120, 260, 260), Qt::AlignCenter, QString::number(number));

    font.setPixelSize(56);
    painter.setFont(font);
    painter.drawText(QRect(40, 420, 944, 90), Qt::AlignCenter | Qt::TextWordWrap, QString::fromUtf8(slide.title));
    font.setPixelSize(34);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(60, 530, 904, 160), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     QString::fromUtf8(slide.text));
    painter.end();
    return image.save(path, "JPEG", 85);
}

void appendLE(QByteArray& data, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        data.append(char((value >> (8 * i)) & 0xff));
}

// A struck bell: inharmonic partials, each with its own exponential decay, after a short attack.
bool writeBell(const QString& path)
{
    const int rate = 44100;
    const double seconds = 2.5;
    const int frames = int(rate * seconds);
    const double base = 523.25;
    const struct
    {
        double ratio, level, decay;
    } partials[] = {{0.5, 0.35, 1.2}, {1.0, 1.0, 1.6},   {1.19, 0.45, 2.2}, {1.5, 0.35, 2.8},
                    {2.0, 0.5, 3.2},  {2.74, 0.25, 4.5}, {3.0, 0.2, 5.0},   {4.07, 0.12, 7.0}};
    double peak = 0;
    std::vector<double> samples(frames);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        double value = 0;
        for (const auto& partial : partials)
            value += partial.level * std::exp(-partial.decay * t) * std::sin(2 * kPi * base * partial.ratio * t);
        value *= std::min(1.0, t / 0.004);
        samples[i] = value;
        peak = std::max(peak, std::fabs(value));
    }
    QByteArray pcm;
    pcm.reserve(frames * 2);
    for (double value : samples)
        appendLE(pcm, quint16(qint16(std::lround(value / peak * 0.8 * 32767))), 2);

    QByteArray wav("RIFF");
    appendLE(wav, 36 + pcm.size(), 4);
    wav += "WAVEfmt ";
    appendLE(wav, 16, 4);
    appendLE(wav, 1, 2);
    appendLE(wav, 1, 2);
    appendLE(wav, rate, 4);
    appendLE(wav, rate * 2, 4);
    appendLE(wav, 2, 2);
    appendLE(wav, 16, 2);
    wav += "data";
    appendLE(wav, pcm.size(), 4);
    wav += pcm;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

bool writeLogo(const QString& path, const QSize& size, const QString& text, int pixelSize)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (size.width() == size.height()) {
        QLinearGradient gradient(0, 0, size.width(), size.height());
        gradient.setColorAt(0, QColor(0, 160, 224));
        gradient.setColorAt(1, QColor(20, 40, 120));
        painter.setBrush(gradient);
        painter.setPen(Qt::NoPen);
        const qreal margin = size.width() / 64.0;
        painter.drawRoundedRect(QRectF(image.rect()).adjusted(margin, margin, -margin, -margin), size.width() / 6,
                                size.width() / 6);
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(size.width() == size.height() ? QColor(Qt::white) : QColor(0, 160, 224));
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    painter.end();
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: make_resources <resource folder> <picture folder> <icon folder> <icon size>...\n");
        return 2;
    }
    const QString resources = arguments.at(1);
    const QString pictures = arguments.at(2);
    const QString icons = arguments.at(3);
    if (!QDir().mkpath(resources) || !QDir().mkpath(pictures + "/pix") || !QDir().mkpath(icons))
        return 1;
    bool ok = true;
    for (int language = 0; language < 3; ++language)
        for (int slide = 0; slide < 8; ++slide)
            ok = ok &&
                 writeSlide(QStringLiteral("%1/Slide%2_%3.jpg").arg(resources).arg(slide + 1).arg(kLanguages[language]),
                            slide + 1, kSlides[language][slide]);
    ok = ok && writeBell(resources + "/bell.wav");
    ok = ok && writeLogo(pictures + "/appicon.png", QSize(256, 256), QStringLiteral("T"), 170);
    ok = ok && writeLogo(pictures + "/app.png", QSize(256, 256), QStringLiteral("T"), 170);
    ok = ok && writeLogo(pictures + "/pix/zembrellogo.png", QSize(160, 32), QStringLiteral("ZEMBREL"), 24);
    for (const QString& size : arguments.mid(4)) {
        const int side = size.toInt();
        ok = ok && side > 0 &&
             writeLogo(QStringLiteral("%1/%2.png").arg(icons).arg(side), QSize(side, side), QStringLiteral("T"),
                       side * 170 / 256);
    }
    if (!ok)
        std::fprintf(stderr, "make_resources: could not write the resources\n");
    return ok ? 0 : 1;
}
