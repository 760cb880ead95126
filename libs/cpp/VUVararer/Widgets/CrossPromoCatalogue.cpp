#include "CrossPromoCatalogue.h"

#include <VUVararer/Endpoints.h>

#include <QCoreApplication>

namespace VUVararer {

namespace {

using Entry = CrossPromoCatalogue::Entry;

const Entry kEntries[] = {
    {"trelvanic", "trelvanic", ":/trelvanic64x64.png", "Convert audio && video sound tracks to M4A", false},
    {"wavoria", "wavoria", ":/wavoria64x64.png", "Trim, join && fade audio recordings", false},
    {"sonquill", "sonquill", ":/sonquill64x64.png", "Record voice notes with one click", false},
    {"echolumen", "echolumen", ":/echolumen64x64.png", "See the spectrum of any sound", false},
    {"tagvesta", "tagvesta", ":/tagvesta64x64.png", "Edit the tags of your music files", false},
    {"playvesta", "playvesta", ":/playvesta64x64.png", "A calm player for long audio books", false},
    {"beatmirel", "beatmirel", ":/beatmirel64x64.png", "Count the beats per minute of any song", false},
    {"loopandra", "loopandra", ":/loopandra64x64.png", "Loop a phrase to learn it by ear", false},
    {"audimbra", "audimbra", ":/audimbra64x64.png", "Convert audio files to FLAC", false},
    {"voxarill", "voxarill", ":/voxarill64x64.png", "Change the pitch && speed of voices", false},
    {"pixelorn", "pixelorn", ":/pixelorn64x64.png", "Draw pixel art && small icons", false},
    {"shapevine", "shapevine", ":/shapevine64x64.png", "Vector shapes for quick diagrams", false},
    {"colorquen", "colorquen", ":/colorquen64x64.png", "Pick && keep colours from the screen", false},
    {"iconimble", "iconimble", ":/iconimble64x64.png", "Make application icons in every size", false},
    {"sketchavel", "sketchavel", ":/sketchavel64x64.png", "A sketch pad with soft pencils", false},
    {"framelith", "framelith", ":/framelith64x64.png", "Turn pictures into short animations", false},
    {"photarin", "photarin", ":/photarin64x64.png", "Resize && rename photos in batches", false},
    {"lumicroft", "lumicroft", ":/lumicroft64x64.png", "Adjust the light of your photos", false},
    {"snaplivet", "snaplivet", ":/snaplivet64x64.png", "Capture && annotate the screen", false},
    {"albumira", "albumira", ":/albumira64x64.png", "Arrange photos into albums", false},
    {"codequill", "codequill", ":/codequill64x64.png", "A tidy editor for small scripts", false},
    {"hexorrin", "hexorrin", ":/hexorrin64x64.png", "Look inside any file byte by byte", false},
    {"regexalo", "regexalo", ":/regexalo64x64.png", "Try regular expressions live", false},
    {"jsonimbel", "jsonimbel", ":/jsonimbel64x64.png", "Format && check structured text", false},
    {"notevarin", "notevarin", ":/notevarin64x64.png", "Learn to read notes on the staff", false},
    {"rhythmora", "rhythmora", ":/rhythmora64x64.png", "Practise rhythms with a clear click", false},
    {"scalorin", "scalorin", ":/scalorin64x64.png", "Scales && modes in every key", false},
    {"eartrellis", "eartrellis", ":/eartrellis64x64.png", "Train your ear with intervals && chords", false},
    {"metrovolk", "metrovolk", ":/metrovolk64x64.png", "A metronome with accents && subdivisions", false},
    {"lyrindel", "lyrindel", ":/lyrindel64x64.png", "Keep lyrics && chords of your songs together", false},
    {"guitarchordelta", "guitarchordelta", ":/guitarchordelta64x64.png", "Guitar chords with fingerings && sound",
     false},
    {"basschordelta", "basschordelta", ":/basschordelta64x64.png", "Bass patterns && chord tones", false},
    {"ukulelechordelta", "ukulelechordelta", ":/ukulelechordelta64x64.png", "Ukulele chords for every tuning", false},
    {"mandolinchordelta", "mandolinchordelta", ":/mandolinchordelta64x64.png", "Mandolin chords at a glance", false},
    {"banjochordelta", "banjochordelta", ":/banjochordelta64x64.png", "Banjo chords && rolls", false},
    {"balalaikachordelta", "balalaikachordelta", ":/balalaikachordelta64x64.png", "Balalaika chords for beginners",
     false},
    {"pianochordelta", "pianochordelta", ":/pianochordelta64x64.png", "Piano chords && inversions", false},
    {"violinchordelta", "violinchordelta", ":/violinchordelta64x64.png", "Violin double stops && fingerings", false},
    {"tunevalo", "tunevalo", ":/tunevalo64x64.png", "Tune any stringed instrument by ear", true},
    {"notefindra", "notefindra", ":/notefindra64x64.png", "Find every note on the fingerboard", true},
    {"fretvisto", "fretvisto", ":/fretvisto64x64.png", "See scales across the whole neck", true},
    {"stagelumen", "stagelumen", ":/stagelumen64x64.png", "A prompter for lyrics on stage", false},
    {"drumvantis", "drumvantis", ":/drumvantis64x64.png", "Drum patterns to play along with", false},
    {"setlistra", "setlistra", ":/setlistra64x64.png", "Plan the set lists of your gigs", false},
    {"recitalo", "recitalo", ":/recitalo64x64.png", "Record your practice && hear the progress", false},
    {"chordmelder", "chordmelder", ":/chordmelder64x64.png", "Name the chord you hear", false},
};

QString withScheme(const QString& address)
{
    return address.contains(QLatin1String("://")) ? address : QStringLiteral("http://") + address;
}

} // namespace

int CrossPromoCatalogue::count() { return int(sizeof(kEntries) / sizeof(kEntries[0])); }

const CrossPromoCatalogue::Entry& CrossPromoCatalogue::entry(int index) { return kEntries[index]; }

QString CrossPromoCatalogue::ownName()
{
    QString strName = QCoreApplication::applicationName().toLower();
    strName.remove(QStringLiteral("lite"));
    strName.remove(QLatin1Char(' '));
    return strName;
}

const CrossPromoCatalogue::Entry* CrossPromoCatalogue::find(const QString& requested, const QString& own)
{
    for (const Entry& candidate : kEntries) {
        const QString strKey = QLatin1String(candidate.key);
        const bool bTaken = candidate.bSuffix ? !own.endsWith(strKey) && requested.endsWith(strKey)
                                              : own != strKey && requested == strKey;
        if (bTaken)
            return &candidate;
    }
    return nullptr;
}

QString CrossPromoCatalogue::crossPromoLink(const QString& linkKey)
{
    const QString strPath = Endpoints::crossPromoPath().section(QLatin1Char('?'), 0, 0);
    return withScheme(Endpoints::current().m_strUpdateServer) + strPath + QStringLiteral("?appname=") + linkKey;
}

QString CrossPromoCatalogue::storeAppLink(const QString& name, const QString& id)
{
    // The store prefix may already end in "/app/"; store pages open in the browser.
    QString strHost = Endpoints::current().m_strStoreHost;
    while (strHost.endsWith(QLatin1Char('/')))
        strHost.chop(1);
    if (strHost.endsWith(QLatin1String("/app")))
        strHost.chop(4);
    if (strHost.startsWith(QLatin1String("macappstore://")))
        strHost.replace(0, int(qstrlen("macappstore")), QStringLiteral("https"));
    return strHost + QStringLiteral("/app/") + name.toLower() + QLatin1Char('/') + id + QStringLiteral("?ls=1&mt=12");
}

} // namespace VUVararer
