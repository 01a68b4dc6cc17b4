// The platform stand-ins: the scroll bar reports codes and never moves by
// itself; the sorted combo boxes sort and never choose an entry by typing.
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

#include "platform/DialogUnits.h"
#include "platform/ScrollBarControl.h"
#include "platform/SortedComboBox.h"
#include "view/ViewControls.h"

using namespace hyt;

namespace {

// The bar with the style's geometry of its parts.
class TestBar : public ScrollBarControl {
  public:
    using ScrollBarControl::ScrollBarControl;
    QPoint Centre(QStyle::SubControl part)
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_ScrollBar, &option, part, this).center();
    }
};

using Report = QPair<unsigned, unsigned>; // code, position

QList<Report> Reports(const QSignalSpy& spy)
{
    QList<Report> reports;
    for (const QList<QVariant>& args : spy)
        reports.append({args.at(0).toUInt(), args.at(1).toUInt()});
    return reports;
}

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT

  private slots:
    void dialogUnitsGiveTheTemplatePixels_data();
    void dialogUnitsGiveTheTemplatePixels();
    void barClicksReportCodesAndLeaveThePosition_data();
    void barClicksReportCodesAndLeaveThePosition();
    void barThumbDragTracksWhereTheProgramPutsIt();
    void barWheelStepsLines();
    void barHasNoContextMenu();
    void comboSortsWithoutRegardToCase();
    void bulkFillOrdersOtherwiseThanOneByOne();
    void typingInTheEditableComboChoosesNothing();
};

void PlatformTest::dialogUnitsGiveTheTemplatePixels_data()
{
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QRect>("pixels");
    // The main window's client area and the rectangles that decide the
    // picture area's place: halves round away from zero.
    QTest::newRow("client area") << QRect(0, 0, 529, 331) << QRect(0, 0, 794, 538);
    QTest::newRow("Cerrar") << QRect(7, 310, 66, 14) << QRect(11, 504, 99, 23);
    QTest::newRow("zoom bar") << QRect(21, 91, 15, 141) << QRect(32, 148, 23, 229);
    QTest::newRow("About box") << QRect(0, 0, 252, 89) << QRect(0, 0, 378, 145);
}

void PlatformTest::dialogUnitsGiveTheTemplatePixels()
{
    QFETCH(QRect, units);
    QFETCH(QRect, pixels);
    QCOMPARE(DialogRect(units.x(), units.y(), units.width(), units.height()), pixels);
}

void PlatformTest::barClicksReportCodesAndLeaveThePosition_data()
{
    QTest::addColumn<int>("part");
    QTest::addColumn<unsigned>("code");
    QTest::newRow("top arrow") << int(QStyle::SC_ScrollBarSubLine) << unsigned(SB_LINEUP);
    QTest::newRow("bottom arrow") << int(QStyle::SC_ScrollBarAddLine) << unsigned(SB_LINEDOWN);
    QTest::newRow("above the thumb") << int(QStyle::SC_ScrollBarSubPage) << unsigned(SB_PAGEUP);
    QTest::newRow("below the thumb") << int(QStyle::SC_ScrollBarAddPage) << unsigned(SB_PAGEDOWN);
}

void PlatformTest::barClicksReportCodesAndLeaveThePosition()
{
    QFETCH(int, part);
    QFETCH(unsigned, code);
    TestBar bar;
    bar.setGeometry(DialogRect(21, 91, 15, 141));
    bar.SetScrollRange(0, 50);
    bar.SetScrollPos(25);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QSignalSpy spy(&bar, &ScrollBarControl::Scrolled);

    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.Centre(QStyle::SubControl(part)));

    // One action, then the end of it at the release; nobody set a position,
    // so the bar has not moved.
    QCOMPARE(Reports(spy), (QList<Report>{{code, 25u}, {unsigned(SB_ENDSCROLL), 25u}}));
    QCOMPARE(bar.value(), 25);
    QCOMPARE(bar.sliderPosition(), 25);
}

