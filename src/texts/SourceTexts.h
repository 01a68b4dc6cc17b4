// The texts of the ways to open a surface beyond the examples and the file
// list: the user's formula (its dialog and its faults), and a data file
// opened from anywhere. Spanish, UTF-8, like the rest of texts/.
#pragma once

#include <string>

#include "formula/FormulaSurface.h"

namespace hyt {

// --- The user's formula -----------------------------------------------------
// Positions are shown counted from 1, as "carácter N".

// What is wrong and where, in lower case without a final stop ("falta un
// paréntesis de cierre al final, tras el carácter 6"); empty for no error.
std::string FormulaErrorReason(const FormulaError& error);
// The reason, after "la fórmula no sirve: " when it is about the text.
std::string FormulaFaultText(const FormulaError& error);
// The same as a sentence of its own, for the formula dialog.
std::string FormulaErrorMessage(const FormulaError& error);
// A bound typed in the formula dialog that is not a number; variable is "x"
// or "y".
std::string FormulaBoundMessage(const std::string& variable, const std::string& text);
// After a formula is drawn: how many heights are not finite numbers; empty
// when all are.
std::string FormulaLoadedMessage(int nonFiniteHeights);

// The formula dialog and the window's entries that open a surface.
std::string FormulaMenuText();
std::string OpenFileMenuText();
std::string FormulaCaption();
std::string FormulaPromptText();
std::string FormulaHintText();
std::string XRangeLabel();
std::string YRangeLabel();
std::string RangeToText();
std::string CancelButtonText();

// --- A data file from anywhere ----------------------------------------------
std::string OpenFileCaption();
// The file dialog's filter; its pattern is matched in any case.
std::string OpenFileFilter();
// Something dropped on the window that is not one data file.
std::string DropOnlyDataFileMessage();

} // namespace hyt
