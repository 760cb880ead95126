#pragma once
// "Share": the panel of network buttons, the plain dialog around it and its reminder form.

#include "ReminderStateDialog.h"

#include <QFrame>

namespace VUVararer {

class TellWidget : public QFrame
{
    Q_OBJECT

public:
    explicit TellWidget(QWidget* parent = nullptr);
    // Flat, 190 x 35, checkable, with its object name (the style sheet draws the network's image).
    static void applyButtonProperties(QPushButton* button, const QString& name);

public slots:
    void slotFaceBookClicked();
    void slotTwitterClicked();
    void slotLinkedinClicked();
    void slotVKontakteClicked();
    // A new mail holding the share message, the store or support link and the application's picture.
    void slotEmailClicked();
};

class TellDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TellDialog(QWidget* parent = nullptr);
};

class TellReminderDialog : public ReminderDialog
{
    Q_OBJECT

public:
    explicit TellReminderDialog(QWidget* parent = nullptr);
};

} // namespace VUVararer
