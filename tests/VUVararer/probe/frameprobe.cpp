// A program built on the frame for the suites that need a process of their own.
// The first argument chooses what it does; it prints its findings on standard output.

#include <VUVararer/App.h>
#include <VUVararer/SimpleBookmark.h>

#include <QTimer>

#include <cstdio>

namespace {

void say(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void late() { say(QStringLiteral("CALLED late")); }

void first()
{
    say(QStringLiteral("CALLED first"));
    VUVararer::App::registerFunction(late);
}

void second() { say(QStringLiteral("CALLED second")); }

} // namespace

int main(int argc, char** argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();

    if (mode == "register") {
        VUVararer::App::registerFunction(first);
        VUVararer::App::registerFunction(second);
    } else if (mode == "early") {
        VUVararer::App::setTerminalOuputToFile();
        qWarning("early");
        return 0;
    }

    VUVararer::App app(argc, argv, QStringLiteral("Zembrel"), QStringLiteral("ProbeApp"));
    say(QStringLiteral("CONSTRUCTED"));

    if (mode == "open") {
        QObject::connect(&app, &VUVararer::App::fileOpenRequest,
                         [](const QString& file) { say(QStringLiteral("OPEN ") + file); });
        QTimer::singleShot(300, &app, &QCoreApplication::quit);
        return app.exec();
    }
    if (mode == "firststart") {
        say(QStringLiteral("FIRST ") + QString::number(app.isFirstStart()));
    } else if (mode == "fatal") {
        VUVararer::App::setTerminalOuputToFile();
        qFatal("boom");
    } else if (mode == "stderr") {
        VUVararer::App::disableTerminalOuput();
        qWarning("hidden-text");
        VUVararer::App::enableTerminalOuput();
        qWarning("shown-text");
    } else if (mode == "resolve") {
        VUVararer::SimpleBookmark bookmark;
        say(QStringLiteral("URL ") + bookmark.resolvingBookmark().toLocalFile());
    } else if (mode == "bookmark") {
        VUVararer::SimpleBookmark bookmark;
        bookmark.createBookmark(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[2])));
    }
    return 0;
}
