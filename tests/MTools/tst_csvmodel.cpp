#include "TestMain.h"
#include "FileSizeLimit.h"
#include "Tools.h"

#include <MTools/CsvModel.h>

#include <QAbstractItemModelTester>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSize>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Table = QList<QStringList>;

const char* const kPython = "/usr/bin/python3";

using TestKit::readFile;
using TestKit::writeFile;

QJsonArray toJson(const Table& table)
{
    QJsonArray rows;
    for (const QStringList& line : table)
        rows.append(QJsonArray::fromStringList(line));
    return rows;
}

Table fromJson(const QByteArray& json)
{
    Table table;
    for (const QJsonValue& row : QJsonDocument::fromJson(json).array()) {
        QStringList line;
        for (const QJsonValue& field : row.toArray())
            line.append(field.toString());
        table.append(line);
    }
    return table;
}

// Writes table with Python's csv module, default dialect.
bool pythonWrite(const Table& table, const QString& strJson, const QString& strCsv)
{
    if (!writeFile(strJson, QJsonDocument(toJson(table)).toJson()))
        return false;
    return TestKit::runTool(kPython, {"-c",
                                      "import csv, json, sys\n"
                                      "rows = json.load(open(sys.argv[1], encoding='utf-8'))\n"
                                      "with open(sys.argv[2], 'w', newline='', encoding='utf-8') as f:\n"
                                      "    csv.writer(f).writerows(rows)\n",
                                      strJson, strCsv})
               .exitCode == 0;
}

// Header plus data rows of the model, as the model shows them.
Table modelTable(const MTools::CsvModel& model)
{
    Table table;
    QStringList header;
    for (int c = 0; c < model.columnCount(); ++c)
        header.append(model.headerData(c, Qt::Horizontal).toString());
    table.append(header);
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList line;
        for (int c = 0; c < model.columnCount(); ++c)
            line.append(model.data(model.index(r, c)).toString());
        table.append(line);
    }
    return table;
}

// Fields drawn from pieces that need quoting (separator, quotes, line breaks) and from non-ASCII text.
Table randomTable(quint32 uSeed, int nColumns, int nRows)
{
    QRandomGenerator rng(uSeed);
    const QStringList pieces{"a",    "X",  "0",    " ",  ",",  ";",      "'",      "\"",
                             "\"\"", "\n", "\r\n", "\\", "\t", "\u00e9", "\u65e5", "\U0001F3B5"};
    Table table;
    for (int r = 0; r <= nRows; ++r) {
        QStringList line;
        for (int c = 0; c < nColumns; ++c) {
            QString strField;
            const int nLength = int(rng.bounded(8));
            for (int i = 0; i < nLength; ++i)
                strField.append(pieces.at(int(rng.bounded(pieces.size()))));
            line.append(strField);
        }
        table.append(line);
    }
    return table;
}

} // namespace

