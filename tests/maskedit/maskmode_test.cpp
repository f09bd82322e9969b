#include "cxMaskEditRegExprMode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string kHexMask = R"(([\d]|[a-f]|[A-F]){1,8})";

// A plain single-line edit over bytes, as the mode's host and as the edit
// that carries out the keys the mode lets through. A multi-byte UTF-8
// character moves and goes as one.
class FakeEdit : public TcxMaskEditHost {
public:
    std::string text;
    std::size_t anchor = 0;
    std::size_t caret = 0;

    std::string Text() const override { return text; }
    std::size_t CaretPos() const override { return caret; }
    std::size_t SelStart() const override { return std::min(anchor, caret); }
    std::size_t SelLength() const override { return std::max(anchor, caret) - SelStart(); }
    void SetText(const std::string& t) override {
        text = t;
        anchor = caret = t.size();
    }
    void SetSelection(std::size_t start, std::size_t length) override {
        anchor = std::min(start, text.size());
        caret = std::min(start + length, text.size());
    }
    void SendDelete() override {
        if (!RemoveSelection() && caret < text.size())
            text.erase(caret, CharAt(caret));
    }
    void SendBackspace() override {
        if (!RemoveSelection() && caret > 0) {
            const std::size_t length = CharBefore(caret);
            caret -= length;
            anchor = caret;
            text.erase(caret, length);
        }
    }
    void SendChar(std::string_view c) override {
        RemoveSelection();
        text.insert(caret, c);
        anchor = caret += c.size();
    }

    void Move(std::size_t to, bool selecting) {
        caret = to;
        if (!selecting)
            anchor = to;
    }
    void Left(bool selecting) {
        if (SelLength() > 0 && !selecting)
            Move(SelStart(), false);
        else
            Move(caret - (caret > 0 ? CharBefore(caret) : 0), selecting);
    }
    void Right(bool selecting) {
        if (SelLength() > 0 && !selecting)
            Move(SelStart() + SelLength(), false);
        else
            Move(caret + (caret < text.size() ? CharAt(caret) : 0), selecting);
    }

private:
    bool RemoveSelection() {
        if (SelLength() == 0)
            return false;
        text.erase(SelStart(), SelLength());
        anchor = caret = SelStart();
        return true;
    }
    std::size_t CharAt(std::size_t at) const {
        std::size_t end = at + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        return end - at;
    }
    std::size_t CharBefore(std::size_t at) const {
        std::size_t start = at - 1;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            --start;
        return at - start;
    }
};

enum class Key { Char, Backspace, Delete, Left, Right, ShiftLeft, ShiftRight, Home, End };

struct Field {
    TcxMaskEditProperties properties;
    FakeEdit edit;
    TcxMaskEditRegExprMode mode{edit, properties};

    explicit Field(const std::string& mask, bool caseInsensitive = true) {
        properties.caseInsensitive = caseInsensitive;
        mode.ApplyMask(mask);
    }
    // The text as the program would set it, then a selection made by mouse.
    void Set(const std::string& text, std::size_t anchor, std::size_t caret) {
        edit.SetText(text);
        mode.AdoptText(text);
        edit.anchor = anchor;
        edit.caret = caret;
        mode.NoteMouseCaret();
    }
    // Runs the mode's handler and, when it accepts, the edit's own action.
    bool Press(Key key, std::string c = {}) {
        switch (key) {
        case Key::Char:
            return mode.HandleChar(c) && (edit.SendChar(c), true);
        case Key::Backspace:
            return mode.HandleBackspace() && (edit.SendBackspace(), true);
        case Key::Delete:
            return mode.HandleDelete() && (edit.SendDelete(), true);
        case Key::Left:
        case Key::ShiftLeft:
            return mode.HandleLeft(key == Key::ShiftLeft) &&
                   (edit.Left(key == Key::ShiftLeft), true);
        case Key::Right:
        case Key::ShiftRight:
            return mode.HandleRight(key == Key::ShiftRight) &&
                   (edit.Right(key == Key::ShiftRight), true);
        case Key::Home:
            return mode.HandleHome() && (edit.Move(0, false), true);
        case Key::End:
            return mode.HandleEnd() && (edit.Move(edit.text.size(), false), true);
        }
        return false;
    }
    // After every key the parts describe the edit: the caret splits the text.
    void ExpectInStep() const {
        EXPECT_EQ(mode.LeftPart() + mode.RightPart(), edit.text);
        EXPECT_EQ(mode.LeftPart().size(), edit.caret);
        EXPECT_TRUE(mode.LiftedSelection().empty());
    }
};

