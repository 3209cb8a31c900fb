#include "messageanswer.h"
#include "messagedialog.h"
#include "saveprompt.h"
#include "shellstate.h"

#include <QTest>

// docOpen, docNamed, docModified and docFileName of the shell.
struct DocumentFlags
{
    std::int32_t docOpen = 0;
    std::int32_t docNamed = 0;
    std::int32_t docModified = 0;
    QString docFileName;
};
Q_DECLARE_METATYPE(DocumentFlags)

// The offer to save before a document closes, with the real message dialog.
class TestClosePrompt : public QObject
{
    Q_OBJECT

private:
    ShellState m_shell;
    bool m_pathChosen = true; // the save dialog's outcome
    bool m_saveSucceeds = true;
    int m_pathRequests = 0;
    QStringList m_saved;

    SavePromptServices services()
    {
        SavePromptServices result;
        result.messageDialog = showMessageDialog;
        result.choosePath = [this](QString &path) {
            ++m_pathRequests;
            if (m_pathChosen)
                path = QStringLiteral("/docs/chosen.pgt");
            return m_pathChosen;
        };
        result.save = [this](const QString &path) {
            m_saved << path;
            return m_saveSucceeds;
        };
        return result;
    }

private Q_SLOTS:
    void init()
    {
        m_pathChosen = true;
        m_saveSucceeds = true;
        m_pathRequests = 0;
        m_saved.clear();
    }

    void answers_data()
    {
        QTest::addColumn<DocumentFlags>("before");
        QTest::addColumn<Answer>("how");
        QTest::addColumn<bool>("pathChosen");
        QTest::addColumn<bool>("saveSucceeds");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<int>("pathRequests");
        QTest::addColumn<DocumentFlags>("after");

        const QString named = QStringLiteral("/docs/named.pgt");
        const QString chosen = QStringLiteral("/docs/chosen.pgt");
        const DocumentFlags closedNamed{0, 0, 0, named};
        const DocumentFlags closedUnnamed{0, 0, 0, QString()};

        QTest::newRow("unmodified: no prompt")
            << DocumentFlags{1, 1, 0, named} << Answer::ClickOk << true << true << true
            << QStringList() << 0 << closedNamed;
        QTest::newRow("No writes nothing")
            << DocumentFlags{1, 1, 1, named} << Answer::ClickNo << true << true << true
            << QStringList() << 0 << closedNamed;
        QTest::newRow("Escape answers No")
            << DocumentFlags{1, 0, 1, QString()} << Answer::Escape << true << true << true
            << QStringList() << 0 << closedUnnamed;
        QTest::newRow("close box writes nothing")
            << DocumentFlags{1, 1, 1, named} << Answer::CloseBox << true << true << true
            << QStringList() << 0 << closedNamed;
        QTest::newRow("OK saves a named document without asking")
            << DocumentFlags{1, 1, 1, named} << Answer::ClickOk << true << true << true
            << QStringList{named} << 0 << closedNamed;
        QTest::newRow("Enter answers OK") << DocumentFlags{1, 1, 1, named} << Answer::Enter << true
                                          << true << true << QStringList{named} << 0 << closedNamed;
        QTest::newRow("OK asks a path for an unnamed document")
            << DocumentFlags{1, 0, 1, QString()} << Answer::ClickOk << true << true << true
            << QStringList{chosen} << 1 << DocumentFlags{0, 0, 0, chosen};
        QTest::newRow("OK then cancelled save dialog keeps everything")
            << DocumentFlags{1, 0, 1, QString()} << Answer::ClickOk << false << true << false
            << QStringList() << 1 << DocumentFlags{1, 0, 1, QString()};
        QTest::newRow("OK then failed save keeps everything")
            << DocumentFlags{1, 1, 1, named} << Answer::ClickOk << true << false << false
            << QStringList{named} << 0 << DocumentFlags{1, 1, 1, named};
    }

    void answers()
    {
        QFETCH(DocumentFlags, before);
        QFETCH(Answer, how);
        QFETCH(bool, pathChosen);
        QFETCH(bool, saveSucceeds);
        QFETCH(bool, closed);
        QFETCH(QStringList, saved);
        QFETCH(int, pathRequests);
        QFETCH(DocumentFlags, after);

        TForm3 dialog;
        setMessageDialog(&dialog);
        m_shell = ShellState();
        m_shell.docOpen = before.docOpen;
        m_shell.docNamed = before.docNamed;
        m_shell.docModified = before.docModified;
        m_shell.docFileName = before.docFileName;
        m_pathChosen = pathChosen;
        m_saveSucceeds = saveSucceeds;

        // Only a modified document asks.
        const bool asked = before.docModified == 1;
        ShownDialog shown;
        ModalScript script;
        if (asked)
            expectMessageDialog(script, how, shown);
        bool result = false;
        QCOMPARE(script.run([&] { result = maybeSave(m_shell, services()); }), QStringList());
        setMessageDialog(nullptr);
        if (asked) {
            QCOMPARE(shown.label, QString());
            QCOMPARE(shown.line1, QStringLiteral("Save changes before close?"));
            QCOMPARE(shown.line2, QString());
            QVERIFY(!shown.cancelShown);
            QVERIFY(shown.noShown);
        }
        QCOMPARE(result, closed);
        QCOMPARE(m_saved, saved);
        QCOMPARE(m_pathRequests, pathRequests);
        QCOMPARE(m_shell.docOpen, after.docOpen);
        QCOMPARE(m_shell.docNamed, after.docNamed);
        QCOMPARE(m_shell.docModified, after.docModified);
        QCOMPARE(m_shell.docFileName, after.docFileName);
    }
};

QTEST_MAIN(TestClosePrompt)
#include "tst_closeprompt.moc"
