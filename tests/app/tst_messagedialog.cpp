#include "dialogs/messagedialog.h"
#include "messageanswer.h"

#include <QTest>

class TestMessageDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        QTest::addColumn<bool>("showCancel");
        QTest::addColumn<bool>("showNo");
        QTest::addColumn<Answer>("how");
        QTest::addColumn<int>("result");

        QTest::newRow("OK only: click OK") << false << false << Answer::ClickOk << 1;
        QTest::newRow("OK only: Enter") << false << false << Answer::Enter << 1;
        QTest::newRow("OK only: close box") << false << false << Answer::CloseBox << 2;
        QTest::newRow("No shown: click No") << false << true << Answer::ClickNo << 5;
        QTest::newRow("No shown: click OK") << false << true << Answer::ClickOk << 1;
        QTest::newRow("No shown: Enter answers OK") << false << true << Answer::Enter << 1;
        QTest::newRow("No shown: Escape answers No") << false << true << Answer::Escape << 5;
        QTest::newRow("No shown: close box") << false << true << Answer::CloseBox << 2;
        QTest::newRow("Cancel shown: click Cancel") << true << false << Answer::ClickCancel << 2;
        QTest::newRow("Cancel shown: Escape") << true << false << Answer::Escape << 2;
        QTest::newRow("Cancel shown: Enter answers OK") << true << false << Answer::Enter << 1;
        QTest::newRow("all shown: click OK") << true << true << Answer::ClickOk << 1;
        QTest::newRow("all shown: click No") << true << true << Answer::ClickNo << 5;
        QTest::newRow("all shown: Enter answers OK") << true << true << Answer::Enter << 1;
        QTest::newRow("all shown: Escape answers Cancel") << true << true << Answer::Escape << 2;
        QTest::newRow("all shown: close box") << true << true << Answer::CloseBox << 2;
    }

    void answers()
    {
        QFETCH(bool, showCancel);
        QFETCH(bool, showNo);
        QFETCH(Answer, how);
        QFETCH(int, result);

        ShownDialog shown;
        ModalScript script;
        expectMessageDialog(script, how, shown);
        int answer = 0;
        QCOMPARE(script.run([&] {
            answer = showMessageDialog(nullptr, QStringLiteral("Error"), QStringLiteral("Label"),
                                       QStringLiteral("Line one"), QStringLiteral("Line two"),
                                       showCancel, showNo);
        }),
                 QStringList());
        QCOMPARE(answer, result);
        QCOMPARE(shown.cancelShown, showCancel);
        QCOMPARE(shown.noShown, showNo);
        QVERIFY(shown.okShown);
        // Enter answers what has the focus.
        QVERIFY(shown.okFocused);
    }

    void escapeWithOnlyOkDoesNothing()
    {
        bool stayedOpen = false;
        ModalScript script;
        script.expect("MessageDialog", [&](QWidget *dialog) {
            typeKey(dialog, Qt::Key_Escape);
            stayedOpen = dialog->isVisible();
            dialog->close();
        });
        int answer = 0;
        QCOMPARE(script.run([&] {
            answer = showMessageDialog(nullptr, QStringLiteral("Error"), QString(),
                                       QStringLiteral("Question"), QString(), false, false);
        }),
                 QStringList());
        QVERIFY(stayedOpen);
        QCOMPARE(answer, 2);
    }

    void eachQuestionReplacesTheEarlierOne()
    {
        MessageDialog dialog;
        ShownDialog first;
        ShownDialog second;
        ModalScript script;
        expectMessageDialog(script, Answer::Escape, first);
        expectMessageDialog(script, Answer::Enter, second);
        QList<int> answers;
        QCOMPARE(script.run([&] {
            answers << dialog.ask(QStringLiteral("Error"), QStringLiteral("Warning:"),
                                  QStringLiteral("A long first line"),
                                  QStringLiteral("A second line"), true, true);
            answers << dialog.ask(QStringLiteral("Paginette"), QString(),
                                  QStringLiteral("Save changes before close?"), QString(), false,
                                  true);
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
        QCOMPARE(second.focused, dialog.okButton);
        // The texts size themselves to what they show.
        QVERIFY(second.line1Fits);
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
