// The About box and the instructions window: captions, exact texts, every
// way of closing them.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/AboutDlg.h"
#include "ui/InstructionsDlg.h"
#include "ui_test_support.h"

using namespace hyt;

namespace {

// The ways to close a dialog whose default button is button.
enum class Closing { Button, Enter, Escape, CloseBox };

void Close(QWidget* dialog, Closing how)
{
    switch (how) {
    case Closing::Button:
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("IDOK")), Qt::LeftButton);
        break;
    case Closing::Enter:
        QTest::keyClick(dialog, Qt::Key_Return);
        break;
    case Closing::Escape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case Closing::CloseBox:
        dialog->close();
        break;
    }
}

void AddClosingRows()
{
    QTest::addColumn<int>("how");
    QTest::newRow("its button") << int(Closing::Button);
    QTest::newRow("Enter") << int(Closing::Enter);
    QTest::newRow("Esc") << int(Closing::Escape);
    QTest::newRow("close box") << int(Closing::CloseBox);
}

// Whether the label's text, wrapped at its width, fits its height.
bool FitsItsControl(const QLabel* label)
{
    const QRect needed = label->fontMetrics().boundingRect(
        QRect(0, 0, label->width(), 10000), Qt::TextWordWrap | Qt::AlignLeft, label->text());
    return needed.height() <= label->height() && needed.width() <= label->width();
}

QString InstructionsShown()
{
    QString caption;
    QString text;
    OnNextModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        text = modal->findChild<QLabel*>(QStringLiteral("IDC_INSTRUCTIONS_TEXT"))->text();
        Close(modal, Closing::Escape);
    });
    CInstructionsDlg dialog(nullptr);
    dialog.DoModal();
    return caption + u'|' + text;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void aboutBoxNamesTheProgramAndItsMaker();
    void aboutBoxCloses_data() { AddClosingRows(); }
    void aboutBoxCloses();
    void instructionsHaveTheirCaptionAndLayout();
    void instructionsAreTheSameOnEveryOpening();
    void instructionsClose_data() { AddClosingRows(); }
    void instructionsClose();
};

void DialogsTest::aboutBoxNamesTheProgramAndItsMaker()
{
    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("Sobre Hyt"));
    QCOMPARE(about.size(), QSize(378, 145));

    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        if (label->pixmap().isNull()) {
            texts << label->text();
            QVERIFY2(FitsItsControl(label), qPrintable(label->text()));
        } else {
            QCOMPARE(label->pixmap().size(), QSize(32, 32)); // IDI_MAIN
        }
    }
    QVERIFY(texts.contains(
        QString::fromUtf8("Representación tridimensional de funciones de dos variables.")));

    const QString maker = about.findChild<QLabel*>(QStringLiteral("makerText"))->text();
    const QStringList lines = maker.split(u'\n');
    QCOMPARE(lines.size(), 5);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!lines[i].isEmpty());
    QVERIFY(lines[3].isEmpty());
    QCOMPARE(lines[4], QStringLiteral("PROGRAMA GRATUITO - FREE"));
}

void DialogsTest::aboutBoxCloses()
{
    QFETCH(int, how);
    QString caption;
    OnNextModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        Close(modal, Closing(how));
    });
    CAboutDlg about;
    about.DoModal();
    QCOMPARE(caption, QStringLiteral("Sobre Hyt"));
    QVERIFY(!about.isVisible());
}

void DialogsTest::instructionsHaveTheirCaptionAndLayout()
{
    const QString shown = InstructionsShown();
    const qsizetype bar = shown.indexOf(u'|');
    QCOMPARE(shown.left(bar), QStringLiteral("INSTRUCCIONES"));
    const QString text = shown.mid(bar + 1);

    // The first line is empty, and the text ends with a line feed.
    QVERIFY(text.startsWith(u'\n'));
    QVERIFY(text.endsWith(QStringLiteral("\nEn caso de dudas, ir a https://hyt.example.org\n")));

    // Empty lines before each heading: two before the first and before the
    // closing line, one before the others; every paragraph under a heading
    // begins with four blanks.
    const QStringList lines = text.split(u'\n');
    struct Heading {
        const char* text;
        int emptyLinesBefore;
        bool indentedParagraph;
    };
    const Heading headings[] = {
        {"1. Leer fichero:", 2, true},
        {"2. Escoger ejemplo:", 1, true},
        {"3. Botón izquierdo del ratón:", 1, true},
        {"4. Barra Z", 1, true},
        {"5. Barra P", 1, true},
        {"6. Color", 1, true},
        {"En caso de dudas, ir a https://hyt.example.org", 2, false},
    };
    for (const Heading& heading : headings) {
        const QString name = QString::fromUtf8(heading.text);
        QCOMPARE(lines.count(name), 1);
        const qsizetype at = lines.indexOf(name);
        for (int k = 1; k <= heading.emptyLinesBefore; ++k)
            QVERIFY2(lines[at - k].isEmpty(), heading.text);
        QVERIFY2(!lines[at - heading.emptyLinesBefore - 1].isEmpty(), heading.text);
        if (heading.indentedParagraph)
            QVERIFY2(lines[at + 1].startsWith(QStringLiteral("    ")) && lines[at + 1][4] != u' ',
                     heading.text);
    }
    // The spellings the users know.
    QVERIFY(text.contains(QStringLiteral("donde se encuentre le programa")));
    QVERIFY(text.contains(QString::fromUtf8("doble precisón (8 bytes)")));
    QVERIFY(text.contains(QStringLiteral("se iniciliza la figura")));

    // Wrapped at the static text's width, it fits its height.
    CInstructionsDlg dialog(nullptr);
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("IDC_INSTRUCTIONS_TEXT"));
    label->setText(text.chopped(1)); // the final line feed shows no line
    QVERIFY(FitsItsControl(label));
}

void DialogsTest::instructionsAreTheSameOnEveryOpening()
{
    const QString first = InstructionsShown();
    const QString second = InstructionsShown();
    QCOMPARE(second, first);
    QCOMPARE(first.count(QStringLiteral("1. Leer fichero:")), 1);

    // Also when one window object is run twice.
    CInstructionsDlg dialog(nullptr);
    QString texts[2];
    for (QString& text : texts) {
        OnNextModal([&](QWidget* modal) {
            text = modal->findChild<QLabel*>(QStringLiteral("IDC_INSTRUCTIONS_TEXT"))->text();
            Close(modal, Closing::Button);
        });
        dialog.DoModal();
    }
    QCOMPARE(texts[1], texts[0]);
    QCOMPARE(dialog.instructionsText, texts[0]);
}

void DialogsTest::instructionsClose()
{
    QFETCH(int, how);
    QString caption;
    OnNextModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        Close(modal, Closing(how));
    });
    CInstructionsDlg dialog(nullptr);
    dialog.DoModal();
    QCOMPARE(caption, QStringLiteral("INSTRUCCIONES"));
    QVERIFY(!dialog.isVisible());
}

int RunDialogsTests(int argc, char** argv)
{
    DialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "dialogs_test.moc"
