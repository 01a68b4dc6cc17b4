// ScrollBarControl: a vertical scroll bar whose position only the program
// sets. Every user action is reported as a scroll code (the SB_* codes of
// base/ScrollCodes.h) with a position; the bar itself never moves until the
// program calls SetScrollPos. Until SetScrollRange its range is empty: no
// thumb, and the arrows move nothing. A mouse release on the bar ends every action
// with SB_ENDSCROLL, after SB_THUMBPOSITION when the thumb was dragged.
#pragma once

#include <QScrollBar>

#include "base/ScrollCodes.h"

namespace hyt {

// The angle delta of one notch of a mouse wheel.
inline constexpr int kWheelNotch = 120;

class ScrollBarControl : public QScrollBar {
    Q_OBJECT

  public:
    explicit ScrollBarControl(QWidget* parent = nullptr);

    void SetScrollRange(int minPos, int maxPos);
    void SetScrollPos(int pos);

  signals:
    // code: one of the SB_* codes; position: the proposed thumb position for
    // SB_THUMBTRACK and SB_THUMBPOSITION, the current position otherwise.
    void Scrolled(hyt::ScrollCode code, unsigned position);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void OnActionTriggered(int action);
    void OnSliderReleased();

    bool buttonHeld = false; // a left press on the bar awaits its release
    int wheelRemainder = 0;  // angle delta not yet turned into line steps
};

} // namespace hyt
