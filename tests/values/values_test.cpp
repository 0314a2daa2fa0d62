// The value model: strings with their capacity and separator rules, number
// conversions, the integer conversion, arrays with DIM, BOUNDS and their errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "runtime/Runtime.h"
#include "tests/support/TestFolder.h"
#include "values/ErrorHook.h"
#include "values/IntConv.h"
#include "values/KvArray.h"
#include "values/KvStr.h"
#include "values/Printable.h"

namespace {

std::string Text(const KvStr& s) { return s.GetStrData(); }

TEST(KvStrOperators, SeparatorFormsAppendADash) {
    KvStr ab("ab"), cd("cd"), empty;
    EXPECT_EQ(Text(ab - cd), "ab-cd");
    EXPECT_EQ(Text(ab * cd), "ab-cd");
    EXPECT_EQ(Text(ab / cd), "ab-cd");
    EXPECT_EQ(Text(ab + cd), "abcd");
    EXPECT_EQ(Text(ab + empty), "ab");
    EXPECT_EQ(Text(ab - empty), "ab");  // no separator for an empty right side
    EXPECT_EQ(Text(ab), "ab");          // the left operand is unchanged
    EXPECT_EQ(Text(ab - 2.5), "ab-2.5");
    EXPECT_EQ(Text(ab + "x"), "abx");  // texts in quotes, as translated code writes them
    EXPECT_EQ(Text(ab * "x"), "ab-x");
}

TEST(KvStrOperators, AppendingAStringToItself) {
    KvStr s("ha");
    const KvStr& same = s;
    s += same;
    EXPECT_EQ(Text(s), "haha");
    s -= same;
    EXPECT_EQ(Text(s), "haha-haha");
}

TEST(KvStrConversions, NumbersUseTheGFormat) {
    EXPECT_EQ(Text(KvStr(1.0)), "1");
    EXPECT_EQ(Text(KvStr(0.5)), "0.5");
    EXPECT_EQ(Text(KvStr(1234567.0)), "1.23457e+06");
    EXPECT_EQ(Text(KvStr(7)), "7");
    EXPECT_EQ(Text(KvStr("x") + 0.5), "x0.5");
    EXPECT_EQ(Text(KvStr("x") + 1e20), "x1e+20");
    EXPECT_EQ(Text(KvStr(0.1 + 0.2)), "0.3");
    KvStr assigned;
    assigned = -0.25;
    EXPECT_EQ(Text(assigned), "-0.25");
}

TEST(KvStrConversions, TextToNumberReadsTheLeadingNumber) {
    EXPECT_EQ(static_cast<double>(KvStr("12abc")), 12);
    EXPECT_EQ(static_cast<double>(KvStr("  -3.5e2x")), -350);
    EXPECT_EQ(static_cast<double>(KvStr("abc")), 0);
    EXPECT_EQ(static_cast<double>(KvStr("")), 0);
}

TEST(KvStrCompare, BytewiseAndNumeric) {
    EXPECT_LT(KvStr("abc").Compare(KvStr("abd")), 0);
    EXPECT_EQ(KvStr("abc").Compare(KvStr("abc")), 0);
    EXPECT_GT(KvStr("b").Compare(KvStr("abc")), 0);
    EXPECT_EQ(KvStr("10").Compare(9.0), 1);
    EXPECT_EQ(KvStr("abc").Compare(0.0), 0);
    EXPECT_EQ(KvStr("2").Compare(3.0), -1);
    // Bytes above 127 compare as unsigned, as strcmp does.
    EXPECT_GT(KvStr("\xE9").Compare(KvStr("a")), 0);
}

TEST(KvStrCompare, WithNumbersInBothOrdersByTheLeadingNumber) {
    // "10" reads as 10, "abc" as 0, "2.5kg" as 2.5; the text itself plays no part.
    KvStr ten = "10", text = "abc", weight = "2.5kg";
    EXPECT_TRUE(ten == 10.0);
    EXPECT_TRUE(ten == 10);
    EXPECT_TRUE(10 == ten);
    EXPECT_FALSE(ten != 10.0);
    EXPECT_TRUE(ten != 9);
    EXPECT_TRUE(ten > 9.0);
    EXPECT_FALSE(ten > 10.0);
    EXPECT_TRUE(9.0 < ten);
    EXPECT_TRUE(ten >= 10u);
    EXPECT_TRUE(ten <= 10.0f);
    EXPECT_TRUE(11 > ten);
    EXPECT_FALSE(11 <= ten);
    EXPECT_TRUE(text == 0);
    EXPECT_TRUE(text < 0.5);
    EXPECT_TRUE(weight > 2);
    EXPECT_TRUE(weight < 3);
    EXPECT_TRUE(2.5 == weight);
    // Between strings it is still the byte-wise order: "10" < "9".
    EXPECT_TRUE(ten < KvStr("9"));
}

TEST(KvStrOperators, NumbersAndTextsOnEitherSideOfPlus) {
    double score = 1250, lives = 3;
    EXPECT_EQ(Text("Score: " + KvStr(score)), "Score: 1250");
    EXPECT_EQ(Text(KvStr("Lives ") + lives), "Lives 3");
    EXPECT_EQ(Text(KvStr("x") + 1), "x1");
    EXPECT_EQ(Text(KvStr("x") + 2.5f), "x2.5");
    EXPECT_EQ(Text(KvStr("x") - 7), "x-7");
    EXPECT_EQ(Text(KvStr("a") * 2), "a-2");
    EXPECT_EQ(Text(KvStr("a") / 1e20), "a-1e+20");
    // A text on the left that would not fit leaves the text alone.
    std::string long_text(1020, 'y');
    EXPECT_EQ(Text(long_text.c_str() + KvStr("123")), long_text);
}

TEST(KvStrCapacity, AssignmentsLongerThan1022AreRefused) {
    std::string fits(1022, 'a'), tooLong(1023, 'b');
    KvStr s("old");
    s = tooLong.c_str();
    EXPECT_EQ(Text(s), "old");
    s = fits.c_str();
    EXPECT_EQ(s.Length(), 1022);
    EXPECT_EQ(Text(KvStr(tooLong.c_str())), "");
}

TEST(KvStrCapacity, AppendsBeyond1022AreRefused) {
    std::string thousand(1000, 'a');
    KvStr s(thousand.c_str());
    s += std::string(30, 'b').c_str();
    EXPECT_EQ(s.Length(), 1000);
    s += std::string(22, 'c').c_str();
    EXPECT_EQ(s.Length(), 1022);
}

TEST(KvStrCapacity, SeparatorFormCanReach1023Characters) {
    KvStr s(std::string(1000, 'a').c_str());
    KvStr tail(std::string(22, 'z').c_str());
    s -= tail;
    ASSERT_EQ(s.Length(), 1023);
    EXPECT_EQ(s.GetStrData()[1000], '-');
    EXPECT_EQ(s.GetStrData()[1023], 0);
    // Copies keep the full text.
    KvStr copy = s;
    EXPECT_EQ(copy.Length(), 1023);
    // Nothing more fits, in any form.
    s += "x";
    s -= KvStr("x");
    EXPECT_EQ(s.Length(), 1023);
}

TEST(KvStrAccess, GetAtSetAtLeftAndTrim) {
    KvStr s("h\xE9llo");
    EXPECT_EQ(s.GetAt(1), -23);  // a Latin-1 e acute read as a signed byte
    EXPECT_EQ(s.GetAt(5), 0);
    EXPECT_EQ(s.GetAt(-1), 0);
    EXPECT_EQ(s.GetAt(5000), 0);
    EXPECT_EQ(s.SetAt(0, 'H'), 1);
    EXPECT_EQ(s.SetAt(5, '!'), 0);
    EXPECT_EQ(Text(s), "H\xE9llo");
    s.Left(9);  // beyond the length: no change
    EXPECT_EQ(s.Length(), 5);
    s.Left(-1);
    EXPECT_EQ(s.Length(), 5);
    s.Left(2);
    EXPECT_EQ(Text(s), "H\xE9");
    KvStr t("word \t\r\n\xFF\x80");
    t.TrimRight();
    EXPECT_EQ(Text(t), "word ");
    KvStr path("C:\\Games\\kip");
    ReverseSlashes(path);
    EXPECT_EQ(Text(path), "C:/Games/kip");
}

TEST(IntegerConversion, TruncatesTowardZero) {
    EXPECT_EQ(KvToInt(2.9), 2);
    EXPECT_EQ(KvToInt(-2.9), -2);
    EXPECT_EQ(KvToInt(-0.5), 0);
    EXPECT_EQ(KvToInt(2147483647.9), 2147483647);
    EXPECT_EQ(KvToInt(-2147483648.9), -2147483647 - 1);
}

TEST(IntegerConversion, UndefinedValuesGiveIntegerIndefinite) {
    EXPECT_EQ(KvToInt(std::nan("")), kIntegerIndefinite);
    EXPECT_EQ(KvToInt(std::numeric_limits<double>::infinity()), kIntegerIndefinite);
    EXPECT_EQ(KvToInt(-std::numeric_limits<double>::infinity()), kIntegerIndefinite);
    EXPECT_EQ(KvToInt(3e9), kIntegerIndefinite);
    EXPECT_EQ(KvToInt(2147483648.0), kIntegerIndefinite);
    EXPECT_EQ(KvToInt(-1e300), kIntegerIndefinite);
}

TEST(IntegerConversion, ShortKeepsTheLow16Bits) {
    EXPECT_EQ(KvToShort(70000), 4464);
    EXPECT_EQ(KvToShort(32768), -32768);
    EXPECT_EQ(KvToShort(-1.5), -1);
    EXPECT_EQ(KvToShort(std::nan("")), 0);  // low 16 bits of integer indefinite
    EXPECT_EQ(KvToColour(0x8000FF), 0x8000FFu);
    EXPECT_EQ(KvToColour(4294967296.0 + 5), 5u);
    EXPECT_EQ(KvToColour(-1), 0xFFFFFFFFu);
}

TEST(Arrays, DimAndBounds) {
    KvIntArray a;
    EXPECT_EQ(a.DimensionCount(), -1);
    DIM(a, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(a.ElementCount(), 1);
    EXPECT_EQ(BOUNDS(a, 0), 1);
    EXPECT_EQ(a.DimensionCount(), 1);

    DIM(a, 10, 5);
    EXPECT_EQ(a.ElementCount(), 50);
    EXPECT_EQ(BOUNDS(a, 0), 10);
    EXPECT_EQ(BOUNDS(a, 1), 5);
    EXPECT_EQ(BOUNDS(a, 2), 0);
    EXPECT_EQ(BOUNDS(a, 8), 0);
    EXPECT_EQ(BOUNDS(a, -1), 0);
    EXPECT_EQ(BOUNDS(a, 1.9), 5);
    EXPECT_EQ(a.DimensionCount(), 2);

    // Sizes below 1 are left out of the element count; a negative one still counts
    // as a dimension.
    DIM(a, 4, 0.5, -2);
    EXPECT_EQ(a.ElementCount(), 4);
    EXPECT_EQ(a.DimensionCount(), 3);
    EXPECT_EQ(BOUNDS(a, 2), -2);
}

TEST(Arrays, IndexingIsFirstSubscriptFastest) {
    KvIntArray a;
    DIM(a, 3, 2);
    a(2, 1) = 42;
    EXPECT_EQ(a.Data()[5], 42);  // 2 + 1 * 3, the last of six
    a(2.7, 1.2) = 7;             // subscripts are truncated
    EXPECT_EQ(a.Data()[5], 7);
    EXPECT_EQ(a(2, 1), 7);

    KvIntArray b;
    DIM(b, 10, 5);
    b(9, 4) = 1;
    EXPECT_EQ(b.Data()[49], 1);
    b(4.5, 0) = 3;  // 4.5 is a valid subscript for a size of 5 or more
    EXPECT_EQ(b(4, 0), 3);

    KvStrArray s;
    DIM(s, 2, 2);
    s(1, 1) = "last";
    EXPECT_EQ(Text(s.Data()[3]), "last");
}

TEST(Arrays, DimAgainZeroesEveryElement) {
    KvIntArray a;
    DIM(a, 5);
    for (int i = 0; i < 5; ++i) a(i) = i + 1;
    DIM(a, 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a(i), 0);
    KvStrArray s;
    DIM(s, 2);
    s(1) = "x";
    DIM(s, 2);
    EXPECT_EQ(Text(s(1)), "");
}

// The indexing rules written out on their own, for whole sizes: the element's place
// in the block, or the error an access raises (8 before DIM, 9 out of range).
struct Access {
    int error;
    int64_t offset;
};

Access ExpectedAccess(bool dimensioned, const int sizes[8], const double subscripts[8]) {
    if (!dimensioned) return {8, 0};
    int64_t count = 1, offset = 0, step = 1;
    for (int k = 0; k < 8; ++k) {
        int size = k == 0 && sizes[0] < 1 ? 1 : sizes[k];
        if (size >= 1) count *= size;
        double s = subscripts[k];
        if (std::isnan(s) || s < 0) return {9, 0};
        // A negative size refuses even a subscript of 0.
        if (size != 0 && s >= size) return {9, 0};
        if (s >= 2147483648.0) {
            if (step != 0) return {9, 0};
        } else {
            offset += static_cast<int64_t>(s) * step;
        }
        step *= size;
    }
    if (offset >= count) return {9, 0};
    return {0, offset};
}

struct ThrownError {
    int code;
};
void ThrowError(int code) { throw ThrownError{code}; }

Access ActualAccess(KvIntArray& a, const double s[8], int given) {
    try {
        double* element = given == 1   ? &a(s[0])
                          : given == 2 ? &a(s[0], s[1])
                                       : &a(s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]);
        return {0, element - a.Data()};
    } catch (const ThrownError& e) {
        return {e.code, 0};
    }
}

// Random arrays of whole sizes (some 0, some negative) and subscripts on and around
// every edge, given as one, two or all eight subscripts: each access reaches the
// element or raises the error that the rules above give.
TEST(Arrays, EveryAccessFollowsTheIndexingRules) {
    const int sizeChoices[] = {-2, 0, 0, 0, 1, 2, 3, 5};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double subscriptChoices[] = {0, 0, 0, -0.0, 0.5, 1, 1.99, 2, 3, 4.5, -0.1, -1, nan,
                                       2147483648.0, 1e300};
    unsigned state = 12345;
    auto pick = [&state](int n) {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) % unsigned(n));
    };
    KvSetErrorHandlers(nullptr, ThrowError);
    int reached = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        KvIntArray a;
        int sizes[8] = {};
        int dimensions = 1 + pick(8);
        for (int k = 0; k < dimensions; ++k) sizes[k] = sizeChoices[pick(8)];
        bool dimensioned = pick(10) != 0;
        if (dimensioned)
            a.Dim(sizes[0], sizes[1], sizes[2], sizes[3], sizes[4], sizes[5], sizes[6], sizes[7]);
        for (int access = 0; access < 20; ++access) {
            int given = 1 + pick(3);
            double s[8] = {};
            int count = given == 3 ? 8 : given;
            for (int k = 0; k < count; ++k) s[k] = subscriptChoices[pick(15)];
            Access expected = ExpectedAccess(dimensioned, sizes, s);
            Access actual = ActualAccess(a, s, given);
            ASSERT_EQ(actual.error, expected.error) << "round " << round << " access " << access;
            ASSERT_EQ(actual.offset, expected.offset) << "round " << round << " access " << access;
            (expected.error == 0 ? reached : refused)++;
        }
    }
    KvRuntime().Reset();
    EXPECT_GT(reached, 5000);  // both outcomes are well covered
    EXPECT_GT(refused, 5000);
}

