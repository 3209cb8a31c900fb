#include "modalscript.h"
#include "tform7.h"

#include <QLabel>
#include <QSet>
#include <QTest>

class TestAboutBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pressOnThePictureCloses_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QString>("target");
        QTest::newRow("left") << Qt::LeftButton << QStringLiteral("Image1");
        QTest::newRow("right") << Qt::RightButton << QStringLiteral("Image1");
        QTest::newRow("middle") << Qt::MiddleButton << QStringLiteral("Image1");
        QTest::newRow("on the version text") << Qt::LeftButton << QStringLiteral("StaticText7");
    }

    void pressOnThePictureCloses()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QString, target);

        TForm7 about;
        // Shown twice: the box is created once and reused.
        for (int round = 0; round < 2; ++round) {
            ModalScript script;
            script.expect("TForm7", [&](QWidget *dialog) {
                QWidget *pressed = dialog->findChild<QWidget *>(target);
                QVERIFY(pressed);
                const QPoint centre = pressed->rect().center();
                // A press through the window system reaches the widget under the pointer.
                QWidget *hit = dialog->childAt(pressed->mapTo(dialog, centre));
                QTest::mousePress(hit ? hit : dialog, button, Qt::NoModifier,
                                  hit ? hit->mapFrom(dialog, pressed->mapTo(dialog, centre))
                                      : centre);
            });
            QCOMPARE(script.run([&about] { about.exec(); }), QStringList());
        }
    }

    void keysDoNotClose()
    {
        TForm7 about;
        bool stayedOpen = false;
        ModalScript script;
        script.expect("TForm7", [&](QWidget *dialog) {
            typeKey(dialog, Qt::Key_Return);
            typeKey(dialog, Qt::Key_Escape);
            typeKey(dialog, Qt::Key_Space);
            stayedOpen = dialog->isVisible();
            QTest::mousePress(about.Image1, Qt::LeftButton);
        });
        QCOMPARE(script.run([&about] { about.exec(); }), QStringList());
        QVERIFY(stayedOpen);
    }

    void pictureIsDrawn()
    {
        TForm7 about;
        const QImage picture = about.Image1->pixmap().toImage();
        QCOMPARE(picture.size(), QSize(404, 277));
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 4)
            for (int x = 0; x < picture.width(); x += 4)
                colours.insert(picture.pixel(x, y));
        QVERIFY2(colours.size() > 50, "the picture is nearly blank");
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
