#include "ui_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <cstring>

#include "ui/SurfaceDlg.h"

void OnNextModal(std::function<void(QWidget*)> action, QWidget* except)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, except] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == except || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

QStringList Entries(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

void ShowActive(QWidget& dialog)
{
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

QImage ShownPicture(hyt::CSurfaceDlg& dialog)
{
    return dialog.grab(hyt::CSurfaceDlg::PictureRect())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool IsUniform(const QImage& image, QRgb rgb)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != rgb)
                return false;
    return true;
}

ScratchDirectory::ScratchDirectory() : previous(QDir::currentPath())
{
    QDir::setCurrent(dir.path());
}

ScratchDirectory::~ScratchDirectory()
{
    QDir::setCurrent(previous);
}

QString ScratchDirectory::Path(const QString& name) const
{
    return dir.filePath(name);
}

void ScratchDirectory::Write(const QString& name, const QByteArray& bytes) const
{
    QFile file(Path(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray DataFileBytes(int count, double first)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        const double value = first + i;
        quint64 word;
        std::memcpy(&word, &value, sizeof word);
        word = qToLittleEndian(word);
        bytes.append(reinterpret_cast<const char*>(&word), sizeof word);
    }
    return bytes;
}
