#pragma once
// Panel that takes dropped files and folders, with an open button at its foot; reports them as one URL list.

#include <VUVararer/Label.h>

#include <QList>
#include <QUrl>

class QPushButton;

namespace VUVararer {

class DropWidget : public Label
{
    Q_OBJECT

public:
    enum OpenMode : int { OpenFolder = 0, OpenFiles = 1 };

    explicit DropWidget(QWidget* parent = nullptr);

    // OpenFolder asks for one folder; any other value for any number of files.
    void setOpenMode(const OpenMode& mode) { m_eOpenMode = mode; }
    void setButtonText(const QString& text);
    // Rich text allowed.
    void setAreaText(const QString& text);
    void hideOpenButton();
    // Whether the widget hides itself after a drop or a dialog choice (true at first).
    void setHideAfterDrop(bool hide) { m_bHideAfterDrop = hide; }
    QList<QUrl> urls() const { return m_lstUrls; }

public slots:
    void slotOpenClicked();

signals:
    // Once per accepted drop or dialog choice; only local files and folders.
    void dropped(const QList<QUrl>& urls);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static QList<QUrl> localUrls(const QList<QUrl>& urls);
    void deliver(const QList<QUrl>& urls);

    QList<QUrl> m_lstUrls;
    QPushButton* m_pcmdOpen = nullptr;
    bool m_bHideAfterDrop = true;
    OpenMode m_eOpenMode = OpenFiles;
};

} // namespace VUVararer