class TestCsvModel : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void splitLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("quoted") << "\"a\",\"b,c\",\"d\"" << QStringList{"a", "b,c", "d"};
        QTest::newRow("unquoted") << "a,b,c" << QStringList{"a", "b", "c"};
        QTest::newRow("doubled quote") << "\"a\"\"b\",x" << QStringList{"a\"b", "x"};
        QTest::newRow("quote inside unquoted") << "a\"b,c" << QStringList{"a\"b", "c"};
        QTest::newRow("empty quoted field") << "\"\"" << QStringList{""};
        QTest::newRow("empty fields") << ",," << QStringList{"", "", ""};
        QTest::newRow("unclosed quote keeps text") << "\"a\",\"b" << QStringList{"a", "b"};
        QTest::newRow("line break in quotes") << "\"a\nb\",c\nnext" << QStringList{"a\nb", "c"};
        QTest::newRow("empty line") << "" << QStringList{};
    }

    void splitLine()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(MTools::CsvModel::splitCSVLine(line), fields);
    }

    void emptyAndHeaderOnly()
    {
        MTools::CsvModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString strPath = m_dir.filePath("empty.csv");
        QVERIFY(writeFile(strPath, QByteArray()));
        QVERIFY(model.loadData(strPath));
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
        QVERIFY(!model.headerData(0, Qt::Horizontal).isValid());
        QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
        QCOMPARE(model.flags(model.index(0, 0)), Qt::ItemFlags(Qt::NoItemFlags));
        QVERIFY(!model.data(model.index(0, 0), Qt::SizeHintRole).isValid());
        QVERIFY(!model.insertRows(0, 1)); // no header line to insert below
        QVERIFY(!model.removeRows(0, 1));

        QVERIFY(writeFile(strPath, "\"A\",\"B\",\"C\"\n"));
        QVERIFY(model.loadData(strPath));
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("B"));
        QVERIFY(!model.headerData(3, Qt::Horizontal).isValid());

        QVERIFY(!model.loadData(m_dir.filePath("missing/none.csv")));
        QCOMPARE(model.columnCount(), 3);
        QVERIFY(!model.saveData(m_dir.filePath("missing/none.csv")));
    }

    // Files written by Python's csv module with its default dialect load field for field.
    void loadWhatPythonWrites()
    {
        const Table table = randomTable(7, 4, 30);
        const QString strCsv = m_dir.filePath("python.csv");
        QVERIFY(pythonWrite(table, m_dir.filePath("in.json"), strCsv));

        MTools::CsvModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resetSpy(&model, SIGNAL(modelReset()));
        QVERIFY(model.loadData(strCsv));
        QCOMPARE(resetSpy.count(), 1);
        QCOMPARE(modelTable(model), table);
        QCOMPARE(model.headerData(0, Qt::Vertical).toInt(), 1);
        QCOMPARE(model.data(model.index(2, 1), Qt::SizeHintRole).toSize(), QSize(30, 12));
        QCOMPARE(model.data(model.index(2, 1), Qt::EditRole), model.data(model.index(2, 1), Qt::DisplayRole));
        QVERIFY(!model.data(model.index(2, 1), Qt::DecorationRole).isValid());
        QVERIFY(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
        QVERIFY(model.hasChildren());
        QVERIFY(!model.hasChildren(model.index(0, 0)));
        QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    }

    // What the model saves reads back through Python's csv module as the same table.
    void saveWhatPythonReads()
    {
        const Table table = randomTable(99, 3, 12);
        const QString strCsv = m_dir.filePath("model.csv");
        QVERIFY(pythonWrite(table, m_dir.filePath("model.json"), strCsv));
        MTools::CsvModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(model.loadData(strCsv));
        QSignalSpy changedSpy(&model, SIGNAL(dataChanged(QModelIndex, QModelIndex, QVector<int>)));
        QVERIFY(model.setData(model.index(3, 2), QStringLiteral("edited, with comma")));
        QVERIFY(model.setData(model.index(3, 2), QStringLiteral("edited, with comma"), Qt::DisplayRole));
        QCOMPARE(changedSpy.count(), 2);
        QCOMPARE(changedSpy.at(0).at(0).toModelIndex(), model.index(3, 2));
        QVERIFY(changedSpy.at(0).at(2).value<QVector<int>>().isEmpty());
        QVERIFY(!model.setData(model.index(3, 2), QStringLiteral("x"), Qt::ToolTipRole));
        QVERIFY(!model.setData(QModelIndex(), QStringLiteral("x")));
        QVERIFY(model.insertRows(0, 2));
        QVERIFY(model.removeRows(5, 3));

        Table expected = table;
        expected[4][2] = QStringLiteral("edited, with comma");
        expected.insert(1, QStringList{"", "", ""});
        expected.insert(1, QStringList{"", "", ""});
        for (int i = 0; i < 3; ++i)
            expected.removeAt(6);
        QCOMPARE(modelTable(model), expected);

        const QString strSaved = m_dir.filePath("saved.csv");
        QVERIFY(model.saveData(strSaved));
        const TestKit::ToolResult result =
            TestKit::runTool(kPython, {"-c",
                                       "import csv, json, sys\n"
                                       "rows = csv.reader(open(sys.argv[1], newline='', encoding='utf-8'))\n"
                                       "sys.stdout.buffer.write(json.dumps(list(rows)).encode())\n",
                                       strSaved});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(fromJson(result.out), expected);
    }

    void quotesAndEmptyRows()
    {
        const QString strPath = m_dir.filePath("quotes.csv");
        QVERIFY(writeFile(strPath, "H1,H2\n\n\"p\",q\n"));
        MTools::CsvModel model;
        QVERIFY(model.loadData(strPath));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(0, 0)).toString(), QString()); // row without fields reads empty
        QVERIFY(model.setData(model.index(1, 0), QStringLiteral("a,b\r\nc")));
        QVERIFY(model.setData(model.index(1, 1), QStringLiteral("say \"hi\"")));
        QVERIFY(model.saveData(strPath));
        const QByteArray saved("\"H1\",\"H2\"\n\"\"\n\"a,b\r\nc\",\"say \"\"hi\"\"\"\n");
        QCOMPARE(readFile(strPath), saved);

        QVERIFY(model.loadData(strPath));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(0, 0)).toString(), QString());
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("a,b\r\nc"));
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("say \"hi\""));

        // A save that cannot be completed reports it and leaves the earlier file as it was.
        QVERIFY(model.setData(model.index(1, 0), QString(4096, QLatin1Char('x'))));
        {
            TestKit::FileSizeLimit limit(1024);
            QVERIFY(limit.isActive());
            QVERIFY(!model.saveData(strPath));
        }
        QCOMPARE(readFile(strPath), saved);

        // Writing a cell beyond a short row widens the row.
        QVERIFY(model.setData(model.index(0, 1), QStringLiteral("w")));
        QCOMPARE(model.data(model.index(0, 0)).toString(), QString());
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("w"));
    }

    void tooltip_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("tip");
        QTest::newRow("empty field skipped")
            << QByteArray("\"A\",\"B\",\"C\"\n\"x\",\"\",\"z\"\n")
            << QStringLiteral("<table><tr><td><b>A</b>: x</td></tr><tr><td><b>C</b>: z</td></tr></table>");
        // Field and header texts are text, never markup.
        QTest::newRow("markup escaped")
            << QByteArray("\"<i>A\"\n\"<u>under & <b>bold\"\n")
            << QStringLiteral("<table><tr><td><b>&lt;i&gt;A</b>: &lt;u&gt;under &amp; &lt;b&gt;bold</td></tr></table>");
    }

    void tooltip()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, tip);
        const QString strPath = m_dir.filePath("tip.csv");
        QVERIFY(writeFile(strPath, csv));
        MTools::CsvModel model;
        QVERIFY(model.loadData(strPath));
        QCOMPARE(model.data(model.index(0, 0), Qt::ToolTipRole).toString(), tip);
    }

    void insertAndRemove()
    {
        const QString strPath = m_dir.filePath("rows.csv");
        QVERIFY(writeFile(strPath, "\"A\",\"B\",\"C\"\n\"1\"\n\"2\"\n\"3\"\n"));
        MTools::CsvModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(model.loadData(strPath));

        QSignalSpy insertSpy(&model, SIGNAL(rowsInserted(QModelIndex, int, int)));
        QVERIFY(model.insertRows(0, 2));
        QCOMPARE(insertSpy.count(), 1);
        QCOMPARE(insertSpy.at(0).at(1).toInt(), 0);
        QCOMPARE(insertSpy.at(0).at(2).toInt(), 1);
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.data(model.index(2, 0)).toString(), QStringLiteral("1"));
        QCOMPARE(model.data(model.index(0, 2)).toString(), QString());
        QVERIFY(model.insertRows(5, 1)); // at the end
        QCOMPARE(model.rowCount(), 6);
        QVERIFY(!model.insertRows(7, 1));
        QVERIFY(!model.insertRows(-1, 1));
        QVERIFY(model.insertRows(0, 0));
        QCOMPARE(model.rowCount(), 6);

        QVERIFY(!model.removeRows(0, model.rowCount() + 1));
        QVERIFY(!model.removeRows(-1, 1));
        QCOMPARE(model.rowCount(), 6);
        QVERIFY(model.removeRows(2, 0));
        QVERIFY(model.removeRows(0, model.rowCount()));
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("C"));
    }

private:
    QTemporaryDir m_dir;
};

TRELVANIC_TEST_MAIN(TestCsvModel)
#include "tst_csvmodel.moc"
