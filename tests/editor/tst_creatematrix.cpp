#include "documentbuilder.h"
#include "matrixpictures.h"
#include "modalscript.h"
#include "objecttable.h"
#include "servicesrecorder.h"
#include "tform10.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>
#include <optional>

namespace {

// Every object as "x,y=start", in table order.
QString cellsOf(const DocumentState &doc)
{
    QStringList cells;
    for (int i = 0; i < doc.objectCount; ++i) {
        const mainStruct2 &object = doc.objects[i];
        cells.append(QStringLiteral("%1,%2=%3").arg(object.x).arg(object.y).arg(object.start));
    }
    return cells.join(u' ');
}

void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

} // namespace

class TestCreateMatrix : public QObject
{
    Q_OBJECT

private:
    DocumentState m_doc;
    ShellState m_shell;
    ViewState m_view;
    RenderState m_render;
    std::optional<ServicesRecorder> m_recorder;
    int m_renders = 0;
    std::unique_ptr<TForm10> m_dialog;

    template <typename Control> Control *control(const QString &name) const
    {
        return m_dialog->findChild<Control *>(name);
    }

    // Enabled and checked marks of u1 to u5, as "enabled 11111 checked 10000".
    QString typeStates() const
    {
        QString enabled;
        QString checked;
        for (int type = 1; type <= 5; ++type) {
            const auto *button = control<QRadioButton>(QStringLiteral("u%1").arg(type));
            enabled += button->isEnabled() ? u'1' : u'0';
            checked += button->isChecked() ? u'1' : u'0';
        }
        return QStringLiteral("enabled %1 checked %2").arg(enabled, checked);
    }

private Q_SLOTS:
    void init()
    {
        m_doc = DocumentState(20);
        addNumber(m_doc, 100, 50, 1, 3);
        selectObjects(m_doc, {0});
        refreshSelection(m_doc);
        m_shell = ShellState();
        m_recorder.emplace();
        m_renders = 0;
        m_dialog = std::make_unique<TForm10>(EditorContext{m_doc, m_shell, m_view, m_render},
                                             [this] { ++m_renders; });
    }

    void cleanup()
    {
        m_dialog.reset();
        m_recorder.reset();
    }

