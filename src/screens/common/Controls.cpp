#include "screens/common/Controls.h"

#include <qdrawutil.h>

#include <QEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "screens/common/Twips.h"

namespace ui {

namespace {

// Geometry arrives from arithmetic on stored amounts; keep it within what a widget can take,
// so a runaway value draws far off the form instead of overflowing the pixel conversion.
double BoundedTwips(double twips) {
    constexpr double kLimit = 1.0e8;
    if (!std::isfinite(twips)) return twips > 0 ? kLimit : (twips < 0 ? -kLimit : 0.0);
    return std::clamp(twips, -kLimit, kLimit);
}

void Repaint(QWidget& widget) {
    widget.update();
}

}  // namespace

// Control

Control::Control(QWidget& self, bool lightweight) : self_(self), lightweight_(lightweight) {}

bool Control::Visible() const {
    const QWidget* parent = self_.parentWidget();
    return parent ? self_.isVisibleTo(parent) : !self_.isHidden();
}

void Control::parentChanged() {
    const QWidget* parent = self_.parentWidget();
    if (!lightweight_ || !parent) return;
    for (QObject* child : parent->children()) {
        auto* sibling = qobject_cast<QWidget*>(child);
        if (!sibling || sibling == &self_) continue;
        const auto* control = dynamic_cast<const Control*>(sibling);
        if (!control || !control->isLightweight()) {
            self_.stackUnder(sibling);
            return;
        }
    }
}

// BoxControl

void BoxControl::setLeft(double twips) {
    left_ = twips;
    placePixels();
}

void BoxControl::setTop(double twips) {
    top_ = twips;
    placePixels();
}

void BoxControl::setWidth(double twips) {
    width_ = twips;
    placePixels();
}

void BoxControl::setHeight(double twips) {
    height_ = twips;
    placePixels();
}

void BoxControl::Move(double left, double top, double width, double height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    placePixels();
}

void BoxControl::placePixels() {
    // A negative extent draws nothing.
    const QRect rect =
        TwipRect(BoundedTwips(left_), BoundedTwips(top_), BoundedTwips(std::max(0.0, width_)),
                 BoundedTwips(std::max(0.0, height_)));
    self_.setGeometry(rect.normalized());
}

// Label

Label::Label(QWidget* parent) : QLabel(parent), BoxControl(*this, true) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFont(DesignFont(8.25, false));
    applyColors();
    parentChanged();
}

void Label::setForeColor(const QColor& color) {
    foreColor_ = color;
    applyColors();
}

void Label::setBackColor(const QColor& color) {
    backColor_ = color;
    applyColors();
}

void Label::setJustify(Justify justify) {
    justify_ = justify;
    const Qt::Alignment across = justify == Center         ? Qt::AlignHCenter
                                 : justify == RightJustify ? Qt::AlignRight
                                                           : Qt::AlignLeft;
    setAlignment(across | Qt::AlignTop);
}

void Label::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ParentChange) parentChanged();
    QLabel::changeEvent(event);
}

void Label::applyColors() {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, foreColor_);
    if (backColor_.isValid()) colors.setColor(QPalette::Window, backColor_);
    setPalette(colors);
    setAutoFillBackground(backColor_.isValid());
}

// Shape

Shape::Shape(QWidget* parent) : QWidget(parent), BoxControl(*this, true) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    parentChanged();
}

void Shape::setFillStyle(FillStyles style) {
    fillStyle_ = style;
    Repaint(*this);
}

void Shape::setFillColor(const QColor& color) {
    fillColor_ = color;
    Repaint(*this);
}

void Shape::setBorderStyle(BorderStyles style) {
    borderStyle_ = style;
    Repaint(*this);
}

void Shape::setBorderColor(const QColor& color) {
    borderColor_ = color;
    Repaint(*this);
}

void Shape::setBorderWidth(int pixels) {
    borderWidth_ = std::max(1, pixels);
    Repaint(*this);
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    if (fillStyle_ == Solid) painter.fillRect(area, fillColor_);
    if (borderStyle_ == SolidBorder) {
        // The border lies inside the shape's edges, so the shape never grows with it.
        const int w = std::min({borderWidth_, area.width(), area.height()});
        painter.fillRect(QRect(area.left(), area.top(), area.width(), w), borderColor_);
        painter.fillRect(QRect(area.left(), area.bottom() - w + 1, area.width(), w), borderColor_);
        painter.fillRect(QRect(area.left(), area.top(), w, area.height()), borderColor_);
        painter.fillRect(QRect(area.right() - w + 1, area.top(), w, area.height()), borderColor_);
    }
}

void Shape::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ParentChange) parentChanged();
    QWidget::changeEvent(event);
}

// Line

Line::Line(QWidget* parent) : QWidget(parent), Control(*this, true) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    parentChanged();
}

void Line::setX1(double twips) {
    Move(twips, y1_, x2_, y2_);
}
void Line::setY1(double twips) {
    Move(x1_, twips, x2_, y2_);
}
void Line::setX2(double twips) {
    Move(x1_, y1_, twips, y2_);
}
void Line::setY2(double twips) {
    Move(x1_, y1_, x2_, twips);
}

void Line::Move(double x1, double y1, double x2, double y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    placePixels();
}

void Line::setBorderColor(const QColor& color) {
    color_ = color;
    Repaint(*this);
}

void Line::setBorderWidth(int pixels) {
    width_ = std::max(1, pixels);
    placePixels();
}

void Line::placePixels() {
    const QPoint from = TwipPoint(BoundedTwips(x1_), BoundedTwips(y1_));
    const QPoint to = TwipPoint(BoundedTwips(x2_), BoundedTwips(y2_));
    // The widget is the line's bounding box widened by the pen, so the whole stroke shows.
    const int pad = width_ / 2 + 1;
    const QRect box = QRect(from, to).normalized().adjusted(-pad, -pad, pad, pad);
    from_ = from - box.topLeft();
    to_ = to - box.topLeft();
    setGeometry(box);
    Repaint(*this);
}

void Line::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(color_, width_, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from_, to_);
}

void Line::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ParentChange) parentChanged();
    QWidget::changeEvent(event);
}

// PictureBox

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), BoxControl(*this, false) {}

double PictureBox::ScaleWidth() const {
    return std::max(0.0, Width() - 2.0 * kFramePixels * TwipsPerPixelX());
}

double PictureBox::ScaleHeight() const {
    return std::max(0.0, Height() - 2.0 * kFramePixels * TwipsPerPixelY());
}

void PictureBox::Cls() {
    boxes_.clear();
    Repaint(*this);
}

void PictureBox::FillBox(double x1, double y1, double x2, double y2, const QColor& color) {
    boxes_.push_back({QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), color});
    Repaint(*this);
}

void PictureBox::setBackColor(const QColor& color) {
    backColor_ = color;
    Repaint(*this);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    const QRect inner = outer.adjusted(kFramePixels, kFramePixels, -kFramePixels, -kFramePixels);
    qDrawShadePanel(&painter, outer, palette(), true, kFramePixels);
    painter.fillRect(inner, backColor_);

    painter.setClipRect(inner);
    for (const FilledBox& box : boxes_) {
        const QRect pixels =
            TwipRect(BoundedTwips(box.twips.left()), BoundedTwips(box.twips.top()),
                     BoundedTwips(box.twips.width()), BoundedTwips(box.twips.height()));
        painter.fillRect(pixels.translated(inner.topLeft()), box.color);
    }
}

}  // namespace ui
