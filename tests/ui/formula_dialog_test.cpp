// The formula dialog: a fault is shown in it, at its place in the text, and
// the dialog stays open; a formula taken ends it; the last entries come back.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <memory>

#include "formula/FormulaSource.h"
#include "scene/Examples.h"
#include "ui/FormulaDlg.h"
#include "ui_test_support.h"

using namespace hyt;

namespace {

QLineEdit* Edit(const QWidget& dialog, const char* id)
{
    return Control<QLineEdit>(dialog, id);
}

QString FaultShown(const QWidget& dialog)
{
    const auto* fault = dialog.findChild<QLabel*>(QStringLiteral("IDC_FORMULA_FAULT"));
    return fault && fault->isVisible() ? fault->text() : QString();
}

// A session drawn by the dialog, and how often it was asked to draw.
struct Drawing {
    ViewerSession session;
    int calls = 0;
    CFormulaDlg::Chooser Chooser()
    {
        return [this](const std::string& formula, FormulaRange x, FormulaRange y) {
            ++calls;
            return ChooseFormula(session, formula, x, y).formula.error;
        };
    }
};

void Type(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

} // namespace

class FormulaDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void aFaultIsShownAndMarkedAndTheDialogStays_data();
    void aFaultIsShownAndMarkedAndTheDialogStays();
    void aFormulaIsDrawnAsTheExamplesAreAndRemembered();
    void cancelKeepsThePictureAndTheLastEntries();
};

void FormulaDialogTest::aFaultIsShownAndMarkedAndTheDialogStays_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("xLow");
    QTest::addColumn<QString>("xHigh");
    QTest::addColumn<QString>("field");  // where the focus goes
    QTest::addColumn<int>("cursor");     // where the cursor or the marked text starts
    QTest::addColumn<QString>("marked"); // the text marked
    QTest::addColumn<QString>("saying"); // part of the message
    QTest::addColumn<bool>("tried");     // whether the formula was tried

    QTest::newRow("unclosed, at the end") << "sqrt(x*x+y*y"
                                          << "-6"
                                          << "6"
                                          << "IDC_FORMULA_EDIT" << 12 << ""
                                          << "tras el carácter 12" << true;
    QTest::newRow("unknown name") << "sin(x)*z"
                                  << "-6"
                                  << "6"
                                  << "IDC_FORMULA_EDIT" << 7 << "z"
                                  << "«z», en el carácter 8," << true;
    QTest::newRow("missing operator") << "2x+1"
                                      << "-6"
                                      << "6"
                                      << "IDC_FORMULA_EDIT" << 1 << "x"
                                      << "el carácter 2" << true;
    QTest::newRow("sign no formula has") << "x·y"
                                         << "-6"
                                         << "6"
                                         << "IDC_FORMULA_EDIT" << 1 << "·"
                                         << "«·» del carácter 2" << true;
    QTest::newRow("empty interval") << "x"
                                    << "3"
                                    << "3"
                                    << "IDC_X_LOW" << 0 << "3"
                                    << "El intervalo de x no sirve" << true;
    QTest::newRow("bound not a number") << "x"
                                        << "-6"
                                        << "seis"
                                        << "IDC_X_HIGH" << 0 << "seis"
                                        << "«seis» no es un número" << false;
}

