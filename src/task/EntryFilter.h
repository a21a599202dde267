#pragma once
// The keyboard rules of the two order boxes, apart from any widget: given what the box holds,
// where the caret or selection is, the typed character and the display mode, what happens to
// the key. Whatever reaches a box must read as a number, so Submit can always take it.

#include <QString>

namespace entry {

constexpr char16_t kCtrlX = 24;
constexpr char16_t kBackspace = 8;
constexpr char16_t kDecimalPoint = u'.';

// Longest order text; keeps every order far inside what the model and the recording take.
constexpr int kMaxEntryLength = 9;

struct Box {
    QString text;
    int selectionStart = 0;   // the caret when nothing is selected
    int selectionLength = 0;  // 0: nothing selected
};

enum class KeyOutcome {
    Insert,       // the box inserts the character as usual
    ReplaceZero,  // the box is emptied first, then the character is inserted
    ZeroPoint,    // a point with no digit left in the box: the box becomes "0."
    Pass,         // the box handles the key itself (Backspace)
    ExitPrompt,   // the exit key: ask whether to leave the experiment
    Discard,
};

// A number as an order box may hold it: digits with at most one decimal point (none in
// discrete mode) and at least one digit, or nothing at all (which Submit reads as 0).
bool IsValidEntry(const QString& text, bool graphicalMode);

// The box's text once the character replaced the selection (or went in at the caret).
QString TextAfterTyping(const Box& box, QChar character);

KeyOutcome FilterKey(const Box& box, char16_t code, bool graphicalMode);

}  // namespace entry
