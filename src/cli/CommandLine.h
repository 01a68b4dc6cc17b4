// hyt-render's command line: the arguments read into a Request, or the
// answer already given (help, version, a usage error on standard error).
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QStringList>

#include "formula/FormulaSurface.h"

namespace hyt {

constexpr int kExitOk = 0;
constexpr int kExitWriteFailed = 1;
constexpr int kExitBadInput = 2;

// The sources, exactly one per run. Paths and labels are bytes as given.
struct ExampleSource {
    std::string label;
};
struct FileSource {
    std::string path;
};
struct FormulaSource {
    std::string formula;
    FormulaRange x; // --x-range, or -6..6
    FormulaRange y; // --y-range, or -6..6
};
using Source = std::variant<ExampleSource, FileSource, FormulaSource>;

enum class ActionKind { Zoom, Distance, Drag };

struct Action {
    ActionKind kind;
    int a = 0; // zoom level, distance or DX
    int b = 0; // DY
};

struct Request {
    Source source;
    std::vector<Action> actions; // in the order given
    bool plain = false;
    std::optional<std::string> out;
    std::optional<std::string> saveHyt;
    bool info = false;
};

// A request to run, or the exit status of a command line answered already.
struct Parsed {
    std::optional<Request> request;
    int status = kExitOk;
};

// arguments include the program's name first, each byte one Latin-1
// character, so that a path that is not UTF-8 reaches the file system as is.
Parsed ParseCommandLine(const QStringList& arguments);

// Writes a line "hyt-render: line" on standard error.
void Complain(const std::string& line);

} // namespace hyt
