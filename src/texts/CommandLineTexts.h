// What hyt-render says, in Spanish, as UTF-8: its help, its answers to a
// command line it cannot take, and its messages about the files it reads and
// writes. Each message is one line without the program's name or a line feed;
// file names are given as the user typed them. The reasons come from
// texts/Texts.h, as the window's do.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formula/FormulaSurface.h"
#include "scene/DataFile.h"

namespace hyt {

// The whole of --help: usage, options, the five example labels, the actions
// and two examples, each line ending in a line feed.
std::string RenderHelpText();

// The placeholder of an option's value as messages show it ("ETIQUETA" for
// --example); empty for an option without a value.
std::string OptionValueName(std::string_view option);

// --- A command line that cannot be taken ------------------------------------
std::string UnknownOptionMessage(const std::string& option);
std::string MissingValueMessage(const std::string& option);
std::string UnexpectedValueMessage(const std::string& option);
// Qt's own description (in Spanish where its translation is installed), for
// the parser's faults that have no sentence here.
std::string CommandLineFaultMessage(const std::string& description);
std::string UnexpectedArgumentMessage(const std::string& argument);
std::string RepeatedOptionMessage(const std::string& option);
std::string TwoSourcesMessage(const std::string& first, const std::string& second);
// choices: each source option with its value, as "--file FICHERO".
std::string MissingSourceMessage(const std::vector<std::string>& choices);
std::string MissingOutputNameMessage(const std::string& option);

// What a value of an action must be.
enum class ActionValue { ZoomLevel, Distance, DragStep };
std::string BadActionValueMessage(const std::string& option, const std::string& value,
                                  ActionValue expected);

// --x-range or --y-range: a value that is not two numbers, or an interval
// given without a formula.
std::string BadRangeMessage(const std::string& option, const std::string& value);
std::string RangeWithoutFormulaMessage(const std::string& option);

// Lists the five labels and, when one equals label but for case, names it.
std::string UnknownExampleMessage(const std::string& label);

// --- Outputs that would destroy what they write over ------------------------
// file is the name given with the first option; "-" is standard output.
std::string BothOnStandardOutputMessage(const std::string& first, const std::string& second);
std::string OutputIsInputMessage(const std::string& option, const std::string& file);
std::string SameOutputFileMessage(const std::string& first, const std::string& second,
                                  const std::string& file);

// --- The input file -----------------------------------------------------------
std::string InputUnreadableMessage(const std::string& file, const DataFileResult& result);
std::string InputSizeWarning(const std::string& file, const DataFileResult& result);
std::string NonFiniteHeightsWarning(const std::string& file, int count);

// --- The formula ------------------------------------------------------------------
// What is wrong with it and where (positions counted from 1).
std::string FormulaRefusedMessage(const FormulaError& error);
std::string FormulaNonFiniteWarning(int count);

// --- Writing --------------------------------------------------------------------
// file "-" is standard output; error is an errno value.
std::string WriteFailedMessage(const std::string& file, int error);
std::string ReadBackMismatchMessage(const std::string& file);
std::string PngEncodingFailedMessage();

} // namespace hyt
