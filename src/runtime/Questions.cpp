#include "runtime/Questions.h"

#include <cstdio>

namespace runtime {

QString ApplicationTitle() {
    return QStringLiteral("Fluxmere");
}

void ScriptedQuestions::clear() {
    answers_.clear();
    shown_.clear();
}

int ScriptedQuestions::messageBox(const MessageBoxRequest& request) {
    shown_.push_back(request);
    if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return request.isYesNo() ? vbYes : vbOK;
}

int UnattendedQuestions::messageBox(const MessageBoxRequest& request) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(request.title), qPrintable(request.text));
    return request.isYesNo() ? vbNo : vbOK;
}

}  // namespace runtime
