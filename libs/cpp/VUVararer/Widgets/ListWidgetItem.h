#pragma once
// A list item that remembers the full path of what it shows.

#include <QListWidgetItem>

namespace VUVararer {

class ListWidgetItem : public QListWidgetItem
{
public:
    explicit ListWidgetItem(QListWidget* parent = nullptr, int type = Type) : QListWidgetItem(parent, type) {}
    explicit ListWidgetItem(const QString& text, QListWidget* parent = nullptr, int type = Type)
        : QListWidgetItem(text, parent, type)
    {
    }
    ListWidgetItem(const QIcon& icon, const QString& text, QListWidget* parent = nullptr, int type = Type)
        : QListWidgetItem(icon, text, parent, type)
    {
    }
    // Copies the item's data; the full path starts empty.
    ListWidgetItem(const QListWidgetItem& other) : QListWidgetItem(other) {}

    void setFullPath(const QString& path) { m_strFullPath = path; }
    QString fullPath() const { return m_strFullPath; }

private:
    QString m_strFullPath;
};

} // namespace VUVararer
