#include <gtest/gtest.h>

#include "app/shell/text_search.h"

namespace kestrel
{
namespace
{

SearchFlags Flags(bool down, bool matchCase = false, bool wholeWord = false)
{
    SearchFlags flags;
    flags.down = down;
    flags.matchCase = matchCase;
    flags.wholeWord = wholeWord;
    return flags;
}

// The start of the match, or -1.
long Find(const std::string &text, const std::string &what, TextSelection from,
          const SearchFlags &flags)
{
    TextSelection found;
    if (!SearchText(text, what, from, flags, found))
        return -1;
    EXPECT_EQ(found.end - found.start, what.size());
    return static_cast<long>(found.start);
}

TEST(TextSearch, SelectedMatchIsSkippedInBothDirections)
{
    const std::string text = "xx ab yy AB zz ab";
    // "ab" selected at 3: forwards the next one, not the selected one.
    EXPECT_EQ(Find(text, "AB", {3, 5}, Flags(true)), 9);
    EXPECT_EQ(Find(text, "AB", {9, 11}, Flags(false)), 3);
    // A selection that is not the search text is no match to skip.
    EXPECT_EQ(Find(text, "AB", {3, 4}, Flags(true)), 3);
    // From a caret, backwards tests the caret's own position too.
    EXPECT_EQ(Find(text, "ab", {9, 9}, Flags(false)), 9);
    // Stepping forwards from the last match and backwards from the first.
    EXPECT_EQ(Find(text, "ab", {15, 17}, Flags(true)), -1);
    EXPECT_EQ(Find(text, "ab", {3, 5}, Flags(false)), -1);
    // Position 0 is reached backwards.
    EXPECT_EQ(Find("ab cd", "AB", {5, 5}, Flags(false)), 0);
    EXPECT_EQ(Find("ab", "ab", {0, 2}, Flags(false)), -1);
}

TEST(TextSearch, MatchCaseComparesTheRestExactly)
{
    const std::string text = "Data DATA data";
    EXPECT_EQ(Find(text, "DATA", {0, 0}, Flags(true, true)), 5);
    EXPECT_EQ(Find(text, "data", {0, 0}, Flags(true, true)), 10);
    EXPECT_EQ(Find(text, "data", {0, 0}, Flags(true, false)), 0);
    EXPECT_EQ(Find(text, "DATA", {14, 14}, Flags(false, true)), 5);
    EXPECT_EQ(Find(text, "", {0, 0}, Flags(true)), -1);
    EXPECT_EQ(Find("", "A", {0, 0}, Flags(true)), -1);
    // A selection beyond the text is taken at its end.
    EXPECT_EQ(Find(text, "data", {99, 120}, Flags(false)), 10);
}

TEST(TextSearch, WholeWordKeepsToTheFiveSeparators)
{
    const std::string text = "DATAS XDATA DATA,1\r\n\tDATA.X DATA";
    const SearchFlags down = Flags(true, false, true);
    const SearchFlags up = Flags(false, false, true);
    EXPECT_EQ(Find(text, "DATA", {0, 0}, down), 12);   // not DATAS nor XDATA
    EXPECT_EQ(Find(text, "DATA", {12, 16}, down), 21); // after a tab, before a period
    EXPECT_EQ(Find(text, "DATA", {21, 25}, down), 28); // DATA that ends the text
    EXPECT_EQ(Find(text, "DATA", {28, 32}, down), -1);
    EXPECT_EQ(Find(text, "DATA", {32, 32}, up), 28);
    EXPECT_EQ(Find(text, "DATA", {28, 32}, up), 21);
    EXPECT_EQ(Find(text, "DATA", {21, 25}, up), 12);
    EXPECT_EQ(Find(text, "DATA", {12, 16}, up), -1); // XDATA and DATAS are no words
    // A line feed is no separator: only CR, so a word right after CR LF is
    // not whole, one before CR is.
    EXPECT_EQ(Find("A\r\nDATA", "DATA", {0, 0}, down), -1);
    EXPECT_EQ(Find("DATA\r\nX", "DATA", {0, 0}, down), 0);
    // Without whole word every one of them is found.
    EXPECT_EQ(Find(text, "DATA", {0, 0}, Flags(true)), 0);
}

TEST(TextSearch, ReplaceAllGoesOnBehindEachInsertedText)
{
    std::string text = "A A";
    EXPECT_EQ(ReplaceAllText(text, "A", "AA", Flags(true)), 2u);
    EXPECT_EQ(text, "AA AA");

    // The direction of the dialog plays no part; flags do.
    text = "cat Cat CAT cats";
    EXPECT_EQ(ReplaceAllText(text, "cat", "dog", Flags(false, true, false)), 2u);
    EXPECT_EQ(text, "dog Cat CAT dogs");
    text = "cat Cat CAT cats";
    EXPECT_EQ(ReplaceAllText(text, "CAT", "x", Flags(false, false, true)), 3u);
    EXPECT_EQ(text, "x x x cats");
    text = "aaa";
    EXPECT_EQ(ReplaceAllText(text, "a", "", Flags(true)), 3u);
    EXPECT_EQ(text, "");
    EXPECT_EQ(ReplaceAllText(text, "a", "b", Flags(true)), 0u);
}

TEST(TextSearch, LineEndFormsMapPositionsBothWays)
{
    const std::string lf = "ab\ncd\n\nef";
    const std::string crLf = ToCrLfText(lf);
    EXPECT_EQ(crLf, "ab\r\ncd\r\n\r\nef");
    EXPECT_EQ(ToLfText(crLf), lf);
    for (size_t p = 0; p <= lf.size(); ++p) {
        const size_t q = LfToCrLfPosition(lf, p);
        EXPECT_EQ(CrLfToLfPosition(crLf, q), p) << p;
        if (p < lf.size()) {
            EXPECT_EQ(crLf[q] == '\r' ? '\n' : crLf[q], lf[p]) << p;
        }
    }
    EXPECT_EQ(ToLfText("a\rb"), "a\rb");
}

} // namespace
} // namespace kestrel