struct KeyCase {
    const char* rule;
    std::string mask;
    std::string text;
    std::size_t anchor;
    std::size_t caret;
    Key key;
    std::string c;
    std::string textAfter;
    std::size_t caretAfter;
    bool accepted;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.rule;
}

class Keys : public testing::TestWithParam<KeyCase> {};

TEST_P(Keys, LeaveTheTextTheMaskAllowsWithThePartsInStep) {
    const KeyCase& k = GetParam();
    Field field(k.mask);
    field.Set(k.text, k.anchor, k.caret);
    EXPECT_EQ(field.Press(k.key, k.c), k.accepted);
    EXPECT_EQ(field.edit.text, k.textAfter);
    EXPECT_EQ(field.edit.caret, k.caretAfter);
    field.ExpectInStep();
}

INSTANTIATE_TEST_SUITE_P(
    Typing, Keys,
    testing::Values(
        KeyCase{"non-hex refused", kHexMask, "12", 2, 2, Key::Char, "g", "12", 2, false},
        KeyCase{"high byte refused", kHexMask, "", 0, 0, Key::Char, "\xC3\xA9", "", 0, false},
        KeyCase{"ninth digit refused", kHexMask, "12345678", 8, 8, Key::Char, "9", "12345678", 8,
                false},
        KeyCase{"inside a full text the rest goes", kHexMask, "12345678", 2, 2, Key::Char, "A",
                "12A", 3, true},
        KeyCase{"a selection is replaced", kHexMask, "FFFF", 0, 4, Key::Char, "1", "1", 1, true},
        KeyCase{"a refused key keeps the selection's text", kHexMask, "FFFF", 4, 0, Key::Char, "x",
                "FFFF", 0, false},
        KeyCase{"lower case stays", kHexMask, "ab", 2, 2, Key::Char, "c", "abc", 3, true},
        KeyCase{"a literal gives its own case", "ab|x", "a", 1, 1, Key::Char, "B", "ab", 2, true},
        KeyCase{"a multi-byte character goes whole", "a...", "a", 1, 1, Key::Char, "\xE4\xB8\xAD",
                "a\xE4\xB8\xAD", 4, true},
        KeyCase{"a multi-byte character that cannot stand whole is refused", "a..", "a", 1, 1,
                Key::Char, "\xE4\xB8\xAD", "a", 1, false},
        // The replacement leaves a right part that cannot follow: the field
        // types it itself, cuts what follows and consumes the key.
        KeyCase{"a replacement cuts what cannot follow", "ab1|x2", "ab1", 0, 2, Key::Char, "x", "x",
                1, false}));

INSTANTIATE_TEST_SUITE_P(
    Deleting, Keys,
    testing::Values(
        KeyCase{"backspace at the end", kHexMask, "FFFF", 4, 4, Key::Backspace, "", "FFF", 3, true},
        KeyCase{"backspace at the start does nothing", kHexMask, "FFFF", 0, 0, Key::Backspace, "",
                "FFFF", 0, true},
        KeyCase{"delete inside", kHexMask, "1234", 1, 1, Key::Delete, "", "134", 1, true},
        KeyCase{"delete at the end does nothing", kHexMask, "1234", 4, 4, Key::Delete, "", "1234",
                4, true},
        KeyCase{"delete of a selection", kHexMask, "1234", 3, 1, Key::Delete, "", "14", 1, true},
        KeyCase{"backspace of a multi-byte character", "a.*", "a\xE4\xB8\xAD", 4, 4, Key::Backspace,
                "", "a", 1, true},
        // What follows a deletion must still fit, or it goes too.
        KeyCase{"backspace whose rest cannot follow", "abc|c", "abc", 2, 2, Key::Backspace, "", "a",
                1, true},
        KeyCase{"backspace of a selection whose rest cannot follow", "abc|c", "abc", 1, 2,
                Key::Backspace, "", "a", 1, false},
        KeyCase{"delete whose rest cannot follow", "abc|c", "abc", 0, 0, Key::Delete, "", "", 0,
                true},
        KeyCase{"delete of a selection whose rest cannot follow", "abc|c", "abc", 2, 1, Key::Delete,
                "", "a", 1, false}));

