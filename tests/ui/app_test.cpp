// hyt's command line, run as a user runs it: what it answers without a
// display, to an argument it does not know, and when no window can open.
#include <QDir>
#include <QProcess>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// Runs hyt with args in an environment without any display, changed by set
// (NAME=value) and unset (NAME).
Run RunViewer(const QStringList& args, const QStringList& set = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(name));
    for (const QString& pair : set)
        environment.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    QProcess viewer;
    viewer.setProcessEnvironment(environment);
    viewer.start(QStringLiteral(HYT_VIEWER), args);
    Run run;
    if (!viewer.waitForFinished(20000)) {
        viewer.kill();
        viewer.waitForFinished();
        return run;
    }
    run.status = viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1;
    run.out = QString::fromUtf8(viewer.readAllStandardOutput());
    run.err = QString::fromUtf8(viewer.readAllStandardError());
    return run;
}

} // namespace

class AppTest : public QObject {
    Q_OBJECT

  private slots:
    void answersOnlyWithADisplay_data();
    void answersOnlyWithADisplay();
    void noDisplayAbortsWithAParagraph_data();
    void noDisplayAbortsWithAParagraph();
    void offscreenNoLongerStarts_data();
    void offscreenNoLongerStarts();
};

void AppTest::answersOnlyWithADisplay_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Uso: hyt"
                            << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "hyt "
                               << "";
    QTest::newRow("an unknown option") << QStringList{"--zoom"} << 2 << ""
                                       << "«--zoom»";
    QTest::newRow("two data files") << QStringList{"x.hyt", "y.hyt"} << 2 << ""
                                    << "«y.hyt»";
    // One data file is opened in the window, which needs a display.
    QTest::newRow("a data file") << QStringList{"x.hyt"} << 1 << ""
                                 << "no hay ninguna pantalla";
}

void AppTest::answersOnlyWithADisplay()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Run run = RunViewer(args);
    QCOMPARE(run.status, status);
    QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.startsWith(out), qPrintable(run.out));
    QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), qPrintable(run.err));
}

void AppTest::noDisplayAbortsWithAParagraph_data()
{
    QTest::addColumn<QStringList>("set");
    QTest::newRow("no display at all") << QStringList{};
    QTest::newRow("an X display nobody serves") << QStringList{"DISPLAY=:4242"};
    QTest::newRow("X asked for, none given") << QStringList{"QT_QPA_PLATFORM=xcb"};
    QTest::newRow("a platform that does not start") << QStringList{"QT_QPA_PLATFORM=nosuch"};
}

void AppTest::noDisplayAbortsWithAParagraph()
{
    QFETCH(QStringList, set);
    const Run run = RunViewer({}, set);
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err.count(u'\n'), 1);
    QVERIFY2(run.err.contains(QStringLiteral("no hay ninguna pantalla")), qPrintable(run.err));
}

void AppTest::offscreenNoLongerStarts_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no file") << QStringList{};
    // The file is reported in the window, which stays open.
    QTest::newRow("a file that is not there") << QStringList{"falta.hyt"};
}

void AppTest::offscreenNoLongerStarts()
{
    QFETCH(QStringList, args);
    // A platform without a display opens the window and keeps it open.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess viewer;
    viewer.setProcessEnvironment(environment);
    viewer.setWorkingDirectory(QDir::tempPath());
    viewer.start(QStringLiteral(HYT_VIEWER), args);
    QVERIFY(viewer.waitForStarted());
    QVERIFY2(!viewer.waitForFinished(1500), qPrintable(viewer.readAllStandardError()));
    viewer.kill();
    viewer.waitForFinished();
}

QTEST_GUILESS_MAIN(AppTest)
#include "app_test.moc"
