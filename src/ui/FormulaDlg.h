// CFormulaDlg (IDD_FORMULA): asks for the user's formula f(x, y) and the
// intervals of x and y. "Aceptar" (or Enter) hands them to the caller's
// chooser; a fault comes back and is shown in the dialog, the faulty part of
// the text marked, and the dialog stays open. A formula taken ends the
// dialog. "Cancelar", Esc and the close box end it with nothing chosen.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "formula/FormulaSurface.h"

class QLabel;
class QLineEdit;

namespace hyt {

// What the dialog shows when it opens: the last entries the user tried, kept
// by its owner for the run of the program.
struct FormulaEntries {
    QString formula;
    QString xLow = QStringLiteral("-6");
    QString xHigh = QStringLiteral("6");
    QString yLow = QStringLiteral("-6");
    QString yHigh = QStringLiteral("6");
};

class CFormulaDlg : public QDialog {
    Q_OBJECT

  public:
    // Draws the formula on the given intervals; returns its fault, or a
    // FormulaError of kind None when it was drawn.
    using Chooser =
        std::function<FormulaError(const std::string& formula, FormulaRange x, FormulaRange y)>;

    // entries must outlive the dialog: it is filled from them, and every
    // "Aceptar" stores what is typed back into them.
    CFormulaDlg(FormulaEntries& entries, Chooser chooser, QWidget* parent = nullptr);

    // Runs the dialog modally: Accepted once a formula was drawn.
    int DoModal();

    // "Aceptar": reads the fields and tries them; stays open on a fault.
    void OnOK();

  private:
    void ShowFault(const std::string& message, QLineEdit* field, int start, int length);

    FormulaEntries& entries;
    Chooser choose;
    QLineEdit* formulaEdit = nullptr;
    QLineEdit* xLowEdit = nullptr;
    QLineEdit* xHighEdit = nullptr;
    QLineEdit* yLowEdit = nullptr;
    QLineEdit* yHighEdit = nullptr;
    QLabel* faultText = nullptr;
};

// A bound as typed: blanks around it are ignored, and the decimal mark may be
// '.' or ','. Nothing when the text is not one number.
std::optional<double> ReadBound(const QString& text);

} // namespace hyt
