#pragma once
// Placing the intake forms' controls at their design positions in twips, in the forms'
// 12-point sans-serif font.

#include <QLabel>
#include <QWidget>

namespace intake {

// The form's inner size and font, and its title.
void SetUpForm(QWidget& form, const QString& objectName, const QString& title, double width,
               double height);

// Places a window of fixed size in the middle of the screen.
void CenterOnScreen(QWidget& window);

// A control at left, top, width, height (twips).
void Place(QWidget& control, double left, double top, double width, double height);

// A label's caption, aligned to its top-left corner and wrapped within its width.
void SetUpLabel(QLabel& label, const QString& caption);

// An option button whose round mark grows with the form's scaled font.
void ScaleOptionMark(QWidget& option);

// A button or other control drawn in the bold face of the form's font.
void MakeBold(QWidget& control);

// A caption longer than its design width (some languages need more room) widens its control
// within the limits: a label to the left, so that it stays beside its box; an option button to
// the right and, at the right limit, moves to the left.
void WidenLeftToCaption(QLabel& label, int leftLimit);
void WidenOptionToCaption(QWidget& option, int leftLimit, int rightLimit);

// How near a widened caption may come to the form's edge or the control before it, in pixels.
int CaptionMargin();

}  // namespace intake
