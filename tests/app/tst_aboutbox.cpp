#include "aboutdialog.h"
#include "modalscript.h"

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
        QTest::newRow("left") << Qt::LeftButton << QStringLiteral("picture");
        QTest::newRow("right") << Qt::RightButton << QStringLiteral("picture");
        QTest::newRow("middle") << Qt::MiddleButton << QStringLiteral("picture");
        QTest::newRow("on the version text") << Qt::LeftButton << QStringLiteral("systemsLabel");
    }

    void pressOnThePictureCloses()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QString, target);

        AboutDialog about;
        // Shown twice: the box is created once and reused.
        for (int round = 0; round < 2; ++round) {
            ModalScript script;
            script.expect("AboutDialog", [&](QWidget *dialog) {
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

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("Return") << int(Qt::Key_Return) << true;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true;
        QTest::newRow("Space") << int(Qt::Key_Space) << true;
        QTest::newRow("a letter") << int(Qt::Key_A) << false;
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(bool, closes);
        AboutDialog about;
        bool closed = false;
        ModalScript script;
        script.expect("AboutDialog", [&](QWidget *dialog) {
            // Through the window, as the user's key comes.
            QTest::keyClick(dialog->windowHandle(), Qt::Key(key));
            closed = !dialog->isVisible();
            if (!closed)
                QTest::mousePress(about.picture, Qt::LeftButton);
        });
        QCOMPARE(script.run([&about] { about.exec(); }), QStringList());
        QCOMPARE(closed, closes);
    }

    void pictureIsDrawn()
    {
        AboutDialog about;
        const QImage picture = about.picture->pixmap().toImage();
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
