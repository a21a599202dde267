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

int Run::MsgBox(const QString& text, int style, const QString& title) const {
    runtime::UnattendedQuestions nobody;
    return (asks ? *asks : nobody)
        .messageBox(runtime::MessageBoxRequest{
            text, title.isEmpty() ? runtime::ApplicationTitle() : title, style});
}
