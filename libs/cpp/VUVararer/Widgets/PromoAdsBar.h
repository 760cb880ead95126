#pragma once
// One-line banner that advertises the shop menu's rows in turn and opens the shown row when clicked.

#include <QFrame>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>

class QAction;
class QPushButton;

namespace VUVararer {

class PromoMenuBar;

class PromoAdsBar : public QFrame
{
    Q_OBJECT

public:
    PromoAdsBar(QWidget* parent, PromoMenuBar* menuBar);

    void setHideAfterClick(bool hide) { m_bHideAfterClick = hide; }
    void setHideAfterCloseClick(bool hide) { m_bHideAfterCloseClick = hide; }
    // Picks among the first limit rows; below 1 means no limit.
    void setItemsLimit(int limit) { m_nItemsLimit = limit; }
    void setChangeInterval(int ms) { m_timer.setInterval(ms); }
    void hideCloseButton();

    // The row shown now (null before the first pick or after the row was deleted).
    QAction* currentAction() const;
    int changeInterval() const { return m_timer.interval(); }

signals:
    void adClicked();
    void closeClicked();

public slots:
    void slotCloseClicked();
    // Shows another row at random (never the last one, never a separator).
    void slotInsertAd();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    PromoMenuBar* m_pMenuBar = nullptr;
    QPointer<QAction> m_pCurrent;
    QTimer m_timer;
    int m_nItemsLimit = 10;
    bool m_bHideAfterClick = false;
    QPushButton* m_pbtnClose = nullptr;
    bool m_bHideAfterCloseClick = false;
    QRandomGenerator m_random;
};

} // namespace VUVararer