INSTANTIATE_TEST_SUITE_P(
    Caret, Keys,
    testing::Values(KeyCase{"left", kHexMask, "1234", 2, 2, Key::Left, "", "1234", 1, true},
                    KeyCase{"left collapses to the start", kHexMask, "1234", 1, 3, Key::Left, "",
                            "1234", 1, true},
                    KeyCase{"right collapses to the end", kHexMask, "1234", 3, 1, Key::Right, "",
                            "1234", 3, true},
                    KeyCase{"right at the end", kHexMask, "1234", 4, 4, Key::Right, "", "1234", 4,
                            true},
                    KeyCase{"right over a multi-byte character", ".*",
                            "\xE4\xB8\xAD"
                            "a",
                            0, 0, Key::Right, "",
                            "\xE4\xB8\xAD"
                            "a",
                            3, true},
                    KeyCase{"home", kHexMask, "1234", 0, 3, Key::Home, "", "1234", 0, true},
                    KeyCase{"end", kHexMask, "1234", 1, 1, Key::End, "", "1234", 4, true}));

// Shift moves the caret and keeps the anchor; the next key sees the selection.
TEST(Keys, ShiftSelectionThenTypingReplacesIt) {
    Field field(kHexMask);
    field.Set("123456", 6, 6);
    EXPECT_TRUE(field.Press(Key::ShiftLeft));
    EXPECT_TRUE(field.Press(Key::ShiftLeft));
    field.ExpectInStep();
    EXPECT_TRUE(field.Press(Key::ShiftRight));
    EXPECT_EQ(field.edit.SelLength(), 1u);
    EXPECT_TRUE(field.Press(Key::Char, "a"));
    EXPECT_EQ(field.edit.text, "12345a");
    field.ExpectInStep();
}

// Whatever the keys, the text stays a beginning of the mask and the parts
// follow the edit. The check runs a fresh matcher over the text.
TEST(Keys, RandomKeysKeepTheTextWithinTheMask) {
    const std::vector<std::string> masks = {"abc|c", "(ab|x)y?z", "[a-c]{2,4}|x+", "a(bc|d)*e",
                                            kHexMask};
    const std::string typed = "abcdexyzABCXYZ019 ";
    std::mt19937 rng(8);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    for (const std::string& mask : masks) {
        SCOPED_TRACE(mask);
        Field field(mask, pick(2) == 0);
        TcxRegExpr reference;
        reference.SetCaseInsensitive(field.properties.caseInsensitive);
        reference.Compile(mask);
        for (int step = 0; step < 4000; ++step) {
            const std::size_t action = pick(12);
            if (action < 9) {
                field.Press(static_cast<Key>(action), std::string(1, typed[pick(typed.size())]));
                field.ExpectInStep();
            } else if (action == 9) {
                const std::size_t size = field.edit.text.size() + 1;
                field.edit.anchor = pick(size);
                field.edit.caret = pick(size);
                field.mode.NoteMouseCaret();
            } else if (action == 10) {
                field.Set(field.mode.FilterText(std::string(1, typed[pick(typed.size())]) +
                                                field.edit.text),
                          0, 0);
            } else {
                field.edit.caret = field.edit.anchor = field.edit.text.size();
            }
            reference.Restart();
            ASSERT_EQ(reference.FilterText(field.edit.text), field.edit.text) << "step " << step;
        }
    }
}