void PlatformTest::barThumbDragTracksWhereTheProgramPutsIt()
{
    TestBar bar;
    bar.setGeometry(DialogRect(43, 91, 15, 141));
    bar.SetScrollRange(30, 300);
    bar.SetScrollPos(100);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QSignalSpy spy(&bar, &ScrollBarControl::Scrolled);
    // The program follows the thumb, as the "P" bar does.
    connect(&bar, &ScrollBarControl::Scrolled, &bar, [&bar](ScrollCode code, unsigned position) {
        if (code == SB_THUMBTRACK)
            bar.SetScrollPos(int(position));
    });

    const QPoint thumb = bar.Centre(QStyle::SC_ScrollBarSlider);
    QTest::mousePress(&bar, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(&bar, thumb + QPoint(0, 30));
    QTest::mouseMove(&bar, thumb + QPoint(0, 60));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, thumb + QPoint(0, 60));

    const QList<Report> reports = Reports(spy);
    QVERIFY2(reports.size() >= 3, "a drag, its end and the end of the action");
    for (int i = 0; i + 2 < reports.size(); ++i)
        QCOMPARE(reports[i].first, unsigned(SB_THUMBTRACK));
    const unsigned last = reports[reports.size() - 3].second;
    QVERIFY(last > 100u);
    QCOMPARE(reports[reports.size() - 2], Report(SB_THUMBPOSITION, last));
    QCOMPARE(reports.back(), Report(SB_ENDSCROLL, last));
    QCOMPARE(bar.value(), int(last));
}

void PlatformTest::barWheelStepsLines()
{
    TestBar bar;
    bar.SetScrollRange(0, 50);
    bar.SetScrollPos(10);
    QSignalSpy spy(&bar, &ScrollBarControl::Scrolled);
    const QPointF at(5, 50);
    QWheelEvent up(at, at, {}, QPoint(0, 240), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&bar, &up);
    QWheelEvent down(at, at, {}, QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&bar, &down);
    QCOMPARE(Reports(spy), (QList<Report>{{unsigned(SB_LINEUP), 10u},
                                          {unsigned(SB_LINEUP), 10u},
                                          {unsigned(SB_ENDSCROLL), 10u},
                                          {unsigned(SB_LINEDOWN), 10u},
                                          {unsigned(SB_ENDSCROLL), 10u}}));
    QCOMPARE(bar.value(), 10);
}

void PlatformTest::barHasNoContextMenu()
{
    // "Scroll here" would move the bar behind the program's back.
    TestBar bar;
    QCOMPARE(bar.contextMenuPolicy(), Qt::PreventContextMenu);
    QCOMPARE(bar.focusPolicy(), Qt::NoFocus);
}

void PlatformTest::comboSortsWithoutRegardToCase()
{
    SortedComboBox combo(ComboEdit::None);
    for (const char* text : {"sin(y)*x", "b", "Mandelbrot", "", "B", "a"})
        combo.AddString(QString::fromLatin1(text));
    QStringList shown;
    for (int i = 0; i < combo.count(); ++i)
        shown << combo.itemText(i);
    // Equal texts keep the order in which they came.
    QCOMPARE(shown, (QStringList{"", "a", "b", "B", "Mandelbrot", "sin(y)*x"}));
}

void PlatformTest::bulkFillOrdersOtherwiseThanOneByOne()
{
    // The fill of a big folder and the one-by-one insertion must give the
    // same list, ties included, each entry with its own data.
    const QStringList names{"zeta", "Ábaco", "abaco", "ñu", "nube", "Nube",     "árbol", "b\uFFFDc",
                            "",     "Oso",   "abaco", "N",  "ñ",    "sin(y)*x", "1x",    "_x"};
    SortedComboBox oneByOne(ComboEdit::Editable);
    SortedComboBox bulk(ComboEdit::Editable);
    bulk.AddString(QStringLiteral("beta"), -1); // already listed before the fill
    oneByOne.AddString(QStringLiteral("beta"), -1);
    QList<ComboEntry> entries;
    for (int i = 0; i < names.size(); ++i) {
        oneByOne.AddString(names[i], i);
        entries.append({names[i], i});
    }
    bulk.AddStrings(entries);
    QCOMPARE(bulk.count(), oneByOne.count());
    for (int i = 0; i < bulk.count(); ++i) {
        QCOMPARE(bulk.itemText(i), oneByOne.itemText(i));
        QCOMPARE(bulk.itemData(i), oneByOne.itemData(i));
    }
    QCOMPARE(bulk.currentIndex(), -1);
}

void PlatformTest::typingInTheEditableComboChoosesNothing()
{
    SortedComboBox combo(ComboEdit::Editable);
    combo.AddString(QStringLiteral("surface"), 7);
    combo.AddString(QStringLiteral("alpha"), 3);
    combo.setCurrentIndex(-1);
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    combo.setFocus();
    QSignalSpy activated(&combo, &QComboBox::activated);

    // Typing an entry's full name, then Enter, then leaving the field.
    QTest::keyClicks(&combo, QStringLiteral("surface"));
    QTest::keyClick(&combo, Qt::Key_Return);
    combo.clearFocus();

    QCOMPARE(activated.count(), 0);
    QCOMPARE(combo.currentIndex(), -1);
    QCOMPARE(combo.count(), 2); // nothing inserted
    QVERIFY(combo.completer() == nullptr);
}

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
