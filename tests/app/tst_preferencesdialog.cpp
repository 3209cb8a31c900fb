#include "dialogs/preferencesdialog.h"
#include "feedbackrecorder.h"
#include "preferences.h"
#include "sharedlog/sharedlogsetting.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

namespace {
std::int32_t int32At(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<std::int32_t>(bytes.constData() + offset);
}

enum class Dismiss
{
    Cancel,
    Escape,
    CloseBox
};
} // namespace

Q_DECLARE_METATYPE(Dismiss)

class TestPreferencesDialog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_temp;
    PreferencesRecord m_prefs{};
    std::unique_ptr<FeedbackRecorder> m_recorder;

    static QByteArray fileBytes()
    {
        QFile file(preferencesPath());
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return file.readAll();
    }

    // The dialog over the test's preferences, in a run with room for `capacity` objects.
    std::unique_ptr<PreferencesDialog> dialogFor(std::int32_t capacity = 20)
    {
        return std::make_unique<PreferencesDialog>(m_prefs, capacity, m_recorder->feedback());
    }

    // The dialog shown with `text` typed over its value.
    static void showWithValue(PreferencesDialog &dialog, const QString &text)
    {
        dialog.show();
        dialog.maxObjectsEdit->selectAll();
        QTest::keyClicks(dialog.maxObjectsEdit, text);
    }

    // What the user was told: "caption: text" for each box, then the errors.
    QStringList told() const
    {
        QStringList lines;
        for (const FeedbackRecorder::Message &message : m_recorder->messages)
            lines << message.second + QStringLiteral(": ") + message.first;
        for (const QString &error : m_recorder->errors())
            lines << QStringLiteral("error: ") + error;
        return lines;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QVERIFY(preferencesPath().startsWith(m_temp.path()));
    }

    void init()
    {
        QFile::remove(preferencesPath());
        QFile::remove(userSettingsPath());
        m_prefs = PreferencesRecord{};
        m_recorder = std::make_unique<FeedbackRecorder>();
    }

    void cleanup() { m_recorder.reset(); }

    void showsTheCapacityInForce()
    {
        m_prefs.maxObjects = 50;
        const auto dialog = dialogFor(37);
        QCOMPARE(dialog->maxObjectsEdit->text(), QStringLiteral("20"));
        dialog->show();
        QCOMPARE(dialog->maxObjectsEdit->text(), QStringLiteral("37"));
    }

    void okStoresTheValue_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<int>("stored");
        QTest::newRow("whole number") << QStringLiteral("35") << false << 35;
        QTest::newRow("fraction cut toward zero") << QStringLiteral("35.7") << false << 35;
        QTest::newRow("Enter in the value") << QStringLiteral("35") << true << 35;
        QTest::newRow("smallest") << QStringLiteral("1") << false << 1;
        QTest::newRow("largest") << QStringLiteral("10000") << false << 10000;
    }

    void okStoresTheValue()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        QFETCH(int, stored);

        m_prefs.showLinks = 1;
        m_prefs.reserved36[0] = 0x5a;
        const auto dialog = dialogFor();
        showWithValue(*dialog, typed);
        if (byEnter)
            QTest::keyClick(dialog->maxObjectsEdit, Qt::Key_Return);
        else
            QTest::mouseClick(dialog->okButton, Qt::LeftButton);

        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_prefs.maxObjects, stored);
        QCOMPARE(m_prefs.maxObjectsCopy, stored);
        const QByteArray bytes = fileBytes();
        QCOMPARE(bytes.size(), 156);
        QCOMPARE(int32At(bytes, 28), stored);
        QCOMPARE(int32At(bytes, 32), stored);
        // The whole record is written, not just the capacity.
        QCOMPARE(int32At(bytes, 152), 1);
        QCOMPARE(std::uint8_t(bytes.at(36)), std::uint8_t(0x5a));
        QCOMPARE(told(), QStringList());
    }

    void valueOutsideTheRangeIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("negative fraction") << QStringLiteral("-2.5");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("too many") << QStringLiteral("10001");
        QTest::newRow("beyond 32 bits") << QStringLiteral("1e12");
    }

    void valueOutsideTheRangeIsRefused()
    {
        QFETCH(QString, typed);
        m_prefs.maxObjects = 20;
        const auto dialog = dialogFor();
        showWithValue(*dialog, typed);
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);

        QVERIFY(dialog->isVisible());
        const QStringList lines = told();
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().startsWith(QStringLiteral("Preferences: ")));
        QCOMPARE(m_prefs.maxObjects, 20);
        QVERIFY(!QFile::exists(preferencesPath()));
    }

    void textThatIsNoNumberIsReported()
    {
        const auto dialog = dialogFor();
        showWithValue(*dialog, QStringLiteral("abc"));
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
        // The error display leaves the dialog as it is.
        QCOMPARE(told(),
                 QStringList{QStringLiteral("error: 'abc' is not a valid floating point value")});
        QVERIFY(dialog->isVisible());
        QCOMPARE(m_prefs.maxObjects, 0);
        QVERIFY(!QFile::exists(preferencesPath()));
    }

    void dismissingStoresNothing_data()
    {
        QTest::addColumn<Dismiss>("how");
        QTest::newRow("Cancel") << Dismiss::Cancel;
        QTest::newRow("Escape") << Dismiss::Escape;
        QTest::newRow("close box") << Dismiss::CloseBox;
    }

    void dismissingStoresNothing()
    {
        QFETCH(Dismiss, how);
        const auto dialog = dialogFor();
        showWithValue(*dialog, QStringLiteral("35"));
        switch (how) {
        case Dismiss::Cancel:
            QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
            break;
        case Dismiss::Escape:
            QTest::keyClick(dialog->maxObjectsEdit, Qt::Key_Escape);
            break;
        case Dismiss::CloseBox:
            dialog->close();
            break;
        }
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(m_prefs.maxObjects, 0);
        QVERIFY(!QFile::exists(preferencesPath()));
    }

    // The shared print log is kept without a password, which the user is told
    // where to put; a URI the program cannot use is refused on its page.
    void sharedLogIsKeptWithoutAPassword_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("message");

        const QString noPassword =
            QStringLiteral("Preferences: Shared print log: Paginette keeps no password. Give the "
                           "URI without it, and the password in ~/.pgpass or in the PGPASSWORD "
                           "environment variable.");
        QTest::newRow("a server") << "postgresql://shop@db.example.org:5433/paginette" << true
                                  << "";
        QTest::newRow("a socket folder")
            << "postgresql:///paginette?host=/run/postgresql" << true << "";
        QTest::newRow("none") << "" << true << "";
        QTest::newRow("a password")
            << "postgresql://shop:s3cret@db/paginette" << false << noPassword;
        QTest::newRow("a password in the query")
            << "postgresql://db/paginette?user=shop&password=s3cret" << false << noPassword;
        QTest::newRow("not a postgresql:// URI")
            << "mysql://db/paginette" << false
            << "Preferences: Shared print log: not a postgresql:// URI "
               "(postgresql://USER@HOST/DATABASE).";
    }

    void sharedLogIsKeptWithoutAPassword()
    {
        QFETCH(QString, typed);
        QFETCH(bool, kept);
        QFETCH(QString, message);

        const QString before = QStringLiteral("postgresql://office@db/paginette");
        QCOMPARE(SharedLogSetting().store(before), QString());
        const auto dialog = dialogFor();
        dialog->show();
        QTabBar *tabs = dialog->pages->tabBar();
        QCOMPARE(tabs->tabText(0), QStringLiteral("&Objects"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("&Print Log"));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        QCOMPARE(dialog->sharedLogEdit->text(), before);
        dialog->sharedLogEdit->selectAll();
        QTest::keyClick(dialog->sharedLogEdit, Qt::Key_Delete);
        QTest::keyClicks(dialog->sharedLogEdit, typed);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);

        QCOMPARE(told(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dialog->isVisible(), !kept);
        QCOMPARE(SharedLogSetting().uri(), kept ? typed : before);
        if (!kept)
            QCOMPARE(dialog->pages->currentWidget(), dialog->printLogPage);
        QFile settings(userSettingsPath());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("s3cret"));
    }

    // The value stored takes effect at the next start: this run keeps its capacity.
    void reopeningShowsTheCapacityInForce()
    {
        const auto dialog = dialogFor();
        showWithValue(*dialog, QStringLiteral("35"));
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
        QCOMPARE(fileBytes().mid(28, 4), QByteArray("\x23\0\0\0", 4));

        dialog->show();
        QCOMPARE(dialog->maxObjectsEdit->text(), QStringLiteral("20"));
    }
};

QTEST_MAIN(TestPreferencesDialog)
#include "tst_preferencesdialog.moc"
