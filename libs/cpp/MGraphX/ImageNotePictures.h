#pragma once
// Pictures of the image-note editor: the application's ":/" resource when it has one, else a stand-in drawn here.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace VUVararer {

class ImageNotePictures
{
public:
    // The resource at path, or its drawn stand-in: cursors ":/<Tool>_cur.png" in pure blue, thickness icons
    // ":/<n>px.png" and ":/dash.png", the glass ":/steklo.png", and button pictures ":/<objectName>.png".
    // Null for a name that is neither.
    static QPixmap pixmap(const QString& path);
    // The picture of a button named objectName, as an icon; an empty icon when there is none.
    static QIcon buttonIcon(const QString& objectName);

private:
    static QPixmap drawn(const QString& path);
    static QPixmap glyph(const QString& name, const QColor& colour, int size);
};

} // namespace VUVararer
