#pragma once
// What start-up hands the application frame: identity, style sheet, links and the introduction.

#include <QString>
#include <QStringList>

namespace VUVararer {
class App;
}

class StartUp
{
public:
    // Version, organisation domain, style sheet and link colours, share and follow links, privacy policy, share
    // message, the libraries' legal notices.
    static void configure(VUVararer::App* app);
    // Introduction slides and video for the interface language.
    static void setupIntroduction(VUVararer::App* app);

    // "en", "de" or "ru" exactly; any other language gives "en".
    static QString introLanguage(const QString& language);
    // Slide1_<language>.jpg ... Slide8_<language>.jpg in the resource folder.
    static QStringList introSlides(const QString& resourcePath, const QString& language);
    static QString introVideoLink(const QString& language);
    // The application-wide style sheet from the ":/" resources; empty when they are not linked in.
    static QString styleSheet();
    // The libraries the program links besides the frame's Qt notice, with their licences, as plain text.
    static QString libraryNotices();
};
