// The user's formula through muparser. muparser reads, folds constants and
// evaluates; this file narrows what it accepts to the notation of the header,
// turns its exceptions into FormulaError values, and samples the result on
// the examples' grid.
//
// Sections: the checks made before muparser sees the text; muparser's errors
// as FormulaError; parsing; sampling. The functions of the notation are in
// FormulaFunctions.cpp.
#include "formula/FormulaSurface.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

#include <muParser.h>

#include "formula/FormulaFunctions.h"
#include "scene/Sampling.h"

namespace hyt {

namespace {

// --- Before muparser sees the text ------------------------------------------
// muparser also knows assignment (x=1 would overwrite the sampled x),
// comparisons, a conditional and strings, and stops reading at a NUL byte.
// Only the bytes of the notation go through, which keeps all of that out.

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsFormulaByte(char c)
{
    return IsNameChar(c) || IsBlank(c) ||
           std::string_view("+-*/^(),.").find(c) != std::string_view::npos;
}

bool IsContinuation(unsigned char c)
{
    return c >= 0x80 && c <= 0xBF;
}

// The character that starts at text[i]: a whole UTF-8 sequence when one
// starts there, else the one byte.
std::string CharacterAt(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 1;
    unsigned char secondLow = 0x80, secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        secondLow = lead == 0xE0 ? 0xA0 : 0x80;
        secondHigh = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        secondLow = lead == 0xF0 ? 0x90 : 0x80;
        secondHigh = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length > 1) {
        bool valid =
            i + length <= text.size() && byte(i + 1) >= secondLow && byte(i + 1) <= secondHigh;
        for (std::size_t k = 2; valid && k < length; ++k)
            valid = IsContinuation(byte(i + k));
        if (!valid)
            length = 1;
    }
    return std::string(text.substr(i, length));
}

FormulaError Precheck(std::string_view text)
{
    if (text.size() > kMaxFormulaLength)
        return {FormulaErrorKind::TooLong, int(kMaxFormulaLength), {}};
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!IsFormulaByte(text[i]))
            return {FormulaErrorKind::InvalidCharacter, int(i), CharacterAt(text, i)};
    if (std::all_of(text.begin(), text.end(), IsBlank))
        return {FormulaErrorKind::EmptyFormula, 0, {}};
    return {};
}

// --- muparser's errors as FormulaError --------------------------------------

std::string Trimmed(const std::string& token)
{
    const auto first = std::find_if_not(token.begin(), token.end(), IsBlank);
    const auto last = std::find_if_not(token.rbegin(), token.rend(), IsBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

// The first ',' that does not separate the arguments of a function: one at
// the top level or inside parentheses that follow no function name.
std::size_t FirstStrayComma(std::string_view text)
{
    std::vector<bool> opensCall; // one entry per '(' still open
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '(') {
            opensCall.push_back(i > 0 && IsNameChar(text[i - 1]));
        } else if (text[i] == ')') {
            if (!opensCall.empty())
                opensCall.pop_back();
        } else if (text[i] == ',' && (opensCall.empty() || !opensCall.back())) {
            return i;
        }
    }
    return std::string_view::npos;
}

// muparser places a wrong count of arguments at the ')' of the call, or just
// past it for min and max; the user finds the call by its name. -1 when no
// call of that name closes there.
int CallNamePosition(std::string_view text, int reported, std::string_view name)
{
    for (const int close : {reported, reported - 1}) {
        if (close < 0 || std::size_t(close) >= text.size() || text[std::size_t(close)] != ')')
            continue;
        int depth = 0;
        for (std::size_t i = std::size_t(close) + 1; i-- > 0;) {
            depth += text[i] == ')' ? 1 : text[i] == '(' ? -1 : 0;
            if (depth == 0) {
                std::size_t start = i;
                while (start > 0 && IsNameChar(text[start - 1]))
                    --start;
                if (text.substr(start, i - start) == name)
                    return int(start);
                break;
            }
        }
    }
    return -1;
}

// Where muparser's token stands in the text: muparser places some faults
// just past it (the second sign of "--1"), so the last place at or before
// its position. A token that is not in the text there is dropped.
void PlaceToken(std::string_view text, int& where, std::string& token)
{
    if (token.empty() || text.substr(std::size_t(where), token.size()) == token)
        return;
    const std::size_t found = text.rfind(token, std::size_t(where));
    if (found == std::string_view::npos)
        token.clear();
    else
        where = int(found);
}

