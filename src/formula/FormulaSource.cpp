#include "formula/FormulaSource.h"

namespace hyt {

FormulaChoice ChooseFormula(ViewerSession& session, std::string_view formula, FormulaRange x,
                            FormulaRange y)
{
    FormulaChoice choice;
    choice.view = session.ChooseSurface([&](SceneState& scene, BarDisplay& bars) {
        choice.formula = LoadFormula(scene, formula, x, y, &bars);
        return choice.formula.Ok();
    });
    return choice;
}

} // namespace hyt
