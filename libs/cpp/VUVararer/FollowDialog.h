#pragma once
// "Join Us": the panel of follow buttons, the plain dialog around it and its reminder form.

#include "ReminderStateDialog.h"

#include <QFrame>

namespace VUVararer {

class JoinWidget : public QFrame
{
    Q_OBJECT

public:
    explicit JoinWidget(QWidget* parent = nullptr);
    // Flat, 190 x 35, checkable, with its object name (the style sheet draws the network's image).
    static void applyButtonProperties(QPushButton* button, const QString& name);

public slots:
    void slotYouTubeClicked();
    // Thanks the user in a message box first, then opens the page.
    void slotFaceBookClicked();
    void slotTwitterClicked();
    void slotVKontakteClicked();
    void slotEmailClicked();

private:
    QString m_strLinkTemplate;
};

class JoinDialog : public QDialog
{
    Q_OBJECT

public:
    explicit JoinDialog(QWidget* parent = nullptr);
};

class JoinReminderDialog : public ReminderDialog
{
    Q_OBJECT

public:
    explicit JoinReminderDialog(QWidget* parent = nullptr);
};

} // namespace VUVararer
