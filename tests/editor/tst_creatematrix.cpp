#include "documentbuilder.h"
#include "modalscript.h"
#include "objecttable.h"
#include "servicesrecorder.h"
#include "tform10.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <memory>
#include <optional>

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

    template <typename Control = QWidget> Control *control(const QString &name) const
    {
        return m_dialog->findChild<Control *>(name);
    }

    void click(const QString &name) const { QTest::mouseClick(control(name), Qt::LeftButton); }

    // Enabled and checked marks of u1 to u5, as "11111 10000".
    QString typeStates() const
    {
        QString enabled;
        QString checked;
        for (const QString name : {"u1", "u2", "u3", "u4", "u5"}) {
            enabled += control(name)->isEnabled() ? u'1' : u'0';
            checked += control<QRadioButton>(name)->isChecked() ? u'1' : u'0';
        }
        return enabled + u' ' + checked;
    }

private Q_SLOTS:
    void init()
    {
        m_doc = DocumentState(20);
        addNumber(m_doc, 100, 50, 1, 3);
        selectObjects(m_doc, {0});
        refreshSelection(m_doc);
        m_doc.pagesToPrint = 3;
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

    void okMakesTheMatrix_data()
    {
        QTest::addColumn<QStringList>("entries"); // rows, columns, dx, dy
        QTest::addColumn<QStringList>("clicks");  // ending with OK, or Enter when not
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("error");
        QTest::newRow("fractions and negatives truncate")
            << QStringList{"2.9", "1", "5", "-1.5"} << QStringList{"Button1"}
            << "100,50:1+1 100,49:1+1"
            << "";
        QTest::newRow("type 3 by its button")
            << QStringList{"2", "3", "100", "40"} << QStringList{"create_link", "u3", "Button1"}
            << "100,50:1+1 100,90:2+1 200,50:3+1 200,90:4+1 300,50:5+1 300,90:6+1"
            << "";
        QTest::newRow("type 5 by the Pages value, Enter")
            << QStringList{"1", "2", "10", "0"} << QStringList{"create_link", "u5"}
            << "100,50:1+3 110,50:4+3"
            << "";
        QTest::newRow("link box ticked off again")
            << QStringList{"1", "2", "10", "0"}
            << QStringList{"create_link", "u3", "create_link", "Button1"} << "100,50:1+1 110,50:1+1"
            << "";
        QTest::newRow("not a number: rows read first, dialog stays open")
            << QStringList{"x", "y", "1", "1"} << QStringList{"Button1"} << "100,50:1+1"
            << "'x' is not a valid floating point value";
    }

    void okMakesTheMatrix()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, clicks);
        QFETCH(QString, cells);
        QFETCH(QString, error);
        bool openAfterOk = false;
        ModalScript script;
        script.expect("TForm10", [&](QWidget *dialog) {
            const QStringList edits{"rows", "columns", "dx", "dy"};
            for (int k = 0; k < 4; ++k)
                retype(control<QLineEdit>(edits[k]), entries[k]);
            for (const QString &name : clicks)
                click(name);
            if (clicks.last() != "Button1")
                typeKey(dialog, Qt::Key_Return);
            openAfterOk = dialog->isVisible();
            if (openAfterOk)
                click("Button2");
        });
        QCOMPARE(script.run([this] { m_dialog->exec(); }), QStringList());

        const bool made = error.isEmpty();
        QCOMPARE(openAfterOk, !made);
        QCOMPARE(cellsOf(m_doc), cells);
        QCOMPARE(m_recorder->errors, made ? QStringList() : QStringList{error});
        QCOMPARE(m_shell.docModified, made ? 1 : 0);
        QCOMPARE(m_renders, made ? 1 : 0);
    }

    void showResetsTheLinkChoice()
    {
        QStringList seen;
        ModalScript script;
        script.expect("TForm10", [&](QWidget *) {
            seen << typeStates();
            click("create_link");
            seen << typeStates();
            click("u4");
            click("create_link");
            seen << typeStates();
            click("create_link");
            retype(control<QLineEdit>("columns"), "7");
            click("Button2");
        });
        script.expect("TForm10", [&](QWidget *dialog) {
            seen << typeStates() << control<QLineEdit>("columns")->text()
                 << control<QLabel>("StaticText5")->text()
                 << (control<QCheckBox>("create_link")->isChecked() ? "linked" : "unlinked");
            typeKey(dialog, Qt::Key_Escape);
        });
        QCOMPARE(script.run([this] {
            m_dialog->exec();
            m_doc.pagesToPrint = 9;
            m_dialog->exec();
        }),
                 QStringList());

        QCOMPARE(seen, (QStringList{"00000 00000", "11111 10000", "00000 00010", "00000 10000", "7",
                                    "Pages: 9", "unlinked"}));
        QCOMPARE(cellsOf(m_doc), "100,50:1+1");
        QCOMPARE(m_renders, 0);
    }
};

QTEST_MAIN(TestCreateMatrix)
#include "tst_creatematrix.moc"
