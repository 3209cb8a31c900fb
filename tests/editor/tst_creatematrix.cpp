#include "creatematrixdialog.h"
#include "documentbuilder.h"
#include "feedbackrecorder.h"
#include "modalscript.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <memory>

class TestCreateMatrix : public QObject
{
    Q_OBJECT

private:
    Session m_session;
    DocumentEditor m_editor{m_session};
    ViewState m_view;
    RenderState m_render;
    std::unique_ptr<FeedbackRecorder> m_recorder;
    int m_changes = 0;
    std::unique_ptr<CreateMatrixDialog> m_dialog;

    template <typename Control = QWidget> Control *control(const QString &name) const
    {
        return m_dialog->findChild<Control *>(name);
    }

    // One selected three-digit number, Pages 3, in a table of `capacity`.
    void setUp(std::int32_t capacity)
    {
        m_dialog.reset();
        Document doc = emptyDocument(capacity);
        addNumber(doc, 100, 50, 1, 3);
        selectObjects(doc, {0});
        doc.pagesToPrint = 3;
        m_session = Session();
        m_editor.replace(doc);
        m_recorder = std::make_unique<FeedbackRecorder>();
        m_changes = 0;
        connect(&m_editor, &DocumentEditor::changed, m_recorder.get(), [this] { ++m_changes; });
        m_dialog = std::make_unique<CreateMatrixDialog>(
            EditorContext{m_editor, m_session, m_view, m_render, m_recorder->feedback()});
    }

    void click(const QString &name) const { QTest::mouseClick(control(name), Qt::LeftButton); }

    // Enabled and checked marks of the type buttons, as "11111 10000".
    QString typeStates() const
    {
        QString enabled;
        QString checked;
        for (const QString name :
             {"type1Button", "type2Button", "type3Button", "type4Button", "type5Button"}) {
            enabled += control(name)->isEnabled() ? u'1' : u'0';
            checked += control<QRadioButton>(name)->isChecked() ? u'1' : u'0';
        }
        return enabled + u' ' + checked;
    }

private Q_SLOTS:
    void init() { setUp(20); }

    void cleanup()
    {
        m_dialog.reset();
        m_recorder.reset();
    }

