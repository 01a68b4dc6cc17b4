#include "formula/FormulaFunctions.h"

#include <cmath>
#include <limits>

#include "base/Vec3.h"

namespace hyt {

namespace {

// The functions of the notation.
// Each is the standard library's double function, so that a formula that
// writes an example's expression gets that example's heights bit for bit.
// muparser's own set differs (log2 as a quotient of logarithms, asinh as a
// logarithm, _pi as a constant), so it is replaced as a whole.

// -1 or 1 by the sign; zero and NaN come back as they are.
double Sign(double v)
{
    if (v > 0.0)
        return 1.0;
    return v < 0.0 ? -1.0 : v;
}

double Atan2(double a, double b)
{
    return std::atan2(a, b);
}

double PiValue()
{
    return Pi();
}

// NaN as soon as one argument is NaN: a surface should show where its formula
// is undefined rather than hide it behind the other argument.
double Min(const double* args, int count)
{
    if (count < 1)
        return std::numeric_limits<double>::quiet_NaN();
    double result = args[0];
    for (int i = 1; i < count; ++i)
        if (std::isnan(args[i]) || args[i] < result)
            result = args[i];
    return result;
}

double Max(const double* args, int count)
{
    if (count < 1)
        return std::numeric_limits<double>::quiet_NaN();
    double result = args[0];
    for (int i = 1; i < count; ++i)
        if (std::isnan(args[i]) || args[i] > result)
            result = args[i];
    return result;
}

struct UnaryFunction {
    const char* name;
    double (*function)(double);
};

constexpr UnaryFunction kUnaryFunctions[] = {
    {"sin", [](double v) { return std::sin(v); }},
    {"cos", [](double v) { return std::cos(v); }},
    {"tan", [](double v) { return std::tan(v); }},
    {"asin", [](double v) { return std::asin(v); }},
    {"acos", [](double v) { return std::acos(v); }},
    {"atan", [](double v) { return std::atan(v); }},
    {"sinh", [](double v) { return std::sinh(v); }},
    {"cosh", [](double v) { return std::cosh(v); }},
    {"tanh", [](double v) { return std::tanh(v); }},
    {"asinh", [](double v) { return std::asinh(v); }},
    {"acosh", [](double v) { return std::acosh(v); }},
    {"atanh", [](double v) { return std::atanh(v); }},
    {"exp", [](double v) { return std::exp(v); }},
    {"ln", [](double v) { return std::log(v); }},
    {"log", [](double v) { return std::log(v); }},
    {"log10", [](double v) { return std::log10(v); }},
    {"log2", [](double v) { return std::log2(v); }},
    {"sqrt", [](double v) { return std::sqrt(v); }},
    {"abs", [](double v) { return std::fabs(v); }},
    {"sign", Sign},
};

constexpr const char* kOtherFunctions[] = {"atan2", "min", "max", "pi"};

} // namespace

bool IsFunctionName(std::string_view name)
{
    for (const UnaryFunction& f : kUnaryFunctions)
        if (name == f.name)
            return true;
    for (const char* other : kOtherFunctions)
        if (name == other)
            return true;
    return false;
}

void Configure(mu::Parser& parser, double& x, double& y)
{
    parser.ClearConst();
    parser.ClearFun();
    for (const UnaryFunction& f : kUnaryFunctions)
        parser.DefineFun(f.name, f.function);
    parser.DefineFun("atan2", Atan2);
    parser.DefineFun("min", Min);
    parser.DefineFun("max", Max);
    parser.DefineFun("pi", PiValue);
    parser.DefineVar("x", &x);
    parser.DefineVar("y", &y);
}

} // namespace hyt
