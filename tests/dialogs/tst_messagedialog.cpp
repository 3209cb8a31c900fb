#include "messageanswer.h"
#include "messagedialog.h"

#include <QTest>

class TestMessageDialog : public QObject
{
    Q_OBJECT

private:
    TForm3 *m_dialog = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        m_dialog = new TForm3;
        setMessageDialog(m_dialog);
    }

    void cleanupTestCase()
    {
        setMessageDialog(nullptr);
        delete m_dialog;
    }

    void answers_data()
    {
        QTest::addColumn<int>("showCancel");
        QTest::addColumn<int>("showNo");
        QTest::addColumn<Answer>("how");
        QTest::addColumn<int>("result");

        QTest::newRow("OK only: click OK") << 0 << 0 << Answer::ClickOk << 1;
        QTest::newRow("OK only: Enter") << 0 << 0 << Answer::Enter << 1;
        QTest::newRow("OK only: close box") << 0 << 0 << Answer::CloseBox << 2;
        QTest::newRow("No shown: click No") << 0 << 1 << Answer::ClickNo << 5;
        QTest::newRow("No shown: click OK") << 0 << 1 << Answer::ClickOk << 1;
        QTest::newRow("No shown: Enter answers OK") << 0 << 1 << Answer::Enter << 1;
        QTest::newRow("No shown: Escape answers No") << 0 << 1 << Answer::Escape << 5;
        QTest::newRow("No shown: close box") << 0 << 1 << Answer::CloseBox << 2;
        QTest::newRow("Cancel shown: click Cancel") << 1 << 0 << Answer::ClickCancel << 2;
        QTest::newRow("Cancel shown: Escape") << 1 << 0 << Answer::Escape << 2;
        QTest::newRow("Cancel shown: Enter on the focused Cancel") << 1 << 0 << Answer::Enter << 2;
        QTest::newRow("all shown: click OK") << 1 << 1 << Answer::ClickOk << 1;
        QTest::newRow("all shown: click No") << 1 << 1 << Answer::ClickNo << 5;
        QTest::newRow("all shown: Escape answers Cancel") << 1 << 1 << Answer::Escape << 2;
        QTest::newRow("all shown: close box") << 1 << 1 << Answer::CloseBox << 2;
        QTest::newRow("any non-zero flag shows") << -1 << 256 << Answer::ClickNo << 5;
    }

    void answers()
    {
        QFETCH(int, showCancel);
        QFETCH(int, showNo);
        QFETCH(Answer, how);
        QFETCH(int, result);

        ShownDialog shown;
        ModalScript script;
        expectMessageDialog(script, how, shown);
        int answer = 0;
        QCOMPARE(script.run([&] {
            answer = showMessageDialog(
                QStringLiteral("Error"), QStringLiteral("Label"), QStringLiteral("Line one"),
                QStringLiteral("Line two"), static_cast<std::int16_t>(showCancel),
                static_cast<std::int16_t>(showNo));
        }),
                 QStringList());
        QCOMPARE(answer, result);
        QCOMPARE(shown.cancelShown, showCancel != 0);
        QCOMPARE(shown.noShown, showNo != 0);
        QVERIFY(shown.okShown);
    }

    void escapeWithOnlyOkDoesNothing()
    {
        bool stayedOpen = false;
        ModalScript script;
        script.expect("TForm3", [&](QWidget *dialog) {
            typeKey(dialog, Qt::Key_Escape);
            stayedOpen = dialog->isVisible();
            dialog->close();
        });
        int answer = 0;
        QCOMPARE(script.run([&] {
            answer = showMessageDialog(QStringLiteral("Error"), QString(), QStringLiteral("Question"),
                                       QString(), 0, 0);
        }),
                 QStringList());
        QVERIFY(stayedOpen);
        QCOMPARE(answer, 2);
    }

    void eachCallReplacesTheEarlierOne()
    {
        ShownDialog first;
        ShownDialog second;
        ModalScript script;
        expectMessageDialog(script, Answer::Escape, first);
        expectMessageDialog(script, Answer::Enter, second);
        QList<int> answers;
        QCOMPARE(script.run([&] {
            answers << showMessageDialog(QStringLiteral("Error"), QStringLiteral("Warning:"),
                                         QStringLiteral("A long first line"),
                                         QStringLiteral("A second line"), 1, 1);
            answers << showMessageDialog(QStringLiteral("Paginette"), QString(),
                                         QStringLiteral("Save changes before close?"), QString(),
                                         0, 1);
        }),
                 QStringList());
        QCOMPARE(answers, (QList<int>{2, 1}));
        QCOMPARE(first.label, QStringLiteral("Warning:"));
        QCOMPARE(second.label, QString());
        QCOMPARE(second.line1, QStringLiteral("Save changes before close?"));
        QCOMPARE(second.line2, QString());
        QCOMPARE(first.caption, QStringLiteral("Error"));
        QCOMPARE(second.caption, QStringLiteral("Paginette"));
        QVERIFY(!second.cancelShown);
        QCOMPARE(second.focused, m_dialog->BitBtn1);
        // The texts size themselves to what they show.
        QVERIFY(second.line1Fits);
    }

    void worksWithoutASharedDialog()
    {
        setMessageDialog(nullptr);
        QWidget *shown = nullptr;
        ModalScript script;
        script.expect("TForm3", [&](QWidget *dialog) {
            shown = dialog;
            typeKey(dialog, Qt::Key_Escape);
        });
        int answer = 0;
        QCOMPARE(script.run([&] {
            answer = showMessageDialog(QStringLiteral("Error"), QString(), QStringLiteral("Line"),
                                       QString(), 0, 1);
        }),
                 QStringList());
        setMessageDialog(m_dialog);
        QVERIFY(shown != m_dialog);
        QCOMPARE(answer, 5);
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
