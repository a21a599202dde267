#pragma once
// A text box that only ever holds text its rule accepts: whatever the keyboard filter does
// not see (paste by menu, Shift+Insert or the middle button, drag and drop, Delete) is
// judged by the same rule as the keys, and a change the rule refuses does not happen.

#include <functional>

class QLineEdit;
class QString;

namespace ui {

using TextRule = std::function<bool(const QString& text)>;

void AcceptOnly(QLineEdit& box, TextRule rule);

}  // namespace ui
