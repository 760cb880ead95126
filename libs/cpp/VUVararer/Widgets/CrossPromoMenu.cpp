// The cross-promotion part of the promotion menu bar: which of the maker's applications each category offers.

#include "CrossPromoCatalogue.h"
#include "PromoMenuBar.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QStringList>

namespace VUVararer {

namespace {

const char* const kInstruments[] = {"balalaika", "banjo", "bass", "guitar", "mandolin", "piano", "ukulele", "violin"};

const QStringList kMusicLearning = {"notevarin", "scalorin", "eartrellis", "lyrindel"};

} // namespace

void PromoMenuBar::addAppItem(const QString& key)
{
    const CrossPromoCatalogue::Entry* pEntry = CrossPromoCatalogue::find(key, CrossPromoCatalogue::ownName());
    if (!pEntry)
        return;
    addMenuLink(QPixmap(QLatin1String(pEntry->icon)), QString::fromUtf8(pEntry->description),
                CrossPromoCatalogue::crossPromoLink(QLatin1String(pEntry->linkKey)));
}

// An empty key stands for a separator between groups.
void PromoMenuBar::addAppItems(const QStringList& keys)
{
    for (const QString& strKey : keys) {
        if (strKey.isEmpty())
            addMenuSeparator();
        else
            addAppItem(strKey);
    }
}

void PromoMenuBar::addInstrumentMenuItems(const QString& instrument)
{
    QStringList lstOwn = {instrument + "chordelta", instrument + "tunevalo", instrument + "notefindra"};
    if (instrument != QLatin1String("piano") && instrument != QLatin1String("violin"))
        lstOwn << instrument + "fretvisto";
    addAppItems(lstOwn << QString());
    addAppItems(kMusicLearning + QStringList{QString()});
    for (const char* other : kInstruments)
        if (instrument != QLatin1String(other))
            addAppItem(QLatin1String(other) + QStringLiteral("chordelta"));
    addMenuSeparator();
}

void PromoMenuBar::addGuitarMenuItems() { addInstrumentMenuItems(QStringLiteral("guitar")); }

void PromoMenuBar::addBassMenuItems() { addInstrumentMenuItems(QStringLiteral("bass")); }

void PromoMenuBar::addUkuleleMenuItems() { addInstrumentMenuItems(QStringLiteral("ukulele")); }

void PromoMenuBar::addMandolinMenuItems() { addInstrumentMenuItems(QStringLiteral("mandolin")); }

void PromoMenuBar::addBanjoMenuItems() { addInstrumentMenuItems(QStringLiteral("banjo")); }

void PromoMenuBar::addBalalaikaMenuItems() { addInstrumentMenuItems(QStringLiteral("balalaika")); }

void PromoMenuBar::addPianoMenuItems() { addInstrumentMenuItems(QStringLiteral("piano")); }

void PromoMenuBar::addViolinMenuItems() { addInstrumentMenuItems(QStringLiteral("violin")); }

void PromoMenuBar::addMusicInstrumentMenuItems()
{
    addAppItems({"wavoria", "loopandra", "beatmirel", "", "metrovolk", "rhythmora", "drumvantis", "setlistra", ""});
}

void PromoMenuBar::setupAppsMenu(const QString& category)
{
    using Block = void (PromoMenuBar::*)();
    const struct
    {
        const char* instrument;
        Block block;
    } instrumentBlocks[] = {
        {"balalaika", &PromoMenuBar::addBalalaikaMenuItems}, {"banjo", &PromoMenuBar::addBanjoMenuItems},
        {"bass", &PromoMenuBar::addBassMenuItems},           {"guitar", &PromoMenuBar::addGuitarMenuItems},
        {"mandolin", &PromoMenuBar::addMandolinMenuItems},   {"piano", &PromoMenuBar::addPianoMenuItems},
        {"ukulele", &PromoMenuBar::addUkuleleMenuItems},     {"violin", &PromoMenuBar::addViolinMenuItems}};

    bool bInstrument = false;
    for (const auto& item : instrumentBlocks) {
        if (category == QLatin1String(item.instrument)) {
            (this->*item.block)();
            bInstrument = true;
        }
    }

    if (bInstrument) {
        addMusicInstrumentMenuItems();
    } else if (category == QLatin1String("graphics")) {
        addAppItems({"pixelorn", "shapevine", "iconimble", "", "colorquen", "sketchavel", "framelith", "", "wavoria",
                     "sonquill", "echolumen", "", "notevarin", "metrovolk", ""});
    } else if (category == QLatin1String("photo")) {
        addAppItems({"photarin", "lumicroft", "snaplivet", "albumira", "", "pixelorn", "colorquen", "framelith", "",
                     "wavoria", "sonquill", "", "notevarin", "metrovolk", ""});
    } else if (category == QLatin1String("developer")) {
        addAppItems({"codequill", "hexorrin", "regexalo", "jsonimbel", "iconimble", "", "snaplivet", "photarin", "",
                     "tagvesta", "echolumen", "", "metrovolk", "rhythmora", ""});
    } else if (category == QLatin1String("music")) {
        addAppItems(kMusicLearning + QStringList{"recitalo", "chordmelder", ""});
        addAppItems({"guitarchordelta", "ukulelechordelta", "pianochordelta", "basschordelta", ""});
        addMusicInstrumentMenuItems();
    } else if (category == QLatin1String("audio")) {
        QStringList lstAudio = {"trelvanic", "wavoria",   "sonquill", "echolumen", "tagvesta",
                                "playvesta", "beatmirel", "audimbra", "voxarill"};
        if (QCoreApplication::applicationName().toLower().contains(QLatin1String("playvesta")))
            lstAudio.removeAll(QStringLiteral("playvesta"));
        addAppItems(lstAudio << QString());
        addAppItems({"pixelorn", "snaplivet", "framelith", "", "notevarin", "eartrellis", "chordmelder", "",
                     "metrovolk", "loopandra", "stagelumen", "", "guitarchordelta", "pianochordelta", "recitalo", ""});
    } else if (category.isEmpty()) {
        const QString strName = QCoreApplication::applicationName().toLower();
        for (const auto& item : instrumentBlocks) {
            if (strName.contains(QLatin1String(item.instrument))) {
                (this->*item.block)();
                break;
            }
        }
        addMusicInstrumentMenuItems();
    }

    addMenuSeparator();
    addMoreAppsLink();
}

} // namespace VUVararer
