#include "messagedialog.h"
#include "modalresponder.h"
#include "tform3.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
enum class Action
{
    ClickOk,
    ClickCancel,
    ClickNo,
    Enter,
    Escape,
    CloseBox
};

void perform(TForm3 *dialog, Action action)
{
    switch (action) {
    case Action::ClickOk:
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
        break;
    case Action::ClickCancel:
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        break;
    case Action::ClickNo:
        QTest::mouseClick(dialog->Button2, Qt::LeftButton);
        break;
    case Action::Enter:
        typeKey(dialog, Qt::Key_Return);
        break;
    case Action::Escape:
        typeKey(dialog, Qt::Key_Escape);
        break;
    case Action::CloseBox:
        dialog->close();
        break;
    }
}
} // namespace

Q_DECLARE_METATYPE(Action)

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
        QTest::addColumn<Action>("action");
        QTest::addColumn<int>("result");

        QTest::newRow("OK only: click OK") << 0 << 0 << Action::ClickOk << 1;
        QTest::newRow("OK only: Enter") << 0 << 0 << Action::Enter << 1;
        QTest::newRow("OK only: close box") << 0 << 0 << Action::CloseBox << 2;
        QTest::newRow("No shown: click No") << 0 << 1 << Action::ClickNo << 5;
        QTest::newRow("No shown: click OK") << 0 << 1 << Action::ClickOk << 1;
        QTest::newRow("No shown: Enter answers OK") << 0 << 1 << Action::Enter << 1;
        QTest::newRow("No shown: Escape answers No") << 0 << 1 << Action::Escape << 5;
        QTest::newRow("No shown: close box") << 0 << 1 << Action::CloseBox << 2;
        QTest::newRow("Cancel shown: click Cancel") << 1 << 0 << Action::ClickCancel << 2;
        QTest::newRow("Cancel shown: Escape") << 1 << 0 << Action::Escape << 2;
        QTest::newRow("Cancel shown: Enter on the focused Cancel") << 1 << 0 << Action::Enter << 2;
        QTest::newRow("all shown: click OK") << 1 << 1 << Action::ClickOk << 1;
        QTest::newRow("all shown: click No") << 1 << 1 << Action::ClickNo << 5;
        QTest::newRow("all shown: Escape answers Cancel") << 1 << 1 << Action::Escape << 2;
        QTest::newRow("all shown: close box") << 1 << 1 << Action::CloseBox << 2;
        QTest::newRow("any non-zero flag shows") << -1 << 256 << Action::ClickNo << 5;
    }

    void answers()
    {
        QFETCH(int, showCancel);
        QFETCH(int, showNo);
        QFETCH(Action, action);
        QFETCH(int, result);

        bool cancelShown = false;
        bool noShown = false;
        bool okShown = false;
        ModalResponder responder([&](QWidget *widget) {
            auto *dialog = qobject_cast<TForm3 *>(widget);
            QVERIFY(dialog);
            cancelShown = dialog->Button1->isVisible();
            noShown = dialog->Button2->isVisible();
            okShown = dialog->BitBtn1->isVisible();
            perform(dialog, action);
        });
        const int answer = showMessageDialog(
            QStringLiteral("Label"), QStringLiteral("Line one"), QStringLiteral("Line two"),
            static_cast<std::int16_t>(showCancel), static_cast<std::int16_t>(showNo));
        QVERIFY(responder.answered());
        QVERIFY(!responder.leftOpen());
        QCOMPARE(answer, result);
        QCOMPARE(cancelShown, showCancel != 0);
        QCOMPARE(noShown, showNo != 0);
        QVERIFY(okShown);
    }

    void escapeWithOnlyOkDoesNothing()
    {
        bool stayedOpen = false;
        ModalResponder responder([&](QWidget *dialog) {
            typeKey(dialog, Qt::Key_Escape);
            stayedOpen = dialog->isVisible();
            dialog->close();
        });
        const int answer =
            showMessageDialog(QString(), QStringLiteral("Question"), QString(), 0, 0);
        QVERIFY(responder.answered());
        QVERIFY(stayedOpen);
        QCOMPARE(answer, 2);
    }

    void eachCallReplacesTheEarlierOne()
    {
        QString firstLabel;
        ModalResponder first([&](QWidget *widget) {
            auto *dialog = qobject_cast<TForm3 *>(widget);
            QVERIFY(dialog);
            firstLabel = dialog->StaticText1->text();
            typeKey(dialog, Qt::Key_Escape);
        });
        QCOMPARE(showMessageDialog(QStringLiteral("Warning:"), QStringLiteral("A long first line"),
                                   QStringLiteral("A second line"), 1, 1),
                 2);
        QVERIFY(first.answered());
        QCOMPARE(firstLabel, QStringLiteral("Warning:"));

        QString label = QStringLiteral("unset");
        QString line1;
        QString line2 = QStringLiteral("unset");
        QString caption;
        bool cancelShown = true;
        QWidget *focused = nullptr;
        bool line1Fits = false;
        ModalResponder second([&](QWidget *widget) {
            auto *dialog = qobject_cast<TForm3 *>(widget);
            QVERIFY(dialog);
            label = dialog->StaticText1->text();
            line1 = dialog->StaticText2->text();
            line2 = dialog->StaticText3->text();
            caption = dialog->windowTitle();
            cancelShown = dialog->Button1->isVisible();
            focused = dialog->focusWidget();
            // The texts size themselves to what they show.
            line1Fits = dialog->StaticText2->width() >=
                        dialog->StaticText2->fontMetrics().horizontalAdvance(line1);
            typeKey(dialog, Qt::Key_Return);
        });
        const int answer = showMessageDialog(
            QString(), QStringLiteral("Save changes before close?"), QString(), 0, 1);
        QVERIFY(second.answered());
        QCOMPARE(answer, 1);
        QCOMPARE(label, QString());
        QCOMPARE(line1, QStringLiteral("Save changes before close?"));
        QCOMPARE(line2, QString());
        QCOMPARE(caption, QStringLiteral("Error"));
        QVERIFY(!cancelShown);
        QCOMPARE(focused, m_dialog->BitBtn1);
        QVERIFY(line1Fits);
    }

    void worksWithoutASharedDialog()
    {
        setMessageDialog(nullptr);
        QWidget *shown = nullptr;
        ModalResponder responder([&](QWidget *dialog) {
            shown = dialog;
            typeKey(dialog, Qt::Key_Escape);
        });
        const int answer = showMessageDialog(QString(), QStringLiteral("Line"), QString(), 0, 1);
        setMessageDialog(m_dialog);
        QVERIFY(responder.answered());
        QVERIFY(shown != m_dialog);
        QCOMPARE(answer, 5);
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