    // Image2 shows type 3 and Image3 type 2, as they were laid out.
    void picturesShowTheirTypes_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("type");
        QTest::newRow("Image1") << "Image1" << 1;
        QTest::newRow("Image3") << "Image3" << 2;
        QTest::newRow("Image2") << "Image2" << 3;
        QTest::newRow("Image4") << "Image4" << 4;
        QTest::newRow("Image5") << "Image5" << 5;
    }

    void picturesShowTheirTypes()
    {
        QFETCH(QString, picture);
        QFETCH(int, type);
        const QImage shown = control<QLabel>(picture)->pixmap().toImage();
        QCOMPARE(shown.size(), QSize(32, 32));
        for (int other = 1; other <= 5; ++other)
            QCOMPARE(shown == matrixPicture(other).convertToFormat(shown.format()), other == type);
    }

    void okMakesTheMatrix_data()
    {
        QTest::addColumn<QStringList>("entries"); // rows, columns, dx, dy
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("pressEnter");
        QTest::addColumn<QString>("cells");

        QTest::newRow("fractions and negatives truncate")
            << QStringList{"2.9", "1", "5", "-1.5"} << QStringList() << 1 << false
            << "100,50=1 100,49=1";
        QTest::newRow("type 3 from its button")
            << QStringList{"2", "3", "100", "40"} << QStringList{"create_link", "u3"} << 1 << false
            << "100,50=1 100,90=2 200,50=3 200,90=4 300,50=5 300,90=6";
        QTest::newRow("type 5 by the Pages value, Enter")
            << QStringList{"2", "2", "10", "10"} << QStringList{"create_link", "u5"} << 3 << true
            << "100,50=1 110,50=4 100,60=7 110,60=10";
        QTest::newRow("link box ticked off again")
            << QStringList{"1", "2", "10", "0"} << QStringList{"create_link", "u3", "create_link"}
            << 1 << false << "100,50=1 110,50=1";
    }

    void okMakesTheMatrix()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, clicks);
        QFETCH(int, pages);
        QFETCH(bool, pressEnter);
        QFETCH(QString, cells);
        m_doc.pagesToPrint = pages;

        ModalScript script;
        script.expect("TForm10", [&](QWidget *dialog) {
            const char *const edits[] = {"rows", "columns", "dx", "dy"};
            for (int k = 0; k < 4; ++k)
                retype(control<QLineEdit>(QLatin1String(edits[k])), entries[k]);
            for (const QString &name : clicks)
                click(control<QWidget>(name));
            if (pressEnter)
                typeKey(dialog, Qt::Key_Return);
            else
                click(control<QPushButton>(QStringLiteral("Button1")));
        });
        QCOMPARE(script.run([this] { m_dialog->exec(); }), QStringList());

        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(cellsOf(m_doc), cells);
        QCOMPARE(m_shell.docModified, 1);
        QCOMPARE(m_renders, 1);
        QCOMPARE(m_recorder->errors, QStringList());
    }

    void wrongEntryKeepsTheDialogOpen()
    {
        bool openAfterOk = false;
        ModalScript script;
        script.expect("TForm10", [&](QWidget *dialog) {
            retype(control<QLineEdit>(QStringLiteral("columns")), QStringLiteral("y"));
            retype(control<QLineEdit>(QStringLiteral("rows")), QStringLiteral("x"));
            click(control<QPushButton>(QStringLiteral("Button1")));
            openAfterOk = dialog->isVisible();
            click(control<QPushButton>(QStringLiteral("Button2")));
        });
        QCOMPARE(script.run([this] { m_dialog->exec(); }), QStringList());

        QVERIFY(openAfterOk);
        // Rows are read first.
        QCOMPARE(m_recorder->errors, QStringList{"'x' is not a valid floating point value"});
        QCOMPARE(cellsOf(m_doc), QStringLiteral("100,50=1"));
        QCOMPARE(m_shell.docModified, 0);
        QCOMPARE(m_renders, 0);
    }

    void linkBoxEnablesTheTypes()
    {
        QStringList seen;
        ModalScript script;
        script.expect("TForm10", [&](QWidget *) {
            seen << typeStates();
            click(control<QCheckBox>(QStringLiteral("create_link")));
            seen << typeStates();
            click(control<QRadioButton>(QStringLiteral("u4")));
            click(control<QCheckBox>(QStringLiteral("create_link")));
            seen << typeStates();
            // Left ticked, with Type 1 checked again.
            click(control<QCheckBox>(QStringLiteral("create_link")));
            retype(control<QLineEdit>(QStringLiteral("columns")), QStringLiteral("7"));
            click(control<QPushButton>(QStringLiteral("Button2")));
        });
        script.expect("TForm10", [&](QWidget *dialog) {
            const auto *linkBox = control<QCheckBox>(QStringLiteral("create_link"));
            seen << typeStates() + (linkBox->isChecked() ? " linked" : " unlinked")
                 << control<QLineEdit>(QStringLiteral("columns"))->text()
                 << control<QLabel>(QStringLiteral("StaticText5"))->text();
            typeKey(dialog, Qt::Key_Escape);
        });
        QCOMPARE(script.run([this] {
            m_dialog->exec();
            m_doc.pagesToPrint = 9;
            m_dialog->exec();
        }),
                 QStringList());

        QCOMPARE(seen, (QStringList{"enabled 00000 checked 00000", "enabled 11111 checked 10000",
                                    "enabled 00000 checked 00010",
                                    "enabled 00000 checked 10000 unlinked", "7", "Pages: 9"}));
        QCOMPARE(cellsOf(m_doc), QStringLiteral("100,50=1"));
        QCOMPARE(m_shell.docModified, 0);
        QCOMPARE(m_renders, 0);
    }
};

QTEST_MAIN(TestCreateMatrix)
#include "tst_creatematrix.moc"
