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

Answer ScriptedQuestions::ask(const Question& question) {
    shown_.push_back(question);
    if (!answers_.empty()) {
        const Answer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return question.isYesNo() ? Answer::Yes : Answer::Ok;
}

Answer UnattendedQuestions::ask(const Question& question) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(question.title), qPrintable(question.text));
    return question.isYesNo() ? Answer::No : Answer::Ok;
}

}  // namespace runtime
