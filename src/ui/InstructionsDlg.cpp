#include "ui/InstructionsDlg.h"

#include <QLabel>
#include <QPushButton>

#include "platform/DialogUnits.h"
#include "platform/UiText.h"
#include "ui/Resource.h"
#include "texts/Texts.h"

namespace hyt {

CInstructionsDlg::CInstructionsDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("IDD_INSTRUCTIONS"));
    setFont(DialogFont());
    setWindowTitle(QStringLiteral("Dialog"));
    setFixedSize(DialogUnitsToPixelsX(473), DialogUnitsToPixelsY(267));

    closeButton = new QPushButton(UiText(CloseButtonText()), this);
    closeButton->setObjectName(QStringLiteral("IDOK"));
    closeButton->setProperty("controlId", IDOK);
    closeButton->setGeometry(DialogRect(416, 246, 50, 14));
    closeButton->setDefault(true);
    connect(closeButton, &QPushButton::clicked, this, &CInstructionsDlg::accept);

    // Wrapped at its width; what does not fit its height is cut off.
    textLabel = new QLabel(this);
    textLabel->setObjectName(QStringLiteral("IDC_INSTRUCTIONS_TEXT"));
    textLabel->setProperty("controlId", IDC_INSTRUCTIONS_TEXT);
    textLabel->setTextFormat(Qt::PlainText);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel->setWordWrap(true);
    textLabel->setGeometry(DialogRect(7, 9, 459, 235));
}

int CInstructionsDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

void CInstructionsDlg::DoDataExchange(Exchange direction)
{
    if (direction == Exchange::ToControls)
        textLabel->setText(instructionsText);
    else
        instructionsText = textLabel->text();
}

bool CInstructionsDlg::OnInitDialog()
{
    DoDataExchange(Exchange::ToControls);
    setWindowTitle(UiText(InstructionsCaption()));
    // Built from nothing each time, so that a second opening shows the text once.
    instructionsText = UiText(BuildInstructionsText());
    DoDataExchange(Exchange::ToControls);
    closeButton->setFocus();
    return true;
}

void CInstructionsDlg::accept()
{
    DoDataExchange(Exchange::FromControls);
    QDialog::accept();
}

} // namespace hyt