    void okMakesTheMatrix_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QStringList>("entries"); // rows, columns, dx, dy
        QTest::addColumn<QStringList>("clicks");  // ending with OK, or Enter when not
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("told"); // in a message box
        QTest::newRow("fractions and negatives truncate")
            << 20 << QStringList{"2.9", "1", "5", "-1.5"} << QStringList{"okButton"}
            << "100,50:1+1 100,49:1+1"
            << "- -"
            << ""
            << "";
        QTest::newRow("type 3 by its button")
            << 20 << QStringList{"2", "3", "100", "40"}
            << QStringList{"createLinkCheckBox", "type3Button", "okButton"}
            << "100,50:1+1 100,90:2+1 200,50:3+1 200,90:4+1 300,50:5+1 300,90:6+1"
            << "0,-1,1 0,0,2 0,1,3 0,2,4 0,3,5 0,4,-1"
            << ""
            << "";
        QTest::newRow("type 5 by the Pages value, Enter")
            << 20 << QStringList{"1", "2", "10", "0"}
            << QStringList{"createLinkCheckBox", "type5Button"} << "100,50:1+3 110,50:4+3"
            << "0,-1,1 0,0,-1"
            << ""
            << "";
        QTest::newRow("link box ticked off again")
            << 20 << QStringList{"1", "2", "10", "0"}
            << QStringList{"createLinkCheckBox", "type3Button", "createLinkCheckBox", "okButton"}
            << "100,50:1+1 110,50:1+1"
            << "- -"
            << ""
            << "";
        QTest::newRow("not a number: rows read first, dialog stays open")
            << 20 << QStringList{"x", "y", "1", "1"} << QStringList{"okButton"} << "100,50:1+1"
            << "-"
            << "'x' is not a valid floating point value"
            << "";
        // Nothing is made; the dialog stays open for a smaller matrix.
        QTest::newRow("no room for the matrix")
            << 3 << QStringList{"2", "2", "10", "20"}
            << QStringList{"createLinkCheckBox", "okButton"} << "100,50:1+1"
            << "-"
            << ""
            << "The matrix needs 3 new objects; the document has room for 2 more. Max Number of "
               "Objects in Edit > Preferences sets the room, from the next start.";
    }

    void okMakesTheMatrix()
    {
        QFETCH(int, capacity);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, clicks);
        QFETCH(QString, cells);
        QFETCH(QString, links);
        QFETCH(QString, error);
        QFETCH(QString, told);
        setUp(capacity);
        bool openAfterOk = false;
        ModalScript script;
        script.expect("CreateMatrixDialog", [&](QWidget *dialog) {
            const QStringList edits{"rowsEdit", "columnsEdit", "dxEdit", "dyEdit"};
            for (int k = 0; k < 4; ++k)
                retype(control<QLineEdit>(edits[k]), entries[k]);
            for (const QString &name : clicks)
                click(name);
            if (clicks.last() != "okButton")
                typeKey(dialog, Qt::Key_Return);
            openAfterOk = dialog->isVisible();
            if (openAfterOk)
                click("cancelButton");
        });
        QCOMPARE(script.run([this] { m_dialog->exec(); }), QStringList());

        const bool made = error.isEmpty() && told.isEmpty();
        QCOMPARE(openAfterOk, !made);
        QCOMPARE(cellsOf(m_editor.document()), cells);
        QCOMPARE(linksOf(m_editor.document()), links);
        QCOMPARE(m_recorder->errors(), error.isEmpty() ? QStringList() : QStringList{error});
        using Messages = QList<FeedbackRecorder::Message>;
        const Messages expected =
            told.isEmpty() ? Messages{} : Messages{{told, QStringLiteral("Create Matrix")}};
        QCOMPARE(m_recorder->messages, expected);
        QCOMPARE(m_recorder->beeps, 0);
        QCOMPARE(m_session.docModified, made);
        QCOMPARE(m_changes, made ? 1 : 0);

        // The whole matrix is one step of the history.
        m_editor.undo();
        QCOMPARE(cellsOf(m_editor.document()), QStringLiteral("100,50:1+1"));
    }

    void showResetsTheLinkChoice()
    {
        QStringList seen;
        ModalScript script;
        script.expect("CreateMatrixDialog", [&](QWidget *) {
            seen << typeStates();
            click("createLinkCheckBox");
            seen << typeStates();
            click("type4Button");
            click("createLinkCheckBox");
            seen << typeStates();
            click("createLinkCheckBox");
            retype(control<QLineEdit>("columnsEdit"), "7");
            click("cancelButton");
        });
        script.expect("CreateMatrixDialog", [&](QWidget *dialog) {
            seen << typeStates() << control<QLineEdit>("columnsEdit")->text()
                 << control<QLabel>("pagesLabel")->text()
                 << (control<QCheckBox>("createLinkCheckBox")->isChecked() ? "linked" : "unlinked");
            typeKey(dialog, Qt::Key_Escape);
        });
        QCOMPARE(script.run([this] {
            m_dialog->exec();
            Document doc = m_editor.document();
            doc.pagesToPrint = 9;
            m_editor.replace(doc);
            m_changes = 0;
            m_dialog->exec();
        }),
                 QStringList());

        QCOMPARE(seen, (QStringList{"00000 00000", "11111 10000", "00000 00010", "00000 10000", "7",
                                    "Pages: 9", "unlinked"}));
        QCOMPARE(cellsOf(m_editor.document()), "100,50:1+1");
        QCOMPARE(m_changes, 0);
        QVERIFY(!m_session.docModified);
    }
};

QTEST_MAIN(TestCreateMatrix)
#include "tst_creatematrix.moc"
