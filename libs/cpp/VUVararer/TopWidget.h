#pragma once
// Frameless top-level window with its own title row (icon, close, maximize, minimize) and a modal exec().

#include <QFrame>
#include <QLabel>
#include <QPoint>
#include <QPointer>

class QAction;
class QEventLoop;
class QMovie;
class QPushButton;
class QVBoxLayout;

namespace VUVararer {

// The title row: dragging it moves the window; it keeps a floating decoration window at a fixed offset.
class TitleLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TitleLabel(QWidget* parent = nullptr);
    ~TitleLabel() override;

    // Takes ownership of widget (deleting the previous decoration) and floats it at offset over the label.
    void setDecoration(QWidget* widget, const QPoint& offset);
    QWidget* decoration() const { return m_pDecoration; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPoint m_ptPress;
    QPoint m_ptDecorationOffset;
    QPointer<QWidget> m_pDecoration;
};

// The icon beside the title.
class IconLabel : public QLabel
{
    Q_OBJECT

public:
    explicit IconLabel(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TopWidget : public QFrame
{
    Q_OBJECT

public:
    // overWidget puts the content into a "TopOverWidget" below the title; otherwise into the window's own layout.
    explicit TopWidget(bool overWidget = false, QWidget* parent = nullptr);
    ~TopWidget() override;

    QVBoxLayout* topLayout() { return m_pTopLayout; }
    // Sets the title text and the window title.
    void setTitleLabel(const QString& text);
    void setTitleHeight(int height);
    // Shows the pixmap stretched to 24 x 24 beside the title.
    void setIcon(const QPixmap& pixmap);

    void hideClose();
    void hideMaximize();
    void hideMinimize();
    void showClose();
    void showMaximize();
    void showMinimize();

    void setDecoration(QWidget* widget, const QPoint& offset);
    void setDecoration(QMovie* movie, const QPoint& offset);
    void setDecoration(const QPixmap& pixmap, const QPoint& offset);

    // Runs the window modally: 1 after accept(), 0 after reject(), Escape or close; -1 when already running.
    int exec();

public slots:
    void accept();
    // Ends exec() with 0, or only hides the window when no exec() runs.
    void reject();

private:
    QVBoxLayout* m_pTopLayout = nullptr;
    QPushButton* m_pbtnClose = nullptr;
    QPushButton* m_pbtnMaximize = nullptr;
    QPushButton* m_pbtnMinimize = nullptr;
    TitleLabel* m_plblTitle = nullptr;
    IconLabel* m_plblIcon = nullptr;
    QEventLoop* m_pLoop = nullptr;
    QAction* m_pEscapeAction = nullptr;
};

} // namespace VUVararer