// A character of several bytes stands whole or not at all.
TEST(Filter, NeverSplitsACharacter) {
    Field two("..");
    EXPECT_EQ(two.mode.FilterText("\xE4\xB8\xAD"
                                  "ab"),
              "ab");
}

TEST(Filter, ReloadFiltersTheEditsTextAndPutsTheCaretAtTheEnd) {
    Field field(kHexMask);
    field.edit.SetText("0x1Fzz");
    field.edit.SetSelection(1, 0);
    field.mode.ReloadFromValue();
    EXPECT_EQ(field.edit.text, "01F");
    EXPECT_EQ(field.edit.caret, 3u);
    field.ExpectInStep();
    EXPECT_TRUE(field.Press(Key::Char, "a"));
    EXPECT_EQ(field.edit.text, "01Fa");
}

TEST(Filter, APastedTextIsSplitAtTheCaret) {
    Field field(kHexMask);
    field.edit.SetText("12AB34");
    field.edit.SetSelection(4, 0);
    field.mode.SetPendingInsertLength(2);
    field.mode.AdoptText("12AB34");
    EXPECT_EQ(field.mode.LeftPart(), "12AB");
    EXPECT_EQ(field.mode.RightPart(), "34");
    EXPECT_EQ(field.mode.PendingInsertLength(), 0u);
    // Without a pending insertion the parts wait for the next key.
    field.mode.AdoptText("12AB34");
    EXPECT_EQ(field.mode.LeftPart(), "");
    EXPECT_TRUE(field.Press(Key::Char, "5"));
    EXPECT_EQ(field.edit.text, "12AB534");
    field.ExpectInStep();
}

TEST(Complete, EmptyTextAndWholeMatchesOnly) {
    Field hex(kHexMask);
    for (const char* text : {"", "0", "12345678", "abcDEF"})
        EXPECT_TRUE(hex.mode.IsCompleteText(text)) << text;
    EXPECT_FALSE(hex.mode.IsCompleteText("123456789"));
    EXPECT_FALSE(hex.mode.IsCompleteText("x"));
    Field three("a{3}", false);
    EXPECT_FALSE(three.mode.IsCompleteText("aa"));
    EXPECT_FALSE(three.mode.IsCompleteText("AAA"));
    three.properties.ignoreMaskBlank = true;
    EXPECT_TRUE(three.mode.IsCompleteText("aa"));
    three.properties.caseInsensitive = true;
    EXPECT_TRUE(three.mode.IsCompleteText("AAA"));
}

TEST(Mask, ABadMaskReportsEveryErrorOnItsOwnLine) {
    Field field(kHexMask);
    try {
        field.mode.ApplyMask("*|+");
        FAIL() << "compiled";
    } catch (const EcxMaskEditError& error) {
        EXPECT_STREQ(error.what(), "Regular expression errors:\n"
                                   "Line1, Char1: Illegal quantifier '*'\n"
                                   "Line1, Char3: Illegal quantifier '+'");
    }
    EXPECT_FALSE(field.mode.IsMaskReady());
    EXPECT_EQ(field.mode.FilterText("12"), "");
}

TEST(Mask, ABlankMaskIsNotCompiled) {
    Field field(" \t ");
    EXPECT_FALSE(field.mode.IsMaskReady());
    field.mode.ApplyMask("a");
    EXPECT_TRUE(field.mode.IsMaskReady());
    EXPECT_EQ(field.mode.ModeKind(), emkRegExpr);
}

// The case switch reaches the matcher when the properties change.
TEST(Mask, CaseSwitchTakesEffectAfterPropertiesChange) {
    Field field("abc", false);
    field.Set("", 0, 0);
    EXPECT_FALSE(field.Press(Key::Char, "A"));
    field.properties.caseInsensitive = true;
    field.mode.AfterPropertiesChanged();
    EXPECT_TRUE(field.Press(Key::Char, "A"));
    EXPECT_EQ(field.edit.text, "a");
}

} // namespace
