#include "task/EntryFilter.h"

namespace entry {

namespace {

bool IsDigit(char16_t code) {
    return code >= u'0' && code <= u'9';
}

}  // namespace

bool IsValidEntry(const QString& text, bool graphicalMode) {
    if (text.size() > kMaxEntryLength) return false;
    int points = 0;
    int digits = 0;
    for (const QChar character : text) {
        if (IsDigit(character.unicode())) {
            ++digits;
        } else if (character == QChar(kDecimalPoint) && graphicalMode) {
            ++points;
        } else {
            return false;
        }
    }
    return points <= 1 && (digits > 0 || text.isEmpty());
}

QString TextAfterTyping(const Box& box, QChar character) {
    QString text = box.text;
    const int start = qBound(0, box.selectionStart, int(text.size()));
    const int length = qBound(0, box.selectionLength, int(text.size()) - start);
    return text.replace(start, length, character);
}

KeyOutcome FilterKey(const Box& box, char16_t code, bool graphicalMode) {
    if (!graphicalMode && code == kDecimalPoint) return KeyOutcome::Discard;
    if (code == kCtrlX) return KeyOutcome::ExitPrompt;
    if (code == kBackspace) return KeyOutcome::Pass;
    if (code != kDecimalPoint && !IsDigit(code)) return KeyOutcome::Discard;

    if (box.text.isEmpty() && code == u'0') return KeyOutcome::Discard;
    if (box.text == QStringLiteral("0")) {
        // The typed character takes the zero's place. A lone point would be no number, so
        // a point keeps the zero in front of it.
        if (code == kDecimalPoint) return KeyOutcome::Insert;
        return KeyOutcome::ReplaceZero;
    }
    const QString after = TextAfterTyping(box, QChar(code));
    // A lone point is no number; the zero a participant means goes in front of it.
    if (after == QStringLiteral(".")) return KeyOutcome::ZeroPoint;
    return IsValidEntry(after, graphicalMode) ? KeyOutcome::Insert : KeyOutcome::Discard;
}

}  // namespace entry
