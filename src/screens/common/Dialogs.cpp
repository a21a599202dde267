#include "screens/common/Dialogs.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "runtime/ProgramEnd.h"
#include "screens/common/Twips.h"

namespace ui {

namespace {
// A little smaller than the forms' 12 points, like a system message beside a form.
constexpr double kMessageBoxPoints = 10;

QMessageBox::Icon IconOf(const runtime::Question& question) {
    switch (question.icon) {
        case runtime::Icon::Critical:
            return QMessageBox::Critical;
        case runtime::Icon::Question:
            return QMessageBox::Question;
        case runtime::Icon::Warning:
            return QMessageBox::Warning;
        case runtime::Icon::Information:
            return QMessageBox::Information;
        case runtime::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Quits a nested loop when the watched widget is hidden, closed or destroyed.
class HideWatcher : public QObject {
  public:
    HideWatcher(QWidget& widget, QEventLoop& loop) : loop_(loop) {
        widget.installEventFilter(this);
        connect(&widget, &QObject::destroyed, &loop, &QEventLoop::quit);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide) loop_.quit();
        return false;
    }

  private:
    QEventLoop& loop_;
};
}  // namespace

void ShowModal(runtime::ModalForms* forms, QWidget& form) {
    RealDialogs real;
    (forms ? *forms : real).showModal(form);
}

runtime::Answer RealDialogs::ask(const runtime::Question& question) {
    QString shownText = question.text;
    shownText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(IconOf(question), question.title, shownText,
                    question.isYesNo() ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // The buttons speak the screens' language; Qt's own texts are English only here.
    if (question.isYesNo()) {
        box.button(QMessageBox::Yes)->setText(QCoreApplication::translate("MessageBox", "&Yes"));
        box.button(QMessageBox::No)->setText(QCoreApplication::translate("MessageBox", "&No"));
    } else {
        box.button(QMessageBox::Ok)->setText(QCoreApplication::translate("MessageBox", "OK"));
    }
    // The boxes follow the screen's scale, as the forms do, so they read as easily.
    box.setFont(DesignFont(kMessageBoxPoints, false));
    int clicked = QMessageBox::NoButton;
    runtime::RunUntilEnd([&] { clicked = box.exec(); }, [&] { box.reject(); });
    if (!question.isYesNo()) return runtime::Answer::Ok;
    return clicked == QMessageBox::Yes ? runtime::Answer::Yes : runtime::Answer::No;
}

void WaitUntilHidden(QWidget& form) {
    QPointer<QWidget> guard(&form);
    if (!guard->isVisible()) return;
    QEventLoop loop;
    HideWatcher watcher(form, loop);
    // An end raised here leaves the filter to go with the watcher, as Qt drops it then.
    runtime::ExecUntilEnd(loop);
    if (guard) guard->removeEventFilter(&watcher);
}

void RealDialogs::showModal(QWidget& form) {
    form.setWindowModality(Qt::ApplicationModal);
    form.show();
    form.raise();
    form.activateWindow();
    WaitUntilHidden(form);
}

void ScriptedDialogs::clear() {
    ScriptedQuestions::clear();
    formActions_.clear();
    modalForms_.clear();
}

void ScriptedDialogs::showModal(QWidget& form) {
    modalForms_.push_back(form.objectName());
    QPointer<QWidget> guard(&form);
    form.show();
    FormAction action;
    if (!formActions_.empty()) {
        action = std::move(formActions_.front());
        formActions_.pop_front();
    }
    QTimer::singleShot(0, &form, runtime::EventHandler([guard, action] {
                           if (!guard) return;
                           if (action) {
                               action(*guard);
                           } else {
                               guard->hide();
                           }
                       }));
    WaitUntilHidden(form);
}

}  // namespace ui
