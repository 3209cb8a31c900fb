#include "dialogs/messagedialog.h"
#include "messageanswer.h"
#include "saveprompt.h"
#include "session.h"

#include <QTest>

// docOpen, docNamed, docModified and docFileName of the session.
struct DocumentFlags
{
    bool docOpen = false;
    bool docNamed = false;
    bool docModified = false;
    QString docFileName;
};
Q_DECLARE_METATYPE(DocumentFlags)

// The offer to save before a document closes, with the real message dialog.
class TestClosePrompt : public QObject
{
    Q_OBJECT

private:
    Session m_session;
    bool m_pathChosen = true; // the save dialog's outcome
    bool m_saveSucceeds = true;
    int m_pathRequests = 0;
    QStringList m_saved;

    SavePromptServices services()
    {
        SavePromptServices result;
        result.messageDialog = [](const QString &caption, const QString &label,
                                  const QString &line1, const QString &line2, bool showCancel,
                                  bool showNo) {
            return showMessageDialog(nullptr, caption, label, line1, line2, showCancel, showNo);
        };
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
        QTest::addColumn<bool>("mayGo");
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<int>("pathRequests");

        const QString named = QStringLiteral("/docs/named.pgt");
        const QString chosen = QStringLiteral("/docs/chosen.pgt");
        const DocumentFlags modified{true, true, true, named};
        const DocumentFlags unnamed{true, false, true, QString()};

        QTest::newRow("unmodified: no prompt")
            << DocumentFlags{true, true, false, named} << Answer::ClickOk << true << true << true
            << QStringList() << 0;
        QTest::newRow("No writes nothing")
            << modified << Answer::ClickNo << true << true << true << QStringList() << 0;
        // One key never throws work away.
        QTest::newRow("Escape keeps the document")
            << unnamed << Answer::Escape << true << true << false << QStringList() << 0;
        QTest::newRow("the close box keeps the document")
            << modified << Answer::CloseBox << true << true << false << QStringList() << 0;
        QTest::newRow("Cancel keeps the document")
            << modified << Answer::ClickCancel << true << true << false << QStringList() << 0;
        QTest::newRow("OK saves a named document without asking")
            << modified << Answer::ClickOk << true << true << true << QStringList{named} << 0;
        QTest::newRow("Enter saves, as OK does")
            << modified << Answer::Enter << true << true << true << QStringList{named} << 0;
        QTest::newRow("OK asks a path for an unnamed document")
            << unnamed << Answer::ClickOk << true << true << true << QStringList{chosen} << 1;
        QTest::newRow("OK then cancelled save dialog keeps the document")
            << unnamed << Answer::ClickOk << false << true << false << QStringList() << 1;
        QTest::newRow("OK then failed save keeps the document")
            << modified << Answer::ClickOk << true << false << false << QStringList{named} << 0;
    }

    void answers()
    {
        QFETCH(DocumentFlags, before);
        QFETCH(Answer, how);
        QFETCH(bool, pathChosen);
        QFETCH(bool, saveSucceeds);
        QFETCH(bool, mayGo);
        QFETCH(QStringList, saved);
        QFETCH(int, pathRequests);

        m_session = Session();
        m_session.docOpen = before.docOpen;
        m_session.docNamed = before.docNamed;
        m_session.docModified = before.docModified;
        m_session.docFileName = before.docFileName;
        m_pathChosen = pathChosen;
        m_saveSucceeds = saveSucceeds;

        // Only a modified document asks.
        const bool asked = before.docModified;
        ShownDialog shown;
        ModalScript script;
        if (asked)
            expectMessageDialog(script, how, shown);
        bool result = false;
        QCOMPARE(script.run([&] { result = maybeSave(m_session, services()); }), QStringList());
        if (asked) {
            QCOMPARE(shown.caption, QStringLiteral("Paginette"));
            QCOMPARE(shown.label, QString());
            QCOMPARE(shown.line1, QStringLiteral("Save changes before close?"));
            QCOMPARE(shown.line2, QString());
            QVERIFY(shown.cancelShown);
            QVERIFY(shown.noShown);
        }
        QCOMPARE(result, mayGo);
        QCOMPARE(m_saved, saved);
        QCOMPARE(m_pathRequests, pathRequests);
    }
};

QTEST_MAIN(TestClosePrompt)
#include "tst_closeprompt.moc"
