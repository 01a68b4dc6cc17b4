// The functions of the user's formula, for muparser: the names the notation
// knows and a parser set up with them and with the variables x and y. Used
// by FormulaSurface.cpp only.
#pragma once

#include <string_view>

#include <muParser.h>

namespace hyt {

bool IsFunctionName(std::string_view name);

// A parser that knows only the notation's functions and reads x and y from
// the two doubles given, at every evaluation.
void Configure(mu::Parser& parser, double& x, double& y);

} // namespace hyt
