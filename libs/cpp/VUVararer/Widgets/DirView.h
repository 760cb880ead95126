#pragma once
// A folder tree that reports clicked folders and files.

#include <QFrame>

class QFileSystemModel;
class QModelIndex;
class QTreeView;

namespace VUVararer {

class DirView : public QFrame
{
    Q_OBJECT

public:
    explicit DirView(QWidget* parent = nullptr);

    QTreeView* treeView() const { return m_ptrvDirs; }
    QFileSystemModel* model() const { return m_pModel; }
    // Shows the tree below path (the whole file system at first).
    void setRootPath(const QString& path);

public slots:
    void slotTreeViewClicked(const QModelIndex& index);

signals:
    // A folder was clicked.
    void showContent(const QString& path);
    // Anything else was clicked.
    void showItem(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QFileSystemModel* m_pModel;
    QTreeView* m_ptrvDirs;
};

} // namespace VUVararer
