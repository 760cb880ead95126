#include "TempHome.h"

#include <QDir>

#include <cstdlib>
#include <string>

namespace TestKit {

TempHome::TempHome()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/trelvanic-home.XXXXXX";
    if (!mkdtemp(pattern.data()))
        std::abort();
    m_baPath = QByteArray(pattern.c_str());

    const struct
    {
        const char* name;
        const char* sub;
    } folders[] = {{"XDG_CONFIG_HOME", "/.config"},
                   {"XDG_DATA_HOME", "/.local/share"},
                   {"XDG_CACHE_HOME", "/.cache"},
                   {"XDG_STATE_HOME", "/.local/state"}};
    setenv("HOME", pattern.c_str(), 1);
    for (const auto& folder : folders)
        setenv(folder.name, (pattern + folder.sub).c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

TempHome::~TempHome() { QDir(QString::fromLocal8Bit(m_baPath)).removeRecursively(); }

} // namespace TestKit
