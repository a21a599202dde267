#pragma once
// The drawn controls of a form: labels, rectangle shapes, lines and a picture box. Each keeps
// its geometry in twips as doubles, so drawing arithmetic stays exact, and places its pixels
// through the one twip mapping whenever that geometry changes.
//
// Stacking follows the desktop form runtime: labels, shapes and lines are lightweight and lie
// beneath every windowed control (picture boxes, text boxes, buttons) of the same form; among
// themselves, later ones lie above earlier ones.

#include <QColor>
#include <QLabel>
#include <QRectF>
#include <QWidget>
#include <array>
#include <vector>

#include "runtime/RuntimeError.h"

namespace ui {

namespace errors {
constexpr int NoSuchControlArrayElement = 340;
}

// What every control here shares: its own Visible flag, and its place in the stacking order.
class Control {
  public:
    // The control's own flag: whether it shows once its form is shown.
    bool Visible() const;

  protected:
    Control(QWidget& self, bool lightweight);
    ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Called by the widget classes when they get a new parent.
    void parentChanged();

  private:
    bool isLightweight() const { return lightweight_; }

    QWidget& self_;
    bool lightweight_;
};

// A control placed as a rectangle: Left, Top, Width and Height in twips.
class BoxControl : public Control {
  public:
    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    void Move(double left, double top, double width, double height);

  protected:
    BoxControl(QWidget& self, bool lightweight) : Control(self, lightweight), self_(self) {}
    ~BoxControl() = default;

  private:
    void placePixels();

    QWidget& self_;
    double left_ = 0;
    double top_ = 0;
    double width_ = 0;
    double height_ = 0;
};

// A label: a caption in a font and colours, wrapped at word boundaries within its width and
// aligned to its top edge. Without a BackColor the form shows through.
class Label : public QLabel, public BoxControl {
  public:
    enum Justify { LeftJustify = 0, RightJustify = 1, Center = 2 };

    explicit Label(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    QColor ForeColor() const { return foreColor_; }
    void setForeColor(const QColor& color);
    // Invalid while the label is transparent.
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    Justify Alignment() const { return justify_; }
    void setJustify(Justify justify);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void applyColors();

    QColor foreColor_{Qt::black};
    QColor backColor_;
    Justify justify_ = LeftJustify;
};

// A rectangle shape with an optional solid fill and an optional border drawn inside its edges.
class Shape : public QWidget, public BoxControl {
  public:
    enum FillStyles { Solid = 0, TransparentFill = 1 };
    enum BorderStyles { NoBorder = 0, SolidBorder = 1 };

    explicit Shape(QWidget* parent = nullptr);

    FillStyles FillStyle() const { return fillStyle_; }
    void setFillStyle(FillStyles style);
    QColor FillColor() const { return fillColor_; }
    void setFillColor(const QColor& color);
    BorderStyles BorderStyle() const { return borderStyle_; }
    void setBorderStyle(BorderStyles style);
    QColor BorderColor() const { return borderColor_; }
    void setBorderColor(const QColor& color);
    // In pixels.
    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int pixels);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    FillStyles fillStyle_ = TransparentFill;
    QColor fillColor_{Qt::black};
    BorderStyles borderStyle_ = SolidBorder;
    QColor borderColor_{Qt::black};
    int borderWidth_ = 1;
};

// A straight line from (X1, Y1) to (X2, Y2) in twips.
class Line : public QWidget, public Control {
  public:
    explicit Line(QWidget* parent = nullptr);

    double X1() const { return x1_; }
    double Y1() const { return y1_; }
    double X2() const { return x2_; }
    double Y2() const { return y2_; }
    void setX1(double twips);
    void setY1(double twips);
    void setX2(double twips);
    void setY2(double twips);
    void Move(double x1, double y1, double x2, double y2);

    QColor BorderColor() const { return color_; }
    void setBorderColor(const QColor& color);
    // In pixels.
    int BorderWidth() const { return width_; }
    void setBorderWidth(int pixels);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void placePixels();

    double x1_ = 0;
    double y1_ = 0;
    double x2_ = 0;
    double y2_ = 0;
    QColor color_{Qt::black};
    int width_ = 1;
    QPoint from_;  // the ends in the widget's own pixels
    QPoint to_;
};

// A picture box with a sunken frame to draw on. Drawing coordinates are twips from the inner
// top-left corner; what is drawn is clipped to the inner area and kept until Cls.
class PictureBox : public QWidget, public BoxControl {
  public:
    struct FilledBox {
        QRectF twips;  // corners in picture twips
        QColor color;
    };

    static constexpr int kFramePixels = 2;

    explicit PictureBox(QWidget* parent = nullptr);

    // The inner area in twips: the box less its frame.
    double ScaleWidth() const;
    double ScaleHeight() const;

    void Cls();
    // A filled rectangle with corners (x1, y1) and (x2, y2), the far edges not included.
    void FillBox(double x1, double y1, double x2, double y2, const QColor& color);
    const std::vector<FilledBox>& Boxes() const { return boxes_; }

    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<FilledBox> boxes_;
    QColor backColor_{Qt::white};
};

// A control array with members First to First + Count - 1; any other index is run-time
// error 340, never a stray access.
template <typename T, int Count, int First = 0>
class ControlArray {
  public:
    static constexpr int LBound = First;
    static constexpr int UBound = First + Count - 1;

    T& operator[](int index) { return items_[slot(index)]; }
    const T& operator[](int index) const { return items_[slot(index)]; }
    bool exists(int index) const { return index >= LBound && index <= UBound; }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }

  private:
    static std::size_t slot(int index) {
        if (index < LBound || index > UBound) {
            throw runtime::RuntimeError(
                errors::NoSuchControlArrayElement,
                QStringLiteral("Control array element '%1' doesn't exist").arg(index));
        }
        return static_cast<std::size_t>(index - First);
    }

    std::array<T, Count> items_;
};

}  // namespace ui
