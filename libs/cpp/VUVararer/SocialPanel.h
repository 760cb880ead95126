#pragma once
// Building blocks shared by the share and follow panels and the plain dialogs around them.

#include <QString>

#include <initializer_list>

class QBoxLayout;
class QDialog;
class QObject;
class QPushButton;
class QWidget;

namespace VUVararer {

struct Endpoints;

namespace SocialPanel {

struct Button
{
    const char* name;
    const char* slot;
    bool visible;
};

// Flat, 190 x 35, checkable, with its object name (the style sheet gives the network's picture) and the
// network's name as its text.
void applyButtonProperties(QPushButton* button, const QString& name);
// The network a button object name stands for ("FaceBookShareButton" gives "Facebook"); empty when unknown.
QString networkName(const QString& buttonName);
// One new button per entry, in order, into layout; each clicked() goes to its slot on receiver.
void addButtons(QObject* receiver, QBoxLayout* layout, std::initializer_list<Button> buttons);
// In builds sold outside the store the networks are reached through the maker's relay.
QString throughRelay(const QString& strLink, QString (Endpoints::*relay)(const QString&) const);
// Optional text, the panel centred, and a close button that accepts the dialog.
void layOutDialog(QDialog* dialog, QWidget* text, QWidget* panel, const QString& strClose);

} // namespace SocialPanel
} // namespace VUVararer
