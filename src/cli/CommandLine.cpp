#include "cli/CommandLine.h"

#include <array>
#include <cstdio>
#include <functional>
#include <utility>

#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>

#include "base/ScrollCodes.h"
#include "cli/OutputFile.h"
#include "texts/CommandLineTexts.h"

namespace hyt {

void Complain(const std::string& line)
{
    std::fprintf(stderr, "hyt-render: %s\n", line.c_str());
}

namespace {

// Arguments arrive as Latin-1, one character per byte: back to bytes.
// The option's value placeholder, for the parser.
QString ValueName(const char* option)
{
    return QString::fromStdString(OptionValueName(option));
}

std::string Bytes(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::string Dashed(const QCommandLineOption& option)
{
    const QString& name = option.names().constLast();
    return Bytes((name.size() == 1 ? "-" : "--") + name);
}

// The sources, of which exactly one is given. Another source adds a row
// here and an alternative to Source (and its case where the run chooses it).
struct SourceOption {
    const char* name;
    Source (*make)(std::string value);
};
constexpr std::array<SourceOption, 3> kSourceOptions = {{
    {"example", [](std::string label) -> Source { return ExampleSource{label}; }},
    {"file", [](std::string path) -> Source { return FileSource{path}; }},
    {"formula", [](std::string text) -> Source { return FormulaSource{text, {}, {}}; }},
}};

std::optional<int> ParseInteger(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

// "A,B": two numbers in the C locale. Whether they make an interval is the
// formula's to say, with the other faults of a formula.
std::optional<FormulaRange> ParseRange(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 2)
        return std::nullopt;
    bool lowOk = false, highOk = false;
    const FormulaRange range{QLocale::c().toDouble(parts[0].trimmed(), &lowOk),
                             QLocale::c().toDouble(parts[1].trimmed(), &highOk)};
    if (!lowOk || !highOk)
        return std::nullopt;
    return range;
}

std::optional<Action> ParseAction(ActionKind kind, const QString& text)
{
    const auto inRange = [&](int low, int high) -> std::optional<Action> {
        const std::optional<int> value = ParseInteger(text);
        if (!value || *value < low || *value > high)
            return std::nullopt;
        return Action{kind, *value, 0};
    };
    switch (kind) {
    case ActionKind::Zoom:
        return inRange(kZoomBarMin, kZoomBarMax);
    case ActionKind::Distance:
        return inRange(kDistanceBarMin, kDistanceBarMax);
    case ActionKind::Drag: {
        const QStringList parts = text.split(u',');
        if (parts.size() != 2)
            return std::nullopt;
        const std::optional<int> dx = ParseInteger(parts[0].trimmed());
        const std::optional<int> dy = ParseInteger(parts[1].trimmed());
        if (!dx || !dy)
            return std::nullopt;
        return Action{kind, *dx, *dy};
    }
    }
    return std::nullopt;
}

// The parser's faults, told apart by the arguments themselves so that the
// sentence does not depend on which translation of Qt is installed.
std::string DescribeParseFault(const QCommandLineParser& parser, const QStringList& arguments,
                               const QList<QCommandLineOption>& options)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return UnknownOptionMessage(
            Bytes((unknown.first().size() == 1 ? "-" : "--") + unknown.first()));
    const auto find = [&](const QString& dashed) -> const QCommandLineOption* {
        for (const QCommandLineOption& option : options) {
            for (const QString& name : option.names()) {
                if (dashed == (name.size() == 1 ? "-" : "--") + name)
                    return &option;
            }
        }
        return nullptr;
    };
    for (const QString& argument : arguments.mid(1)) {
        const qsizetype assign = argument.indexOf(u'=');
        if (!argument.startsWith(u'-') || assign < 0)
            continue;
        const QCommandLineOption* option = find(argument.left(assign));
        if (option && option->valueName().isEmpty())
            return UnexpectedValueMessage(Bytes(argument.left(assign)));
    }
    if (arguments.size() > 1) {
        const QCommandLineOption* option = find(arguments.last());
        if (option && !option->valueName().isEmpty())
            return MissingValueMessage(Bytes(arguments.last()));
    }
    return CommandLineFaultMessage(Bytes(parser.errorText()));
}

int Answer(const std::string& text)
{
    if (const int error = WriteAll(1, text.data(), text.size()); error != 0) {
        Complain(WriteFailedMessage(kStandardOutputName, error));
        return kExitWriteFailed;
    }
    return kExitOk;
}

} // namespace

Parsed ParseCommandLine(const QStringList& arguments)
{
    // The help is written here in full, so the options' own descriptions stay
    // empty; the value names tell the parser which options take a value.
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    QList<QCommandLineOption> sources;
    for (const SourceOption& row : kSourceOptions)
        sources.append(QCommandLineOption(row.name, {}, ValueName(row.name)));
    const QCommandLineOption zoom("zoom", {}, ValueName("zoom"));
    const QCommandLineOption distance("distance", {}, ValueName("distance"));
    const QCommandLineOption drag("drag", {}, ValueName("drag"));
    const QCommandLineOption plain("plain");
    const QCommandLineOption out("out", {}, ValueName("out"));
    const QCommandLineOption saveHyt("save-hyt", {}, ValueName("save-hyt"));
    const QCommandLineOption info("info");
    const QCommandLineOption xRange("x-range", {}, ValueName("x-range"));
    const QCommandLineOption yRange("y-range", {}, ValueName("y-range"));
    QList<QCommandLineOption> options{help,  version, zoom,    distance, drag,
                                      plain, out,     saveHyt, info};
    options.append(sources);
    options << xRange << yRange;

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOptions(options);
    if (!parser.parse(arguments)) {
        Complain(DescribeParseFault(parser, arguments, options));
        return {std::nullopt, kExitBadInput};
    }
    if (parser.isSet(help))
        return {std::nullopt, Answer(RenderHelpText())};
    if (parser.isSet(version))
        return {std::nullopt, Answer(Bytes(QCoreApplication::applicationName()) + " " +
                                     Bytes(QCoreApplication::applicationVersion()) + "\n")};

    const auto fail = [](const std::string& line) {
        Complain(line);
        return Parsed{std::nullopt, kExitBadInput};
    };
    if (!parser.positionalArguments().isEmpty())
        return fail(UnexpectedArgumentMessage(Bytes(parser.positionalArguments().first())));
    QList<QCommandLineOption> once = sources;
    once << out << saveHyt << xRange << yRange;
    for (const QCommandLineOption& option : once) {
        if (parser.values(option).size() > 1)
            return fail(RepeatedOptionMessage(Dashed(option)));
    }

    std::optional<std::size_t> chosen;
    for (std::size_t row = 0; row < kSourceOptions.size(); ++row) {
        if (!parser.isSet(sources[qsizetype(row)]))
            continue;
        if (chosen)
            return fail(TwoSourcesMessage(Dashed(sources[qsizetype(*chosen)]),
                                          Dashed(sources[qsizetype(row)])));
        chosen = row;
    }
    if (!chosen) {
        std::vector<std::string> choices;
        for (const SourceOption& row : kSourceOptions)
            choices.push_back(std::string("--") + row.name + " " + OptionValueName(row.name));
        return fail(MissingSourceMessage(choices));
    }

    Request request;
    request.source = kSourceOptions[*chosen].make(Bytes(parser.value(sources[qsizetype(*chosen)])));
    const auto output = [&](const QCommandLineOption& option) -> std::optional<std::string> {
        if (!parser.isSet(option))
            return std::nullopt;
        return Bytes(parser.value(option));
    };
    request.out = output(out);
    request.saveHyt = output(saveHyt);
    request.plain = parser.isSet(plain);
    request.info = parser.isSet(info);
    for (const QCommandLineOption* option : {&out, &saveHyt}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return fail(MissingOutputNameMessage(Dashed(*option)));
    }
    for (const auto& [option, field] :
         {std::pair{&xRange, &FormulaSource::x}, std::pair{&yRange, &FormulaSource::y}}) {
        if (!parser.isSet(*option))
            continue;
        auto* formula = std::get_if<FormulaSource>(&request.source);
        if (!formula)
            return fail(RangeWithoutFormulaMessage(Dashed(*option)));
        const std::optional<FormulaRange> range = ParseRange(parser.value(*option));
        if (!range)
            return fail(BadRangeMessage(Dashed(*option), Bytes(parser.value(*option))));
        formula->*field = *range;
    }

    // The parser keeps each option's values apart; its list of the names
    // found, in the order found, gives back the order of the actions.
    struct ActionOption {
        const QCommandLineOption* option;
        ActionKind kind;
        ActionValue value;
        QStringList values;
        qsizetype next = 0;
    };
    std::array<ActionOption, 3> actionOptions = {{
        {&zoom, ActionKind::Zoom, ActionValue::ZoomLevel, parser.values(zoom)},
        {&distance, ActionKind::Distance, ActionValue::Distance, parser.values(distance)},
        {&drag, ActionKind::Drag, ActionValue::DragStep, parser.values(drag)},
    }};
    for (const QString& name : parser.optionNames()) {
        for (ActionOption& row : actionOptions) {
            if (name != row.option->names().constFirst())
                continue;
            const QString& text = row.values[row.next++];
            const std::optional<Action> action = ParseAction(row.kind, text);
            if (!action)
                return fail(BadActionValueMessage(Dashed(*row.option), Bytes(text), row.value));
            request.actions.push_back(*action);
        }
    }
    return {request, kExitOk};
}

} // namespace hyt
