// The formula's faults in words: each kind says something, positions are
// counted from 1, and only tokens that show as typed are quoted.
#include <gtest/gtest.h>

#include "texts/SourceTexts.h"

using namespace hyt;

namespace {

TEST(FormulaTexts, EveryFaultIsASentence)
{
    for (int kind = int(FormulaErrorKind::None) + 1; kind <= int(FormulaErrorKind::Internal);
         ++kind) {
        SCOPED_TRACE(kind);
        const FormulaError error{FormulaErrorKind(kind), 3, "x"};
        const std::string message = FormulaErrorMessage(error);
        ASSERT_GE(message.size(), 2u);
        EXPECT_TRUE(message[0] >= 'A' && message[0] <= 'Z') << message;
        EXPECT_EQ(message.back(), '.');
        EXPECT_FALSE(FormulaErrorReason(error).empty());
    }
    EXPECT_EQ(FormulaErrorMessage({}), "");
}

TEST(FormulaTexts, PositionsCountFromOneAndOddTokensAreNotQuoted)
{
    const struct {
        FormulaError error;
        const char* saying;
        bool quoted;
    } rows[] = {
        {{FormulaErrorKind::MissingParenthesis, 6, ""}, "al final, tras el carácter 6", false},
        {{FormulaErrorKind::UnknownName, 4, "z"}, "«z», en el carácter 5,", true},
        {{FormulaErrorKind::InvalidCharacter, 2, "\xCF\x80"}, "«π» del carácter 3", true},
        {{FormulaErrorKind::InvalidCharacter, 1, std::string(1, '\0')}, "en el carácter 2", false},
        {{FormulaErrorKind::InvalidCharacter, 0, "\xFF"}, "en el carácter 1", false},
        {{FormulaErrorKind::InvalidCharacter, 0, "\x1B"}, "en el carácter 1", false},
        {{FormulaErrorKind::UnexpectedToken, 9, ""}, "en el carácter 10", false},
    };
    for (const auto& row : rows) {
        const std::string reason = FormulaErrorReason(row.error);
        SCOPED_TRACE(reason);
        EXPECT_NE(reason.find(row.saying), std::string::npos);
        EXPECT_EQ(reason.find("«") != std::string::npos, row.quoted);
    }
}

} // namespace