FormulaError FromParserError(const mu::ParserError& error, std::string_view text)
{
    const int end = int(text.size());
    const int reported = std::clamp(error.GetPos(), 0, end);
    int where = reported;
    if (error.GetCode() == mu::ecINTERNAL_ERROR) {
        // What muparser calls internal is a sign or operator with no operand
        // after it ("-", "x*-"), placed past the end; its token is a remark.
        if (where >= end)
            return {FormulaErrorKind::UnexpectedEnd, end, {}};
        return {FormulaErrorKind::UnexpectedToken, where, std::string(text.substr(where, 1))};
    }
    const std::string named = Trimmed(error.GetToken());
    std::string token = named;
    PlaceToken(text, where, token);
    const auto call = [&](FormulaErrorKind kind) -> FormulaError {
        const int name = CallNamePosition(text, reported, named);
        if (name >= 0)
            return {kind, name, named};
        return {kind, where, token};
    };
    switch (error.GetCode()) {
    case mu::ecUNASSIGNABLE_TOKEN:
    case mu::ecIDENTIFIER_TOO_LONG:
        if (token.empty())
            break;
        if ((token[0] >= '0' && token[0] <= '9') || token[0] == '.')
            return {FormulaErrorKind::BadNumber, where, token};
        if (IsFunctionName(token))
            return {FormulaErrorKind::FunctionNeedsParenthesis, where, token};
        return {FormulaErrorKind::UnknownName, where, token};
    case mu::ecUNEXPECTED_VAL:
    case mu::ecUNEXPECTED_VAR:
    case mu::ecUNEXPECTED_FUN:
        return {FormulaErrorKind::MissingOperator, where, token};
    case mu::ecUNEXPECTED_PARENS:
        if (token == "(")
            return {FormulaErrorKind::MissingOperator, where, token};
        return {FormulaErrorKind::UnexpectedParenthesis, where, token};
    case mu::ecUNEXPECTED_OPERATOR:
        return {FormulaErrorKind::UnexpectedOperator, where, token};
    case mu::ecMISSING_PARENS:
        return {FormulaErrorKind::MissingParenthesis, end, {}};
    case mu::ecUNEXPECTED_EOF:
        return {FormulaErrorKind::UnexpectedEnd, end, {}};
    case mu::ecUNEXPECTED_ARG_SEP:
        return {FormulaErrorKind::UnexpectedComma, where, token};
    case mu::ecUNEXPECTED_ARG: {
        // A ',' inside plain parentheses: muparser names no token and places
        // the fault after the group.
        const std::size_t comma = FirstStrayComma(text);
        if (comma != std::string_view::npos)
            return {FormulaErrorKind::UnexpectedComma, int(comma), ","};
        break;
    }
    case mu::ecTOO_MANY_PARAMS:
        return call(FormulaErrorKind::TooManyArguments);
    case mu::ecTOO_FEW_PARAMS:
        return call(FormulaErrorKind::TooFewArguments);
    case mu::ecEXPRESSION_TOO_LONG:
        return {FormulaErrorKind::TooLong, std::min(end, int(kMaxFormulaLength)), {}};
    case mu::ecEMPTY_EXPRESSION:
        return {FormulaErrorKind::EmptyFormula, 0, {}};
    default:
        break;
    }
    return {FormulaErrorKind::UnexpectedToken, where, token};
}

// --- Parsing ----------------------------------------------------------------

// A parsed formula and the two doubles it reads x and y from.
struct Evaluator {
    double x = 0.0;
    double y = 0.0;
    mu::Parser parser;

    Evaluator() { Configure(parser, x, y); }
    Evaluator(const Evaluator&) = delete; // the parser points into this object
    Evaluator& operator=(const Evaluator&) = delete;

    double At(double atX, double atY)
    {
        x = atX;
        y = atY;
        return parser.Eval();
    }
};

// May throw std::bad_alloc; muparser's own errors come back as values.
FormulaError Parse(Evaluator& evaluator, std::string_view text)
{
    FormulaError error = Precheck(text);
    if (error.kind != FormulaErrorKind::None)
        return error;
    try {
        evaluator.parser.SetExpr(std::string(text));
        // muparser reads the text at its first evaluation.
        evaluator.At(0.0, 0.0);
        if (evaluator.parser.GetNumResults() != 1) {
            const std::size_t comma = FirstStrayComma(text);
            if (comma != std::string_view::npos)
                return {FormulaErrorKind::UnexpectedComma, int(comma), ","};
            return {FormulaErrorKind::UnexpectedToken, 0, {}};
        }
    } catch (const mu::ParserError& parserError) {
        return FromParserError(parserError, text);
    }
    return {};
}

