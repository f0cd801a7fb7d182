// The built-in icons: every promised size is there, drawn in at most sixteen colours.
#include "ui/icons.h"

#include <QImage>
#include <QSet>
#include <QtTest>

class TestIcons : public QObject {
    Q_OBJECT
  private slots:
    void hasEverySize_data();
    void hasEverySize();
};

void TestIcons::hasEverySize_data() {
    QTest::addColumn<QIcon>("icon");
    QTest::addColumn<int>("size");
    QTest::newRow("main 32") << Icons::main() << 32;
    QTest::newRow("main 64") << Icons::main() << 64;
    QTest::newRow("progress 16") << Icons::progress() << 16;
    QTest::newRow("progress 32") << Icons::progress() << 32;
    QTest::newRow("progress 48") << Icons::progress() << 48;
}

void TestIcons::hasEverySize() {
    QFETCH(QIcon, icon);
    QFETCH(int, size);
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    const QImage image =
        icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(size, size));

    QSet<QRgb> colours;
    int opaque = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            QCOMPARE(qAlpha(p), 255); // hard edges: no half-transparent pixels
            colours.insert(p);
            ++opaque;
        }
    QVERIFY2(colours.size() <= 16, qPrintable(QString::number(colours.size())));
    // A picture, not a blank or a single block of colour.
    QVERIFY(colours.size() >= 4);
    QVERIFY(opaque > size * size / 2);
    QVERIFY(opaque < size * size);
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
