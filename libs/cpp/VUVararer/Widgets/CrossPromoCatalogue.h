#pragma once
// The maker's other applications offered in the shop menu, and the links to their pages.

#include <QString>

namespace VUVararer {

class CrossPromoCatalogue
{
public:
    struct Entry
    {
        const char* key;         // application key, or the stem of a suffix entry
        const char* linkKey;     // value of the link's "appname" query
        const char* icon;        // resource path ":/<name>64x64.png"
        const char* description; // row text; "&&" shows one ampersand
        bool bSuffix;            // matched by the end of the requested key
    };

    static int count();
    static const Entry& entry(int index);
    // The running application's key: its name in lower case without "lite" and blanks.
    static QString ownName();
    // The first entry the requested key takes, or null; the running application never takes one.
    static const Entry* find(const QString& requested, const QString& own);
    // The cross-promotion page of the application key.
    static QString crossPromoLink(const QString& linkKey);
    // The store page of an application: host, "/app/", the name in lower case, "/", the id, "?ls=1&mt=12".
    static QString storeAppLink(const QString& name, const QString& id);
};

} // namespace VUVararer
