#include "dialogs/aboutdialog.h"
#include "modalscript.h"

#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVersionNumber>

#include <limits>

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

    // The box names the system it runs on, in full.
    void namesTheSystemItRunsOn()
    {
        AboutDialog about;
        const QVersionNumber qt = QLibraryInfo::version();
        const QString text = about.systemsLabel->text();
        QCOMPARE(text,
                 QStringLiteral("Linux, Qt %1.%2").arg(qt.majorVersion()).arg(qt.minorVersion()));
        QVERIFY(about.systemsLabel->width() >=
                about.systemsLabel->fontMetrics().horizontalAdvance(text));
    }

    // As the program's greeting the box goes by itself after two seconds.
    void splashGoesByItself()
    {
        AboutDialog splash;
        QSignalSpy closed(&splash, &QDialog::finished);
        splash.showAsSplash();
        QVERIFY(splash.isVisible());
        // Its own timer of two seconds closes it, and nothing before.
        QVERIFY(splash.splashTimer->isActive() && splash.splashTimer->isSingleShot());
        QCOMPARE(splash.splashTimer->interval(), 2000);
        QVERIFY(closed.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!closed.isEmpty(), 60000);
        QVERIFY(!splash.isVisible());
    }

    // Any key or click in the program ends the splash and goes on to where it
    // was meant.
    void splashEndsAtAnyKeyOrClick_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("a letter on the splash") << "letter";
        QTest::newRow("a press on the picture") << "picture";
        QTest::newRow("a key to the program's window") << "key elsewhere";
        QTest::newRow("a click on the program's window") << "click elsewhere";
    }

    void splashEndsAtAnyKeyOrClick()
    {
        QFETCH(QString, how);
        QWidget program;
        auto *edit = new QLineEdit(&program);
        auto *button = new QPushButton(QStringLiteral("Go"), &program);
        button->move(0, 40);
        program.show();
        QVERIFY(QTest::qWaitForWindowExposed(&program));
        QSignalSpy clicked(button, &QPushButton::clicked);
        AboutDialog splash(&program);
        // A loaded machine may take the two seconds to show the windows: the
        // splash waits for the key or click here, however long that takes.
        splash.splashTimer->setInterval(std::numeric_limits<int>::max());
        splash.showAsSplash();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        if (how == "letter") {
            QTest::keyClick(splash.windowHandle(), Qt::Key_A);
        } else if (how == "picture") {
            QTest::mousePress(splash.picture, Qt::LeftButton);
        } else if (how == "key elsewhere") {
            QTest::keyClick(edit, Qt::Key_A);
            QCOMPARE(edit->text(), QStringLiteral("a"));
        } else {
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(clicked.size(), 1);
        }
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.splashTimer->isActive());
    }

    // Help > About stays until it is closed, a splash still up included:
    // nothing is set to close it, and a letter leaves it up.
    void aboutBoxStaysUntilClosed_data()
    {
        QTest::addColumn<bool>("splashFirst");
        QTest::newRow("shown afresh") << false;
        QTest::newRow("while the splash is up") << true;
    }

    void aboutBoxStaysUntilClosed()
    {
        QFETCH(bool, splashFirst);
        AboutDialog about;
        if (splashFirst)
            about.showAsSplash();
        bool timed = true;
        bool stayed = false;
        ModalScript script;
        script.expect("AboutDialog", [&](QWidget *dialog) {
            timed = about.splashTimer->isActive();
            QTest::keyClick(dialog->windowHandle(), Qt::Key_A);
            stayed = dialog->isVisible();
            QTest::mousePress(about.picture, Qt::LeftButton);
        });
        QCOMPARE(script.run([&about] { about.exec(); }), QStringList());
        QVERIFY(!timed);
        QVERIFY(stayed);
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
