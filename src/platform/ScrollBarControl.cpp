#include "platform/ScrollBarControl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>
#include <QWheelEvent>

namespace hyt {

ScrollBarControl::ScrollBarControl(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    setFocusPolicy(Qt::NoFocus);
    // Its "Scroll here" entries would set the value behind the program's back,
    // and a right click on a bar must not open the parent's menu either.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setSingleStep(1);
    setPageStep(1);
    // A new bar has an empty range, so no thumb, until the program sets one.
    setRange(0, 0);
    connect(this, &QAbstractSlider::actionTriggered, this, &ScrollBarControl::OnActionTriggered);
    connect(this, &QAbstractSlider::sliderReleased, this, &ScrollBarControl::OnSliderReleased);
}

void ScrollBarControl::SetScrollRange(int minPos, int maxPos)
{
    setRange(minPos, maxPos);
}

void ScrollBarControl::SetScrollPos(int pos)
{
    setValue(pos);
}

void ScrollBarControl::OnActionTriggered(int action)
{
    // Qt has already moved the slider to where the action would take it and
    // applies that position after this handler. Putting it back first leaves
    // the position to the program, which may set it while handling the code.
    const int proposed = sliderPosition();
    setSliderPosition(value());

    ScrollCode code = SB_ENDSCROLL;
    unsigned position = unsigned(value());
    switch (action) {
    case SliderSingleStepSub:
        code = SB_LINEUP;
        break;
    case SliderSingleStepAdd:
        code = SB_LINEDOWN;
        break;
    case SliderPageStepSub:
        code = SB_PAGEUP;
        break;
    case SliderPageStepAdd:
        code = SB_PAGEDOWN;
        break;
    case SliderToMinimum:
        code = SB_TOP;
        break;
    case SliderToMaximum:
        code = SB_BOTTOM;
        break;
    case SliderMove:
        code = SB_THUMBTRACK;
        position = unsigned(proposed);
        break;
    default:
        return;
    }
    emit Scrolled(code, position);
}

void ScrollBarControl::paintEvent(QPaintEvent* event)
{
    if (minimum() != maximum()) {
        QScrollBar::paintEvent(event);
        return;
    }
    // An empty range has no thumb: the style would draw one over the whole
    // trough.
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls =
        QStyle::SubControls(QStyle::SC_All) & ~QStyle::SubControls(QStyle::SC_ScrollBarSlider);
    QPainter painter(this);
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
}

void ScrollBarControl::OnSliderReleased()
{
    // The thumb is where the last SB_THUMBTRACK put it.
    emit Scrolled(SB_THUMBPOSITION, unsigned(value()));
}

void ScrollBarControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        buttonHeld = true;
    QScrollBar::mousePressEvent(event);
}

void ScrollBarControl::mouseReleaseEvent(QMouseEvent* event)
{
    QScrollBar::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && buttonHeld) {
        buttonHeld = false;
        emit Scrolled(SB_ENDSCROLL, unsigned(value()));
    }
}

void ScrollBarControl::wheelEvent(QWheelEvent* event)
{
    // The wheel over a bar clicks its arrows: one line step per notch, up
    // towards the top, then the end of the action.
    wheelRemainder += event->angleDelta().y();
    bool stepped = false;
    while (wheelRemainder >= kWheelNotch) {
        wheelRemainder -= kWheelNotch;
        emit Scrolled(SB_LINEUP, unsigned(value()));
        stepped = true;
    }
    while (wheelRemainder <= -kWheelNotch) {
        wheelRemainder += kWheelNotch;
        emit Scrolled(SB_LINEDOWN, unsigned(value()));
        stepped = true;
    }
    if (stepped)
        emit Scrolled(SB_ENDSCROLL, unsigned(value()));
    event->accept();
}

} // namespace hyt
