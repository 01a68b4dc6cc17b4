// The user's own formula z = f(x, y): a text in the notation of the example
// labels, evaluated by muparser and sampled on the grid exactly as the
// examples are (Sampling.h). Errors come back as values: no exception leaves
// these functions, but for what LoadFormula's BarDisplay may throw. Nothing
// here is worded for the user: the caller turns a FormulaError into a Spanish
// message. Each call reads the text afresh with a parser of its own.
//
// The notation:
// - numbers: 2  0.5  .5  1.  1e-3  2.5E+4 (the decimal point is '.', whatever
//   the locale);
// - the variables x (rows, increasing with the row) and y (columns,
//   decreasing with the column), in lower case;
// - + - * / and ^ (power, right-associative: 2^3^2 is 2^9); a sign before an
//   operand binds more loosely than ^, so -x^2 is -(x^2); two operators in a
//   row are allowed only as a sign after a binary operator (x*-y, x--y);
// - parentheses, and ',' between the arguments of a function;
// - functions, each name followed directly by '(' (no space between):
//     sin cos tan asin acos atan sinh cosh tanh asinh acosh atanh
//     exp ln log log10 log2 sqrt abs sign          one argument; log is ln
//     atan2(a, b)                                  the angle of the point (b, a)
//     min(a, ...) max(a, ...)                      one or more arguments; NaN
//                                                  when any of them is NaN
//     pi()                                         acos(-1), as the examples use
// - blanks (space, tab, line breaks) between the parts.
// Names are case-sensitive. Nothing else is accepted: no other names or
// constants, no comparisons, no assignment, no top-level ','. The text is
// ASCII; any other byte is an InvalidCharacter.
//
// Every position is a 0-based byte offset into the formula text. As every
// byte before a reported position is ASCII, it is also the index of the
// character in a UTF-8, UTF-16 or UTF-32 copy of the text. A position equal
// to the text's length means "at the end".
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "scene/SceneState.h"
#include "base/Types.h"

namespace hyt {

// Longer texts are refused before any parsing: bounds the work of a sampling
// (10000 evaluations) and the nesting depth muparser has to handle.
inline constexpr std::size_t kMaxFormulaLength = 1000;

// What is wrong, and where FormulaError's position and token then point.
enum class FormulaErrorKind {
    None,
    // Nothing but blanks. Position 0.
    EmptyFormula,
    // More than kMaxFormulaLength bytes. Position kMaxFormulaLength.
    TooLong,
    // A byte no formula uses: not ASCII, a control, or a sign such as = < ? ;
    // Token: that character, a whole UTF-8 sequence when one starts there.
    InvalidCharacter,
    // A name that is neither x, y nor a function. Token: the name.
    UnknownName,
    // A function's name not followed directly by '(' ("sin", "sin (x)").
    FunctionNeedsParenthesis,
    // A number that cannot be read ("1e", ".", "1e999"). Token: its text.
    BadNumber,
    // An operand or '(' right after an operand ("2x", "3 4", "sin(x)(y)").
    // Token: what follows without an operator.
    MissingOperator,
    // An operator where an operand belongs ("*x", "x**2"). Token: the operator.
    UnexpectedOperator,
    // A ')' with nothing to close, or closing too early ("x)", "()", "min(x,)").
    UnexpectedParenthesis,
    // A '(' never closed. Position: the end.
    MissingParenthesis,
    // The text stops where an operand belongs ("x+", "sin(", "-"). Position: the end.
    UnexpectedEnd,
    // A ',' outside the arguments of a function ("x,y", "(1,2)"). Position: that ','.
    UnexpectedComma,
    // A call with the wrong number of arguments. Position and token: the function's name.
    TooManyArguments,
    TooFewArguments,
    // Any other fault of syntax. Token: what muparser named, if anything.
    UnexpectedToken,
    // The interval of x, or of y, fails IsSoundRange. Position 0, no token.
    BadXRange,
    BadYRange,
    // The evaluator failed without saying where (out of memory). Position 0.
    Internal,
};

struct FormulaError {
    FormulaErrorKind kind = FormulaErrorKind::None;
    int position = 0;  // 0-based byte offset into the text; see the top of this file
    std::string token; // the text at fault as written, or empty
};

// An interval of x or y. The grid samples low and 99 further points a
// hundredth of the width apart; high itself is one step past the last sample.
struct FormulaRange {
    double low = -6.0;
    double high = 6.0;
};

struct FormulaOutcome {
    FormulaError error;
    int nonFinite = 0;   // heights that are NaN or infinite, 0..10000
    double zScale = 1.0; // 30 / (max - min) over the finite heights, see SampleFormula

    bool Ok() const { return error.kind == FormulaErrorKind::None; }
};

// Parses the text only: FormulaErrorKind::None when it is a formula.
FormulaError CheckFormula(std::string_view formula) noexcept;

// low < high, both finite, and the running sums stay finite with a step that
// is not zero: high - low, (high - low) / 100, low - step and high + step are
// all finite and the step is positive.
bool IsSoundRange(FormulaRange range) noexcept;

// Writes f(x, y) for all 10000 vertices into heights: x runs over the rows
// from x.low (it starts one step below and is stepped up before each row), y
// over the columns from y.high (it starts one step above and is stepped down
// before each column), each step a hundredth of its interval's width. The
// checks are made in this order: the formula, the x range, the y range; the
// first fault is returned and heights is left exactly as it was.
//
// On success, nonFinite counts the heights that are not finite numbers (they
// are kept as computed) and zScale makes the finite heights span 30 model
// units: 30 / (max - min), computed without overflow when max - min is beyond
// the largest double; the largest double when the span is too small for the
// quotient; 1.0 when the finite heights are all equal or there are none.
FormulaOutcome SampleFormula(std::string_view formula, FormulaRange x, FormulaRange y,
                             std::array<double, kVertexCount>& heights) noexcept;

// The formula as a source of the scene, like LoadDataFile: when the formula
// and the ranges are sound, resets the view (telling bars, which may be null),
// sets zScale and the heights as SampleFormula gives them. On any error the
// scene is not touched. selectedExample is never touched. Throws only what
// bars throws.
FormulaOutcome LoadFormula(SceneState& scene, std::string_view formula, FormulaRange x,
                           FormulaRange y, BarDisplay* bars);

} // namespace hyt
