#include "ui/FormulaDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/DialogUnits.h"
#include "platform/UiText.h"
#include "texts/SourceTexts.h"
#include "texts/Texts.h"
#include "ui/Resource.h"

namespace hyt {

namespace {

// Room for a formula like the longest example label and then some.
constexpr int kFormulaFieldWidth = DialogUnitsToPixelsX(220);
constexpr int kBoundFieldWidth = DialogUnitsToPixelsX(50);

QLineEdit* Field(QWidget* parent, const char* name, const QString& text, int width)
{
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMinimumWidth(width);
    field->setMaxLength(int(kMaxFormulaLength) * 2);
    return field;
}

QLabel* StaticText(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

std::optional<double> ReadBound(const QString& text)
{
    QString number = text.trimmed();
    number.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

CFormulaDlg::CFormulaDlg(FormulaEntries& shown, Chooser chooser, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      entries(shown), choose(std::move(chooser))
{
    setObjectName(QStringLiteral("IDD_FORMULA"));
    setFont(DialogFont());
    setWindowTitle(UiText(FormulaCaption()));

    // Tab order: the formula, x from and to, y from and to, then the buttons.
    formulaEdit = Field(this, "IDC_FORMULA_EDIT", entries.formula, kFormulaFieldWidth);
    xLowEdit = Field(this, "IDC_X_LOW", entries.xLow, kBoundFieldWidth);
    xHighEdit = Field(this, "IDC_X_HIGH", entries.xHigh, kBoundFieldWidth);
    yLowEdit = Field(this, "IDC_Y_LOW", entries.yLow, kBoundFieldWidth);
    yHighEdit = Field(this, "IDC_Y_HIGH", entries.yHigh, kBoundFieldWidth);

    auto* prompt = new QHBoxLayout;
    prompt->addWidget(StaticText(this, UiText(FormulaPromptText())));
    prompt->addWidget(formulaEdit, 1);

    auto* ranges = new QGridLayout;
    const auto addRange = [&](int row, const std::string& label, QLineEdit* low, QLineEdit* high) {
        ranges->addWidget(StaticText(this, UiText(label)), row, 0);
        ranges->addWidget(low, row, 1);
        ranges->addWidget(StaticText(this, UiText(RangeToText())), row, 2);
        ranges->addWidget(high, row, 3);
    };
    addRange(0, XRangeLabel(), xLowEdit, xHighEdit);
    addRange(1, YRangeLabel(), yLowEdit, yHighEdit);
    ranges->setColumnStretch(4, 1);

    auto* hint = StaticText(this, UiText(FormulaHintText()));
    hint->setWordWrap(true);

    faultText = StaticText(this, QString());
    faultText->setObjectName(QStringLiteral("IDC_FORMULA_FAULT"));
    faultText->setWordWrap(true);
    faultText->setStyleSheet(QStringLiteral("color: #b00000"));
    faultText->hide();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(UiText(OkButtonText()), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setProperty("controlId", IDOK);
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(UiText(CancelButtonText()), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    cancel->setProperty("controlId", IDCANCEL);
    cancel->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFormulaDlg::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(prompt);
    layout->addWidget(hint);
    layout->addLayout(ranges);
    layout->addWidget(faultText);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    formulaEdit->setFocus();
    formulaEdit->selectAll();
}

int CFormulaDlg::DoModal()
{
    return exec();
}

void CFormulaDlg::ShowFault(const std::string& message, QLineEdit* field, int start, int length)
{
    faultText->setText(UiText(message));
    faultText->show();
    field->setFocus();
    const int size = int(field->text().size());
    start = std::clamp(start, 0, size);
    if (length > 0)
        field->setSelection(start, std::min(length, size - start));
    else
        field->setCursorPosition(start);
}

void CFormulaDlg::OnOK()
{
    entries = {formulaEdit->text(), xLowEdit->text(), xHighEdit->text(), yLowEdit->text(),
               yHighEdit->text()};

    // The bounds are read first: a formula is tried only on intervals.
    const struct {
        QLineEdit* field;
        const char* variable;
    } bounds[] = {{xLowEdit, "x"}, {xHighEdit, "x"}, {yLowEdit, "y"}, {yHighEdit, "y"}};
    double values[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> value = ReadBound(bounds[i].field->text());
        if (!value) {
            ShowFault(FormulaBoundMessage(bounds[i].variable,
                                          bounds[i].field->text().trimmed().toStdString()),
                      bounds[i].field, 0, int(bounds[i].field->text().size()));
            return;
        }
        values[i] = *value;
    }

    const QByteArray formula = formulaEdit->text().toUtf8();
    const FormulaError error = choose(formula.toStdString(), FormulaRange{values[0], values[1]},
                                      FormulaRange{values[2], values[3]});
    switch (error.kind) {
    case FormulaErrorKind::None:
        accept();
        return;
    case FormulaErrorKind::BadXRange:
        ShowFault(FormulaErrorMessage(error), xLowEdit, 0, int(xLowEdit->text().size()));
        return;
    case FormulaErrorKind::BadYRange:
        ShowFault(FormulaErrorMessage(error), yLowEdit, 0, int(yLowEdit->text().size()));
        return;
    default:
        // Every byte before the position is ASCII, so it is also the index of
        // the character in the field's text.
        ShowFault(FormulaErrorMessage(error), formulaEdit, error.position,
                  int(QString::fromStdString(error.token).size()));
        return;
    }
}

} // namespace hyt
