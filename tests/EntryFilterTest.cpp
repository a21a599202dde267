// The order boxes' rules apart from the widget: which texts are numbers, and what a typed
// character does at a given caret or selection.
#include <gtest/gtest.h>

#include <ostream>

#include "task/EntryFilter.h"

namespace {

using entry::Box;
using entry::FilterKey;
using entry::IsValidEntry;
using entry::KeyOutcome;

struct ValidCase {
    const char* text;
    bool graphical;
    bool valid;
};

std::ostream& operator<<(std::ostream& out, const ValidCase& c) {
    return out << "'" << c.text << "'" << (c.graphical ? " graphical" : " discrete");
}

class EntryValidity : public ::testing::TestWithParam<ValidCase> {};

TEST_P(EntryValidity, OnlyNumbersAreEntries) {
    const ValidCase& c = GetParam();
    EXPECT_EQ(IsValidEntry(QString::fromUtf8(c.text), c.graphical), c.valid) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EntryValidity,
    ::testing::Values(
        ValidCase{"", true, true}, ValidCase{"", false, true}, ValidCase{"0", true, true},
        ValidCase{"25", false, true}, ValidCase{"2.5", true, true}, ValidCase{"2.", true, true},
        ValidCase{".5", true, true}, ValidCase{"05", true, true}, ValidCase{"2.5", false, false},
        ValidCase{".", true, false}, ValidCase{"1.2.3", true, false}, ValidCase{"abc", true, false},
        ValidCase{"-1", true, false}, ValidCase{"1/2", true, false}, ValidCase{" 1", true, false},
        ValidCase{"1e5", true, false}, ValidCase{"\xd9\xa3", true, false},  // an Arabic-Indic three
        ValidCase{"123456789", true, true}, ValidCase{"1234567890", true, false}));

struct KeyCase {
    const char* name;
    Box box;
    char16_t code;
    bool graphical;
    KeyOutcome outcome;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) {
    return out << c.name;
}

class EntryKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(EntryKeys, KeyOutcome) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(FilterKey(c.box, c.code, c.graphical), c.outcome) << c.name;
}

Box At(const char* text, int caret) {
    return Box{QString::fromLatin1(text), caret, 0};
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EntryKeys,
    ::testing::Values(
        KeyCase{"digit after digits", At("12", 2), u'3', true, KeyOutcome::Insert},
        KeyCase{"digit replaces the lone zero", At("0", 1), u'5', false, KeyOutcome::ReplaceZero},
        KeyCase{"zero replaces the lone zero", At("0", 1), u'0', true, KeyOutcome::ReplaceZero},
        KeyCase{"empty box refuses zero", At("", 0), u'0', true, KeyOutcome::Discard},
        KeyCase{"zero in front of digits", At("5", 0), u'0', true, KeyOutcome::Insert},
        KeyCase{"point after the zero keeps it", At("0", 1), u'.', true, KeyOutcome::Insert},
        KeyCase{"point into an empty box", At("", 0), u'.', true, KeyOutcome::ZeroPoint},
        KeyCase{"point over the whole text", Box{"25", 0, 2}, u'.', true, KeyOutcome::ZeroPoint},
        KeyCase{"point in discrete mode", At("2", 1), u'.', false, KeyOutcome::Discard},
        KeyCase{"second point at the end", At("2.5", 3), u'.', true, KeyOutcome::Discard},
        KeyCase{"second point at the front", At("2.5", 0), u'.', true, KeyOutcome::Discard},
        KeyCase{"point over the selected point", Box{"2.5", 1, 1}, u'.', true, KeyOutcome::Insert},
        KeyCase{"digit beyond the longest order", At("123456789", 9), u'1', true,
                KeyOutcome::Discard},
        KeyCase{"backspace", At("25", 2), entry::kBackspace, false, KeyOutcome::Pass},
        KeyCase{"exit key", At("25", 2), entry::kCtrlX, true, KeyOutcome::ExitPrompt},
        KeyCase{"exit key in discrete mode", At("", 0), entry::kCtrlX, false,
                KeyOutcome::ExitPrompt},
        KeyCase{"minus", At("", 0), u'-', true, KeyOutcome::Discard},
        KeyCase{"slash", At("1", 1), u'/', true, KeyOutcome::Discard},
        KeyCase{"letter", At("1", 1), u'a', true, KeyOutcome::Discard},
        KeyCase{"space", At("1", 1), u' ', true, KeyOutcome::Discard},
        KeyCase{"Ctrl+V", At("1", 1), 22, true, KeyOutcome::Discard},
        KeyCase{"Ctrl+C", At("1", 1), 3, true, KeyOutcome::Discard}),
    [](const ::testing::TestParamInfo<KeyCase>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        }
        return name;
    });

}  // namespace
