#include "ui/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "platform/DialogUnits.h"
#include "platform/UiText.h"
#include "ui/MainIcon.h"
#include "ui/Resource.h"
#include "texts/Texts.h"

namespace hyt {

namespace {

QLabel* StaticText(QWidget* parent, const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setGeometry(rect);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("IDD_ABOUT"));
    setFont(DialogFont());
    setWindowTitle(UiText(AboutCaption()));
    setFixedSize(DialogUnitsToPixelsX(252), DialogUnitsToPixelsY(89));

    // The controls in template order, which is also the tab order.
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(PaintMainIcon(kMainIconSize)));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    icon->setGeometry(DialogRect(10, 9, 21, 20));
    icon->setObjectName(QStringLiteral("IDI_MAIN"));

    StaticText(this, UiText(AboutTitleText()), DialogRect(46, 9, 143, 21));

    auto* ok = new QPushButton(UiText(OkButtonText()), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setProperty("controlId", IDOK);
    ok->setGeometry(DialogRect(198, 6, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    StaticText(this, UiText(AboutMakerText()), DialogRect(46, 32, 143, 46))
        ->setObjectName(QStringLiteral("makerText"));

    ok->setFocus();
}

int CAboutDlg::DoModal()
{
    return exec();
}

} // namespace hyt
