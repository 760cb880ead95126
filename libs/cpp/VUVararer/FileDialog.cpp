#include "FileDialog.h"

#include <QEventLoop>
#include <QPointer>

namespace VUVararer {

QStringList FileDialog::run(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                            Options options, FileMode fileMode, AcceptMode acceptMode)
{
    // On the heap: the parent may be destroyed while the loop waits, taking the dialog with it.
    QPointer<QFileDialog> dialog = new QFileDialog(parent, caption, dir, filter);
    dialog->setFileMode(fileMode);
    dialog->setAcceptMode(acceptMode);
    dialog->setOptions(options);
    QEventLoop loop;
    connect(dialog, SIGNAL(finished(int)), &loop, SLOT(quit()));
    connect(dialog, SIGNAL(destroyed()), &loop, SLOT(quit()));
    dialog->open();
    loop.exec(QEventLoop::DialogExec);
    QStringList files;
    if (dialog) {
        if (dialog->result() == QDialog::Accepted)
            files = dialog->selectedFiles();
        dialog->deleteLater();
    }
    return files;
}

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                    QString* selectedFilter, Options options)
{
    if (!parent)
        return QFileDialog::getOpenFileName(nullptr, caption, dir, filter, selectedFilter, options);
    return run(parent, caption, dir, filter, options, ExistingFile, AcceptOpen).value(0);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                    QString* selectedFilter, Options options)
{
    if (!parent)
        return QFileDialog::getSaveFileName(nullptr, caption, dir, filter, selectedFilter, options);
    return run(parent, caption, dir, filter, options, AnyFile, AcceptSave).value(0);
}

QStringList FileDialog::getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                         const QString& filter, QString* selectedFilter, Options options)
{
    if (!parent)
        return QFileDialog::getOpenFileNames(nullptr, caption, dir, filter, selectedFilter, options);
    return run(parent, caption, dir, filter, options, ExistingFiles, AcceptOpen);
}

} // namespace VUVararer
