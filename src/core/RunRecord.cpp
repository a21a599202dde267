#include "core/RunRecord.h"

bool OrdersFallDueOnce(const ExperimentSetupRecord& setup) {
    return setup.IsTimeDriven || setup.OrdersDueOnce;
}

QDateTime Run::Now() const {
    return clock ? clock() : runtime::Now();
}

runtime::TimeValue Run::TimeOfDay() const {
    return runtime::TimeValue{Now().time().msecsSinceStartOfDay() / 1000};
}

runtime::Answer Run::ask(const QString& text, runtime::Buttons buttons, runtime::Icon icon,
                         const QString& title) const {
    runtime::UnattendedQuestions nobody;
    return (asks ? *asks : nobody)
        .ask(runtime::Question{text, title.isEmpty() ? runtime::ApplicationTitle() : title, buttons,
                               icon});
}
