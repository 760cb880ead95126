#pragma once
// The frame's modal message box: an icon, a word-wrapped text and a centred row of buttons chosen by flags.

#include <QDialog>
#include <QPixmap>

class QLabel;

namespace VUVararer {

class MMessageBox : public QDialog
{
    Q_OBJECT

public:
    enum Icon : int { NoIcon = 0, Information = 1, Warning = 2, Critical = 3, Question = 4 };

    // Button flags (QMessageBox::StandardButton values) and the result of the caller's own button.
    enum Button {
        Ok = 0x400,
        Cancel = 0x400000,
        No = 0x10000,
        Yes = 0x4000,
        Abort = 0x40000,
        Retry = 0x80000,
        Ignore = 0x100000,
        YesAll = 0x8000,
        NoAll = 0x20000,
        UserDefined = 0x10000000
    };

    // buttons combines Button flags; a non-empty userButtonText adds a button that answers UserDefined.
    MMessageBox(Icon icon, const QString& title, const QString& text, int buttons, QWidget* parent = nullptr,
                const QString& userButtonText = QString());

    // The style's standard pixmap of the icon; null for NoIcon and unknown values.
    QPixmap icon(Icon icon);

    // Each runs one box and returns the pressed button's flag, 0 for Escape; the last argument is unused.
    static int critical(QWidget* parent, const QString& title, const QString& text, int buttons = Ok, int = 0);
    static int information(QWidget* parent, const QString& title, const QString& text, int buttons = Ok, int = 0);
    static int question(QWidget* parent, const QString& title, const QString& text, int buttons = Yes | No, int = 0);
    static int warning(QWidget* parent, const QString& title, const QString& text, int buttons = Ok, int = 0);

public slots:
    void slotOk();
    void slotCancel();
    void slotYes();
    void slotNo();
    void slotAbort();
    void slotRetry();
    void slotIgnore();
    void slotYesAll();
    void slotNoAll();
    void slotUserDefined();

private:
    static int run(Icon icon, QWidget* parent, const QString& title, const QString& text, int buttons);

    QLabel* m_plblText = nullptr;
    QLabel* m_plblIcon = nullptr;
};

} // namespace VUVararer