void FormulaDialogTest::aFaultIsShownAndMarkedAndTheDialogStays()
{
    QFETCH(QString, formula);
    QFETCH(QString, xLow);
    QFETCH(QString, xHigh);
    QFETCH(QString, field);
    QFETCH(int, cursor);
    QFETCH(QString, marked);
    QFETCH(QString, saying);
    QFETCH(bool, tried);

    Drawing drawing;
    drawing.session.ChooseExample("Mandelbrot");
    const double zScale = drawing.session.Scene().zScale;
    FormulaEntries entries;
    CFormulaDlg dialog(entries, drawing.Chooser());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    Type(Edit(dialog, "IDC_FORMULA_EDIT"), formula);
    Type(Edit(dialog, "IDC_X_LOW"), xLow);
    Type(Edit(dialog, "IDC_X_HIGH"), xHigh);
    QTest::keyClick(Edit(dialog, "IDC_X_HIGH"), Qt::Key_Return);

    QVERIFY(dialog.isVisible());
    QCOMPARE(drawing.calls, tried ? 1 : 0);
    QVERIFY2(FaultShown(dialog).contains(saying), qPrintable(FaultShown(dialog)));
    QLineEdit* faulty = Edit(dialog, field.toLatin1().constData());
    QCOMPARE(dialog.focusWidget(), faulty);
    QCOMPARE(faulty->selectedText(), marked);
    QCOMPARE(marked.isEmpty() ? faulty->cursorPosition() : faulty->selectionStart(), cursor);
    // The picture and the scene are the example's still.
    QCOMPARE(drawing.session.Scene().zScale, zScale);
    // What was tried comes back next time.
    QCOMPARE(entries.formula, formula);
    QCOMPARE(entries.xHigh, xHigh);
}

void FormulaDialogTest::aFormulaIsDrawnAsTheExamplesAreAndRemembered()
{
    Drawing drawing;
    FormulaEntries entries;
    {
        CFormulaDlg dialog(entries, drawing.Chooser());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Typed with its own intervals, a comma as the decimal mark.
        Type(Edit(dialog, "IDC_FORMULA_EDIT"), QStringLiteral("sin(x)*sin(y)"));
        for (const char* id : {"IDC_X_LOW", "IDC_Y_LOW"})
            Type(Edit(dialog, id), QStringLiteral(" -9,0 "));
        for (const char* id : {"IDC_X_HIGH", "IDC_Y_HIGH"})
            Type(Edit(dialog, id), QStringLiteral("9"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("IDOK")), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(drawing.calls, 1);
    QVERIFY(drawing.session.HasSource());
    auto example = std::make_unique<SceneState>();
    GenerateSineProduct(*example);
    for (int k = 0; k < kVertexCount; k += 101)
        QVERIFY(std::abs(drawing.session.Scene().heights[std::size_t(k)] -
                         example->heights[std::size_t(k)]) <= 1e-9);

    // Opened again: the last formula and intervals, as typed.
    CFormulaDlg again(entries, drawing.Chooser());
    QCOMPARE(Edit(again, "IDC_FORMULA_EDIT")->text(), QStringLiteral("sin(x)*sin(y)"));
    QCOMPARE(Edit(again, "IDC_X_LOW")->text(), QStringLiteral(" -9,0 "));
    QCOMPARE(Edit(again, "IDC_Y_HIGH")->text(), QStringLiteral("9"));
}

void FormulaDialogTest::cancelKeepsThePictureAndTheLastEntries()
{
    Drawing drawing;
    FormulaEntries entries;
    entries.formula = QStringLiteral("x*y");
    for (const int key : {int(Qt::Key_Escape), 0}) {
        CFormulaDlg dialog(entries, drawing.Chooser());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Opened with the last entries, and the defaults for the intervals.
        QCOMPARE(Edit(dialog, "IDC_FORMULA_EDIT")->text(), QStringLiteral("x*y"));
        QCOMPARE(Edit(dialog, "IDC_X_LOW")->text(), QStringLiteral("-6"));
        QCOMPARE(Edit(dialog, "IDC_Y_HIGH")->text(), QStringLiteral("6"));
        Type(Edit(dialog, "IDC_FORMULA_EDIT"), QStringLiteral("x+y"));
        if (key != 0)
            QTest::keyClick(&dialog, Qt::Key(key));
        else
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("IDCANCEL")),
                              Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QCOMPARE(drawing.calls, 0);
    QVERIFY(!drawing.session.HasSource());
    QCOMPARE(entries.formula, QStringLiteral("x*y"));
}

int RunFormulaDialogTests(int argc, char** argv)
{
    FormulaDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "formula_dialog_test.moc"
