#include "ReleaseApp.h"

namespace MRelease {

// Application keys of the maker's applications and their executable names.
void ReleaseApp::initExecutableNames()
{
    m_mapExecutableNames.insert(QStringLiteral("trelvanic"), QStringLiteral("Trelvanic"));
    m_mapExecutableNames.insert(QStringLiteral("trelvanicpro"), QStringLiteral("TrelvanicPro"));
    m_mapExecutableNames.insert(QStringLiteral("quorvel"), QStringLiteral("Quorvel"));
    m_mapExecutableNames.insert(QStringLiteral("quorvelstudio"), QStringLiteral("QuorvelStudio"));
    m_mapExecutableNames.insert(QStringLiteral("damaskiro"), QStringLiteral("Damaskiro"));
    m_mapExecutableNames.insert(QStringLiteral("pellutra"), QStringLiteral("Pellutra"));
    m_mapExecutableNames.insert(QStringLiteral("vostrane"), QStringLiteral("Vostrane"));
    m_mapExecutableNames.insert(QStringLiteral("vostranelite"), QStringLiteral("VostraneLite"));
    m_mapExecutableNames.insert(QStringLiteral("ombrisk"), QStringLiteral("Ombrisk"));
    m_mapExecutableNames.insert(QStringLiteral("celmarion"), QStringLiteral("Celmarion"));
    m_mapExecutableNames.insert(QStringLiteral("zembrelnotes"), QStringLiteral("Zembrel Notes"));
    m_mapExecutableNames.insert(QStringLiteral("tagrivo"), QStringLiteral("TAGrivo"));
}

} // namespace MRelease
