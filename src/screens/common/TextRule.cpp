#include "screens/common/TextRule.h"

#include <QLineEdit>
#include <QValidator>

namespace ui {

namespace {

class RuleValidator : public QValidator {
  public:
    RuleValidator(TextRule rule, QObject* parent) : QValidator(parent), rule_(std::move(rule)) {}
    State validate(QString& input, int& /*pos*/) const override {
        return rule_(input) ? Acceptable : Invalid;
    }

  private:
    TextRule rule_;
};

}  // namespace

void AcceptOnly(QLineEdit& box, TextRule rule) {
    box.setValidator(new RuleValidator(std::move(rule), &box));
}

}  // namespace ui
