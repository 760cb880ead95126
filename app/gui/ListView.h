#pragma once
// The track list: a list view that accepts dropped files and folders and hands their URLs on.

#include <QList>
#include <QListView>
#include <QUrl>

class ListView : public QListView
{
    Q_OBJECT

public:
    explicit ListView(QWidget* parent = nullptr);

    // Lays footer over the bottom edge of the frame and keeps the rows above it, so no row hides beneath.
    void setFooter(QWidget* footer);

signals:
    void dropped(const QList<QUrl>& urls);

protected:
    // Accepts only "text/uri-list" data.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_pFooter = nullptr;
};
