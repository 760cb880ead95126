#pragma once
// File dialogs that run window-modally on their parent and still answer as a return value.

#include <QFileDialog>

namespace VUVararer {

class FileDialog : public QFileDialog
{
    Q_OBJECT

public:
    // Without a parent these are QFileDialog's static functions (selectedFilter written back); with a parent
    // the dialog opens window-modally and a local event loop waits for it (selectedFilter untouched).
    static QString getOpenFileName(QWidget* parent = nullptr, const QString& caption = QString(),
                                   const QString& dir = QString(), const QString& filter = QString(),
                                   QString* selectedFilter = nullptr, Options options = Options());
    static QString getSaveFileName(QWidget* parent = nullptr, const QString& caption = QString(),
                                   const QString& dir = QString(), const QString& filter = QString(),
                                   QString* selectedFilter = nullptr, Options options = Options());
    static QStringList getOpenFileNames(QWidget* parent = nullptr, const QString& caption = QString(),
                                        const QString& dir = QString(), const QString& filter = QString(),
                                        QString* selectedFilter = nullptr, Options options = Options());

private:
    // The selected files when the dialog was accepted, else empty.
    static QStringList run(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                           Options options, FileMode fileMode, AcceptMode acceptMode);
};

} // namespace VUVararer