// --- Sampling ---------------------------------------------------------------

Sampling SamplingOf(FormulaRange x, FormulaRange y)
{
    const double xStep = (x.high - x.low) / kGridSize;
    const double yStep = (y.high - y.low) / kGridSize;
    return {x.low - xStep, xStep, y.high + yStep, yStep};
}

// The count of non-finite heights and the zScale that makes the finite ones
// span 30 model units.
void MeasureHeights(const std::array<double, kVertexCount>& heights, FormulaOutcome& outcome)
{
    outcome.nonFinite = 0;
    outcome.zScale = 1.0;
    bool anyFinite = false;
    double low = 0.0, high = 0.0;
    for (const double h : heights) {
        if (!std::isfinite(h)) {
            ++outcome.nonFinite;
        } else if (!anyFinite) {
            anyFinite = true;
            low = high = h;
        } else {
            low = std::min(low, h);
            high = std::max(high, h);
        }
    }
    if (!anyFinite || low == high)
        return;
    const double span = high - low;
    // A span past the largest double is halved first; a span too small for
    // the quotient gets the largest factor there is.
    const double zScale = std::isfinite(span) ? 30.0 / span : 15.0 / (0.5 * high - 0.5 * low);
    outcome.zScale = std::isfinite(zScale) ? zScale : std::numeric_limits<double>::max();
}

// May throw std::bad_alloc; every other failure comes back as a value.
FormulaOutcome SampleOrThrow(std::string_view formula, FormulaRange x, FormulaRange y,
                             std::array<double, kVertexCount>& heights)
{
    FormulaOutcome outcome;
    Evaluator evaluator;
    outcome.error = Parse(evaluator, formula);
    if (!outcome.Ok())
        return outcome;
    if (!IsSoundRange(x)) {
        outcome.error.kind = FormulaErrorKind::BadXRange;
        return outcome;
    }
    if (!IsSoundRange(y)) {
        outcome.error.kind = FormulaErrorKind::BadYRange;
        return outcome;
    }
    // Into a copy first, so that heights stay as they were if anything fails.
    auto sampled = std::make_unique<std::array<double, kVertexCount>>();
    try {
        Sample(
            *sampled, SamplingOf(x, y), [](double) { return 0.0; },
            [&evaluator](double atX, double, double atY) { return evaluator.At(atX, atY); });
    } catch (const mu::ParserError& parserError) {
        outcome.error = FromParserError(parserError, formula);
        return outcome;
    }
    heights = *sampled;
    MeasureHeights(heights, outcome);
    return outcome;
}

FormulaError InternalError()
{
    return {FormulaErrorKind::Internal, 0, {}};
}

} // namespace

FormulaError CheckFormula(std::string_view formula) noexcept
{
    try {
        Evaluator evaluator;
        return Parse(evaluator, formula);
    } catch (...) {
        return InternalError();
    }
}

bool IsSoundRange(FormulaRange range) noexcept
{
    if (!(std::isfinite(range.low) && std::isfinite(range.high) && range.low < range.high))
        return false;
    const double width = range.high - range.low;
    const double step = width / kGridSize;
    return std::isfinite(width) && step > 0.0 && std::isfinite(range.low - step) &&
           std::isfinite(range.high + step);
}

FormulaOutcome SampleFormula(std::string_view formula, FormulaRange x, FormulaRange y,
                             std::array<double, kVertexCount>& heights) noexcept
{
    try {
        return SampleOrThrow(formula, x, y, heights);
    } catch (...) {
        FormulaOutcome outcome;
        outcome.error = InternalError();
        return outcome;
    }
}

FormulaOutcome LoadFormula(SceneState& scene, std::string_view formula, FormulaRange x,
                           FormulaRange y, BarDisplay* bars)
{
    // Sampled first: a formula that fails leaves the view as it was too.
    const FormulaOutcome outcome = SampleFormula(formula, x, y, scene.heights);
    if (outcome.Ok()) {
        ResetView(scene, bars);
        scene.zScale = outcome.zScale;
    }
    return outcome;
}

} // namespace hyt
