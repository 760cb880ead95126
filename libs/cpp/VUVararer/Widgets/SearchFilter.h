#pragma once
// A search field with a hint while empty, a magnifier at its right end and a clear button; Escape clears it.

#include <QLineEdit>

class QPushButton;

namespace VUVararer {

class SearchFilter : public QLineEdit
{
    Q_OBJECT

public:
    explicit SearchFilter(QWidget* parent = nullptr);

public slots:
    void slotTextChanged(const QString& text);
    void slotClearClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* m_pcmdClear;
};

} // namespace VUVararer