// A DIM that fails leaves no block behind, whatever the sizes were before.
TEST(Arrays, AccessAfterAFailedDimIsError9) {
    KvSetErrorHandlers(nullptr, ThrowError);
    KvIntArray a;
    a.Dim(10, 5);
    a(3, 2) = 1;
    int codes[2] = {};
    try {
        a.Dim(1e6, 1e6, 1e6);
    } catch (const ThrownError& e) {
        codes[0] = e.code;
    }
    try {
        a(3, 2) = 1;
    } catch (const ThrownError& e) {
        codes[1] = e.code;
    }
    KvRuntime().Reset();
    EXPECT_EQ(codes[0], 7);
    EXPECT_EQ(codes[1], 9);
}

// Runtime errors end the program through the shutdown, which writes the error log.
class ArrayErrors : public ::testing::Test {
  protected:
    // The log goes to this test's own folder; the death-test children inherit TMPDIR.
    void SetUp() override {
        ASSERT_TRUE(m_folder.Made());
        KvRuntime().Reset();  // the arrays' errors go to this runtime's shutdown
        const char* old = std::getenv("TMPDIR");
        m_oldTmp = old ? old : "";
        setenv("TMPDIR", m_folder.Path().c_str(), 1);
    }
    void TearDown() override {
        if (m_oldTmp.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", m_oldTmp.c_str(), 1);
    }
    std::string LogPath() const { return m_folder / "ErrorLog.txt"; }
    std::string Log() const { return ReadFileText(LogPath()); }

    TestFolder m_folder{"kv_values"};
    std::string m_oldTmp;
};

#define EXPECT_RUNTIME_ERROR(statement, code, line)                                   \
    EXPECT_EXIT(                                                                      \
        {                                                                             \
            __dLn(0, line);                                                           \
            statement;                                                                \
        },                                                                            \
        ::testing::ExitedWithCode(0), "");                                            \
    EXPECT_EQ(Log(), "-End On Line\r\n" #code "\r\n" #line "\r\n" #line "\r\n0\r\n"); \
    std::remove(LogPath().c_str())

TEST_F(ArrayErrors, UseBeforeDimIsError8) {
    KvIntArray a;
    EXPECT_RUNTIME_ERROR(a(0) = 1, 8, 31);
}

TEST_F(ArrayErrors, SubscriptsOutOfRangeAreError9) {
    KvIntArray a;
    DIM(a, 10, 5);
    EXPECT_RUNTIME_ERROR(a(10, 0) = 1, 9, 40);
    EXPECT_RUNTIME_ERROR(a(0, 5) = 1, 9, 41);
    EXPECT_RUNTIME_ERROR(a(-0.1, 0) = 1, 9, 42);
    EXPECT_RUNTIME_ERROR(a(std::nan(""), 0) = 1, 9, 43);
    EXPECT_RUNTIME_ERROR(a(0, 1e300) = 1, 9, 44);
}

TEST_F(ArrayErrors, SubscriptOfAnUndimensionedSizeNeverLeavesTheBlock) {
    // The second size is 0, so its subscript is not range-checked; it must still
    // not reach past the three elements.
    KvIntArray a;
    DIM(a, 3);
    EXPECT_RUNTIME_ERROR(a(0, 5) = 1, 9, 50);
}

TEST_F(ArrayErrors, NegativeSizesGiveAnArrayWithoutValidSubscripts) {
    // Sizes below 1 are left out of the element count, however large they are.
    KvIntArray a;
    DIM(a, 1, -2e9, -2e9, -2e9, -2e9, -2e9, -2e9, -2e9);
    EXPECT_EQ(a.ElementCount(), 1);
    EXPECT_EQ(a.DimensionCount(), 8);
    EXPECT_EQ(BOUNDS(a, 7), -2e9);
    EXPECT_RUNTIME_ERROR(a(0, 0) = 1, 9, 55);
}

TEST_F(ArrayErrors, HugeDimIsError7) {
    KvIntArray a;
    EXPECT_RUNTIME_ERROR(DIM(a, 1e6, 1e6, 1e6), 7, 60);
    EXPECT_RUNTIME_ERROR(DIM(a, std::numeric_limits<double>::infinity()), 7, 61);
    EXPECT_RUNTIME_ERROR(DIM(a, 65536, 65536), 7, 62);  // 2^32 elements: not a wrapped size
}

}  // namespace

// Names from files shown to a person: a table of bytes and what a terminal must get.
TEST(PrintableTextTest, ControlBytesAndBrokenUtf8AreEscaped) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"tile.bmp", "tile.bmp"},
        {"", ""},
        {"\x1b[2Jx", "\\x1B[2Jx"},                          // escape sequence
        {std::string("a\0b", 3), "a\\x00b"},                  // NUL inside
        {"\t\r\n\x7f", "\\x09\\x0D\\x0A\\x7F"},          // C0 and DEL
        {"back\\slash", "back\\\\slash"},                  // the escape character itself
        {"gr\xC3\xBCn \xE2\x82\xAC \xF0\x9F\x98\x80", "gr\xC3\xBCn \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\xC2\x9B" "2J", "\\xC2\\x9B2J"},                   // C1 control CSI as UTF-8
        {"\x9b", "\\x9B"},                                   // C1 control as a lone byte
        {"\xC3", "\\xC3"},                                   // cut sequence
        {"\xC0\xAF", "\\xC0\\xAF"},                         // overlong '/'
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},               // surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},     // past U+10FFFF
        {"\xE2\x82", "\\xE2\\x82"},                         // two of three bytes
    };
    for (const auto& c : cases) EXPECT_EQ(PrintableText(c.text), c.shown) << c.shown;
}
