#pragma once
// The floating text box of a text note: a translucent text edit with accept, cancel and size buttons.

#include <QWidget>

class QPushButton;
class QTextEdit;

namespace VUVararer {

class NoteEditWidget : public QWidget
{
    Q_OBJECT

public:
    explicit NoteEditWidget(QWidget* parent = nullptr);

    QTextEdit* textEdit() const { return m_ptxtEdit; }
    qreal fontPointSize() const;
    // Hides the widget, the text edit and the accept and cancel buttons; the size buttons keep their state.
    void hideAll();
    // Shows the same parts and gives the text edit the focus.
    void showAll();

public slots:
    // Both change the point size of all text by 5; the size never goes below 1.
    void slotIncrease();
    void slotDecrease();

signals:
    void okClicked();
    void cancelClicked();

private:
    void changePointSize(qreal delta);
    QPushButton* createButton(const QString& objectName, const QString& toolTip);

    QTextEdit* m_ptxtEdit = nullptr;
    QPushButton* m_pcmdAccept = nullptr;
    QPushButton* m_pcmdCancel = nullptr;
};

} // namespace VUVararer
