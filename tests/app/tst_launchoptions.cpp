#include "filenames.h"
#include "launchoptions.h"

#include <QtTest>

// Shown when two sets of options differ.
char *toString(const LaunchOptions &options)
{
    return QTest::toString(QStringLiteral("document '%1' help %2 version %3 error '%4'")
                               .arg(options.document)
                               .arg(options.help)
                               .arg(options.version)
                               .arg(options.error));
}

class TestLaunchOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<LaunchOptions>("expected");
        QTest::newRow("nothing") << QStringList{} << LaunchOptions{};
        QTest::newRow("a document")
            << QStringList{"tickets.pgt"} << LaunchOptions{.document = "tickets.pgt"};
        QTest::newRow("a document named like an option")
            << QStringList{"--", "-odd.pgt"} << LaunchOptions{.document = "-odd.pgt"};
        QTest::newRow("help") << QStringList{"--help"} << LaunchOptions{.help = true};
        QTest::newRow("short help") << QStringList{"-h"} << LaunchOptions{.help = true};
        QTest::newRow("version") << QStringList{"--version"} << LaunchOptions{.version = true};
        // Before QApplication has taken out its own options, help still answers.
        QTest::newRow("help beside a Qt option")
            << QStringList{"-style", "fusion", "--help"}
            << LaunchOptions{.help = true, .error = "Unknown option 'style'."};
        // A Qt option whose letters hold an h is not a request for help.
        QTest::newRow("Qt option with an h")
            << QStringList{"-stylesheet", "dark.qss"}
            << LaunchOptions{.error = "Unknown option 'stylesheet'."};
        QTest::newRow("unknown option")
            << QStringList{"--pages", "3"} << LaunchOptions{.error = "Unknown option 'pages'."};
        QTest::newRow("two documents")
            << QStringList{"a.pgt", "b.pgt"} << LaunchOptions{.error = "give one document"};
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(LaunchOptions, expected);
        arguments.prepend(QStringLiteral("paginette"));
        QCOMPARE(parseLaunchOptions(arguments), expected);
    }

    // The command line as main() gets it: a document's name is its bytes,
    // those that are not UTF-8 too.
    void aDocumentsNameKeepsItsBytes()
    {
        const QByteArray name = QByteArray("tickets") + '\xff' + ".pgt";
        const char *const arguments[] = {"paginette", name.constData()};
        const LaunchOptions options = parseLaunchOptions(2, arguments);
        QCOMPARE(options.error, QString());
        QCOMPARE(nativeFileName(options.document), name);
    }
};

QTEST_GUILESS_MAIN(TestLaunchOptions)
#include "tst_launchoptions.moc"
