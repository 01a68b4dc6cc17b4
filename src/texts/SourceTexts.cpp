#include "texts/SourceTexts.h"

#include "texts/Texts.h"

namespace hyt {

namespace {

// As the window's other messages quote.
std::string Quoted(const std::string& text)
{
    return "«" + text + "»";
}

// Counted from 1, as people count the characters of what they typed.
std::string CharacterNumber(int position)
{
    return "carácter " + std::to_string(position + 1);
}

// A token is quoted only when it shows as what was typed: printable ASCII,
// or one whole UTF-8 sequence.
bool IsShowable(const std::string& token)
{
    if (token.empty())
        return false;
    const auto lead = static_cast<unsigned char>(token[0]);
    if (token.size() == 1)
        return lead > 0x20 && lead < 0x7F;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length != token.size() || lead > 0xF4)
        return false;
    for (std::size_t i = 1; i < token.size(); ++i)
        if ((static_cast<unsigned char>(token[i]) & 0xC0) != 0x80)
            return false;
    return true;
}

} // namespace

std::string FormulaErrorReason(const FormulaError& error)
{
    const std::string at = "el " + CharacterNumber(error.position);
    const std::string of = "del " + CharacterNumber(error.position);
    const std::string atEnd = error.position > 0
                                  ? "al final, tras el " + CharacterNumber(error.position - 1)
                                  : std::string("al final");
    const std::string token = Quoted(error.token);
    const std::string range = "el intervalo de ";
    const std::string rangeRule = " no sirve: sus extremos deben ser números finitos, el "
                                  "primero menor que el segundo, y ni tan grandes ni tan "
                                  "próximos que no pueda darse un paso de una centésima";
    switch (error.kind) {
    case FormulaErrorKind::None:
        return {};
    case FormulaErrorKind::EmptyFormula:
        return "la fórmula está vacía";
    case FormulaErrorKind::TooLong:
        return "la fórmula es demasiado larga: tiene más de " + std::to_string(kMaxFormulaLength) +
               " caracteres";
    case FormulaErrorKind::InvalidCharacter:
        if (IsShowable(error.token))
            return "el signo " + token + " " + of + " no se admite en una fórmula";
        return "en " + at + " hay un signo que no se admite en una fórmula";
    case FormulaErrorKind::UnknownName:
        return token + ", en " + at + ", no es x, y ni una función conocida";
    case FormulaErrorKind::FunctionNeedsParenthesis:
        return "la función " + token + ", en " + at + ", debe ir seguida de «(» sin espacios";
    case FormulaErrorKind::BadNumber:
        return "el número " + token + ", en " + at + ", no se puede leer";
    case FormulaErrorKind::MissingOperator:
        return "falta un operador antes de " + token + ", en " + at;
    case FormulaErrorKind::UnexpectedOperator:
        return "sobra el operador " + token + " " + of + ": allí va un valor";
    case FormulaErrorKind::UnexpectedParenthesis:
        return "sobra el paréntesis de cierre " + of;
    case FormulaErrorKind::MissingParenthesis:
        return "falta un paréntesis de cierre " + atEnd;
    case FormulaErrorKind::UnexpectedEnd:
        return "la fórmula termina donde falta un valor, " + atEnd;
    case FormulaErrorKind::UnexpectedComma:
        return "sobra la coma " + of + ": las comas solo separan los argumentos de una función";
    case FormulaErrorKind::TooManyArguments:
        return "la función " + token + ", en " + at + ", tiene demasiados argumentos";
    case FormulaErrorKind::TooFewArguments:
        return "a la función " + token + ", en " + at + ", le faltan argumentos";
    case FormulaErrorKind::UnexpectedToken:
        if (IsShowable(error.token))
            return "no se esperaba " + token + " en " + at;
        return "hay un error en " + at;
    case FormulaErrorKind::BadXRange:
        return range + "x" + rangeRule;
    case FormulaErrorKind::BadYRange:
        return range + "y" + rangeRule;
    case FormulaErrorKind::Internal:
        return "no se ha podido evaluar la fórmula: no hay memoria suficiente";
    }
    return {};
}

std::string FormulaFaultText(const FormulaError& error)
{
    switch (error.kind) {
    case FormulaErrorKind::None:
        return {};
    case FormulaErrorKind::EmptyFormula:
    case FormulaErrorKind::TooLong:
    case FormulaErrorKind::BadXRange:
    case FormulaErrorKind::BadYRange:
    case FormulaErrorKind::Internal:
        // These reasons name what they are about.
        return FormulaErrorReason(error);
    default:
        return "la fórmula no sirve: " + FormulaErrorReason(error);
    }
}

std::string FormulaErrorMessage(const FormulaError& error)
{
    std::string text = FormulaFaultText(error);
    if (text.empty())
        return text;
    // Every text starts with a lower-case ASCII letter.
    text[0] = char(text[0] - 'a' + 'A');
    return text + ".";
}

std::string FormulaBoundMessage(const std::string& variable, const std::string& text)
{
    return "El intervalo de " + variable + " no sirve: " + Quoted(text) + " no es un número.";
}

std::string FormulaLoadedMessage(int nonFiniteHeights)
{
    const std::string remark = NonFiniteHeightsRemark(nonFiniteHeights);
    if (remark.empty())
        return {};
    return "En la superficie de la fórmula, " + remark + ".";
}

std::string FormulaMenuText()
{
    return "&Fórmula...\tCtrl+F";
}
std::string OpenFileMenuText()
{
    return "A&brir fichero...\tCtrl+O";
}
std::string FormulaCaption()
{
    return "Fórmula";
}
std::string FormulaPromptText()
{
    return "f(x, y) =";
}

std::string FormulaHintText()
{
    return "Como en los ejemplos: sin(x)*sin(y), sqrt(x*x+y*y), pi(); ^ para las potencias.";
}

std::string XRangeLabel()
{
    return "x desde";
}
std::string YRangeLabel()
{
    return "y desde";
}
std::string RangeToText()
{
    return "hasta";
}
std::string CancelButtonText()
{
    return "Cancelar";
}

std::string OpenFileCaption()
{
    return "Abrir fichero de datos";
}

std::string OpenFileFilter()
{
    return "Ficheros de datos (*.hyt)";
}

std::string DropOnlyDataFileMessage()
{
    return "Aquí solo se puede soltar un fichero de datos, de extensión .hyt, cada vez.";
}

} // namespace hyt
