// The user's formula as a source of a viewer session, beside the examples and
// the data files: sampled as FormulaSurface.h says, then the view reset and
// the surface drawn, as the session does for every source.
#pragma once

#include <string_view>

#include "formula/FormulaSurface.h"
#include "view/ViewerSession.h"

namespace hyt {

struct FormulaChoice {
    // What the formula gave: a fault (the scene and the picture are then as
    // they were), or the count of heights that are not finite numbers.
    FormulaOutcome formula;
    ViewUpdate view;

    bool Ok() const { return formula.Ok(); }
};

FormulaChoice ChooseFormula(ViewerSession& session, std::string_view formula, FormulaRange x,
                            FormulaRange y);

} // namespace hyt
