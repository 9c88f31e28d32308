// Writing the pictures of the screens: names that never overwrite, and a
// folder that cannot be had reported without a file left behind.

#include "platform/PictureHelper.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPictureHelper : public QObject
{
    Q_OBJECT

private slots:
    void saveImages_data();
    void saveImages();
};

void TestPictureHelper::saveImages_data()
{
    QTest::addColumn<QString>("folder");
    // A file already lying where the folder or the first picture goes.
    QTest::addColumn<QString>("inTheWay");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("new folder") << "Pictures/Inkly"
                                << ""
                                << "" << QStringList { "Inkly_2026-12-09_11-52-03_screen1.png", "Inkly_2026-12-09_11-52-03_screen2.png" };
    QTest::newRow("name taken") << "Inkly"
                                << "Inkly/Inkly_2026-12-09_11-52-03_screen1.png"
                                << "" << QStringList { "Inkly_2026-12-09_11-52-03_screen1-2.png", "Inkly_2026-12-09_11-52-03_screen2.png" };
    QTest::newRow("folder is a file") << "Pictures/Inkly"
                                      << "Pictures"
                                      << "folder" << QStringList {};
}

void TestPictureHelper::saveImages()
{
    QFETCH(QString, folder);
    QFETCH(QString, inTheWay);
    QFETCH(QString, failure);
    QFETCH(QStringList, names);

    QTemporaryDir base;
    const QDir top(base.path());
    if (!inTheWay.isEmpty()) {
        top.mkpath(QFileInfo(inTheWay).path());
        QFile file(top.filePath(inTheWay));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep") == 4);
    }
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QDateTime time(QDate(2026, 12, 9), QTime(11, 52, 3));
    const auto result = PictureHelper::saveImages({ image, image }, top.filePath(folder), time);

    QCOMPARE(result.failure, failure);
    QStringList written;
    for (const QString &path : result.paths) {
        written.append(QFileInfo(path).fileName());
        QCOMPARE(QImage(path).size(), image.size());
    }
    QCOMPARE(written, names);
    if (!inTheWay.isEmpty()) {
        QFile file(top.filePath(inTheWay));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep"));
    }
}

QTEST_MAIN(TestPictureHelper)
#include "tst_picturehelper.moc"
