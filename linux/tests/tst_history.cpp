#include "history.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

#include <sys/stat.h>
#include <unistd.h>

using namespace kvoll;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void filePath_data();
    void filePath();
    void parse_data();
    void parse();
    void indexOf_data();
    void indexOf();
    void loadsWhatTheFileHolds_data();
    void loadsWhatTheFileHolds();
    void loadOfSomethingUnusable_data();
    void loadOfSomethingUnusable();
    void saveWritesOneLineEach();
    void saveOfAnEmptyListWritesNothing();
    void saveCreatesTheFileWithTheUmask();
    void saveKeepsAPrivateFilePrivate();
    void failedSaveLeavesTheOldFileWhole_data();
    void failedSaveLeavesTheOldFileWhole();
    void saveFollowsASymbolicLink();

private:
    QTemporaryDir m_dir;
    QByteArray path() const { return QFile::encodeName(m_dir.filePath(QStringLiteral(".kvoll"))); }
};

void TestHistory::initTestCase()
{
    QVERIFY(std::setlocale(LC_ALL, "C.UTF-8"));
}

void TestHistory::filePath_data()
{
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<bool>("set");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain") << QByteArray("/home/ann") << true << QByteArray("/home/ann/.kvoll");
    QTest::newRow("trailing slash")
        << QByteArray("/home/ann/") << true << QByteArray("/home/ann/.kvoll");
    QTest::newRow("empty") << QByteArray("") << true << QByteArray("/.kvoll");
    QTest::newRow("unset") << QByteArray() << false << QByteArray("/.kvoll");
}

void TestHistory::filePath()
{
    QFETCH(QByteArray, home);
    QFETCH(bool, set);
    QFETCH(QByteArray, expected);
    QCOMPARE(history::filePath(set ? home.constData() : nullptr), expected);
}

void TestHistory::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("lf") << QStringLiteral("PC01\nPC02\n") << QStringList({"PC01", "PC02"});
    QTest::newRow("crlf") << QStringLiteral("PC01\r\nPC02\r\n") << QStringList({"PC01", "PC02"});
    QTest::newRow("cr") << QStringLiteral("PC01\rPC02\r") << QStringList({"PC01", "PC02"});
    QTest::newRow("no final end") << QStringLiteral("PC01\nPC02") << QStringList({"PC01", "PC02"});
    QTest::newRow("empty line inside")
        << QStringLiteral("PC01\n\nPC02\n") << QStringList({"PC01", "", "PC02"});
    QTest::newRow("lf cr is two ends") << QStringLiteral("A\n\rB") << QStringList({"A", "", "B"});
    QTest::newRow("lone line end") << QStringLiteral("\n") << QStringList({""});
    QTest::newRow("duplicates kept")
        << QStringLiteral("PC01\nPC01\n") << QStringList({"PC01", "PC01"});
    QTest::newRow("spaces kept") << QStringLiteral(" a b \n") << QStringList({" a b "});
}

void TestHistory::parse()
{
    QFETCH(QString, text);
    QFETCH(QStringList, entries);
    QCOMPARE(history::parse(text), entries);
    // What is written reads back the same.
    QCOMPARE(history::parse(history::serialize(entries)), entries);
}

void TestHistory::indexOf_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("index");

    const QStringList list {"PC01", "Server", "pc01", "Köln"};
    QTest::newRow("same") << list << QStringLiteral("Server") << 1;
    QTest::newRow("other case, first wins") << list << QStringLiteral("Pc01") << 0;
    QTest::newRow("non-ascii case") << list << QStringLiteral("KÖLN") << 3;
    QTest::newRow("missing") << list << QStringLiteral("PC02") << -1;
    QTest::newRow("prefix is not equal") << list << QStringLiteral("PC0") << -1;
    QTest::newRow("empty list") << QStringList() << QStringLiteral("PC01") << -1;
}

void TestHistory::indexOf()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, address);
    QFETCH(int, index);
    QCOMPARE(history::indexOf(entries, address), index);
}

void TestHistory::loadsWhatTheFileHolds_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("two lines") << QByteArray("PC01\nPC02\n") << QStringList({"PC01", "PC02"});
    QTest::newRow("crlf") << QByteArray("PC01\r\nPC02\r\n") << QStringList({"PC01", "PC02"});
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("stops at NUL") << QByteArray("PC01\nPC02\0PC03\n", 15)
                                  << QStringList({"PC01", "PC02"});
    QTest::newRow("utf-8") << QByteArray("K\xc3\xb6ln\n") << QStringList({"Köln"});
}

