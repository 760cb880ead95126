#pragma once
// Item model of the track list: one row per file path with its name, date, path and playing time, measured on a
// pool of threads from the moment the row is added.

#include <QAbstractListModel>
#include <QDir>
#include <QStringList>
#include <QThreadPool>
#include <QTime>
#include <QVector>

#include <future>

namespace ZADovuzIdida {

class PlayListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { LastModifiedRole = Qt::UserRole + 1, PathRole = Qt::UserRole + 3, DurationRole = Qt::UserRole + 4 };

    explicit PlayListModel(QObject* parent = nullptr);
    // Waits for the running measurements.
    ~PlayListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Roles 0 and 2 file name, 257 modification time, 259 path, 260 playing time (measured once; waits for it).
    QVariant data(const QModelIndex& index, int role) const override;
    // Playing time as a time of day from 00:00:00 in whole seconds; 00:00:00 when the file cannot be played.
    QTime audioFileDuration(const QString& path) const;
    // Edit role only: the text replaces the row's path.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QStringList mimeTypes() const override;
    // The rows' files as "text/uri-list".
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // Removes the part of the range that exists; always true.
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setPlayList(const QStringList& paths);
    // The folder's plain files matching nameFilters, most recently modified first.
    void setPlayList(const QDir& dir, const QStringList& nameFilters);
    // Appends rows keeping measured ones; an empty list does nothing.
    void appendToPlayList(const QStringList& paths);
    QStringList playList() const;
    // Whole seconds of playing time per row as measured so far; -1 for a row not measured yet. Does not wait.
    QVector<qint64> measuredSeconds() const;

private:
    // Measures the playing times of paths on the pool, one future each.
    QVector<std::shared_future<QTime>> measure(const QStringList& paths);

    QStringList m_lstPaths;
    QVector<std::shared_future<QTime>> m_vecDurations;
    QThreadPool m_poolDurations;
};

} // namespace ZADovuzIdida
