#pragma once
// Clickable label: a background picture inside a margin, brightened while hovered, with a word-wrapped caption.

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace VUVararer {

class AdvancedLabel : public QWidget
{
    Q_OBJECT

public:
    explicit AdvancedLabel(QWidget* parent = nullptr);

    // The setters repaint at once.
    void setText(const QString& text);
    QString text() const { return m_strText; }
    void setBackgroundPixmap(const QPixmap& pixmap);
    QPixmap backgroundPixmap() const { return m_pxmBackground; }
    void setMargin(int margin);
    int margin() const { return m_nMargin; }
    bool isHovered() const { return m_bHover; }

signals:
    // Every press of any button.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strText;
    QPixmap m_pxmBackground;
    int m_nMargin = 0;
    bool m_bHover = false;
};

} // namespace VUVararer