void TestHistory::loadsWhatTheFileHolds()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, entries);
    writeFile(m_dir.filePath(".kvoll"), content);

    const auto loaded = history::load(path());
    QCOMPARE(loaded.status, history::LoadStatus::Loaded);
    QCOMPARE(loaded.entries, entries);
}

void TestHistory::loadOfSomethingUnusable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not the locale's encoding") << QStringLiteral("bad bytes");
    QTest::newRow("a directory") << QStringLiteral("directory");
    QTest::newRow("missing") << QStringLiteral("missing");
}

void TestHistory::loadOfSomethingUnusable()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString file = dir.filePath(".kvoll");
    if (kind == "bad bytes")
        writeFile(file, "PC01\n\xff\xfe\n");
    else if (kind == "directory")
        QVERIFY(QDir().mkdir(file));

    const auto loaded = history::load(QFile::encodeName(file));
    QVERIFY(loaded.entries.isEmpty());
    QCOMPARE(loaded.status,
        kind == "missing" ? history::LoadStatus::Missing : history::LoadStatus::Unusable);
}

void TestHistory::saveWritesOneLineEach()
{
    writeFile(m_dir.filePath(".kvoll"), "old\r\n");
    QVERIFY(history::save(path(), {"PC01", "", "Köln", "PC01"}));
    QCOMPARE(readFile(m_dir.filePath(".kvoll")), QByteArray("PC01\n\nK\xc3\xb6ln\nPC01\n"));
    // No temporary file is left behind.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({".kvoll"}));
}

void TestHistory::saveOfAnEmptyListWritesNothing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(".kvoll");
    QVERIFY(history::save(QFile::encodeName(file), {}));
    QVERIFY(!QFile::exists(file));

    writeFile(file, "keep\n");
    QVERIFY(history::save(QFile::encodeName(file), {}));
    QCOMPARE(readFile(file), QByteArray("keep\n"));
}

void TestHistory::saveCreatesTheFileWithTheUmask()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(".kvoll");
    const mode_t old = ::umask(027);
    const bool saved = history::save(QFile::encodeName(file), {"PC01"});
    ::umask(old);
    QVERIFY(saved);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0640));
}

void TestHistory::saveKeepsAPrivateFilePrivate()
{
    QTemporaryDir dir;
    const QByteArray file = QFile::encodeName(dir.filePath(".kvoll"));
    writeFile(QString::fromLocal8Bit(file), "PC01\n");
    QCOMPARE(::chmod(file.constData(), 0600), 0);
    QVERIFY(history::save(file, {"PC01", "PC02"}));
    struct stat st;
    QCOMPARE(::stat(file.constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
}

void TestHistory::failedSaveLeavesTheOldFileWhole_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("locale");
    QTest::newRow("entry the locale cannot hold") << QStringList({"PC01", "Köln"}) << "C";
}

void TestHistory::failedSaveLeavesTheOldFileWhole()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, locale);
    QTemporaryDir dir;
    const QString file = dir.filePath(".kvoll");
    writeFile(file, "A\nB\nC\n");

    std::setlocale(LC_ALL, locale.toLatin1().constData());
    const bool saved = history::save(QFile::encodeName(file), entries);
    std::setlocale(LC_ALL, "C.UTF-8");
    QVERIFY(!saved);
    QCOMPARE(readFile(file), QByteArray("A\nB\nC\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({".kvoll"}));

    // A path whose folder is missing, or that names a folder, fails cleanly.
    QVERIFY(!history::save(QFile::encodeName(dir.filePath("missing/.kvoll")), {"PC01"}));
    QVERIFY(QDir().mkdir(dir.filePath("folder")));
    QVERIFY(!history::save(QFile::encodeName(dir.filePath("folder")), {"PC01"}));
    QVERIFY(QFileInfo(dir.filePath("folder")).isDir());
}

void TestHistory::saveFollowsASymbolicLink()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("real-history");
    const QString link = dir.filePath(".kvoll");
    writeFile(target, "old\n");
    QVERIFY(QFile::link(target, link));
    QVERIFY(history::save(QFile::encodeName(link), {"PC01"}));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(target), QByteArray("PC01\n"));
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
