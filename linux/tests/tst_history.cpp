#include "history.h"

#include "faults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <clocale>
#include <optional>

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
    void nothingToLoad_data();
    void nothingToLoad();
    void fileThatCannotBeLoadedWhole_data();
    void fileThatCannotBeLoadedWhole();
    void saveWritesOneLineEach();
    void saveOfAnEmptyListWritesNothing();
    void saveCreatesTheFileWithTheUmask();
    void saveKeepsAPrivateFilePrivate();
    void failedSaveLeavesTheOldFileWhole_data();
    void failedSaveLeavesTheOldFileWhole();
    void saveFollowsSymbolicLinks_data();
    void saveFollowsSymbolicLinks();

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
    QTest::newRow("cr only") << QByteArray("PC01\rPC02\r\rPC03")
                             << QStringList({"PC01", "PC02", "", "PC03"});
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("utf-8") << QByteArray("K\xc3\xb6ln\n") << QStringList({"Köln"});

    QStringList many;
    QByteArray manyBytes;
    for (int i = 0; i < 100000; ++i) {
        many.append(QStringLiteral("host%1").arg(i));
        manyBytes += "host" + QByteArray::number(i) + '\n';
    }
    QTest::newRow("100,000 entries") << manyBytes << many;
    const QByteArray line(1024 * 1024, 'x');
    QTest::newRow("a 1 MB line") << QByteArray("PC01\n" + line + "\nPC02")
                                 << QStringList({"PC01", QString::fromLatin1(line), "PC02"});
}

void TestHistory::loadsWhatTheFileHolds()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, entries);
    writeFile(m_dir.filePath(".kvoll"), content);

    const auto loaded = history::load(path());
    QCOMPARE(loaded.status, history::LoadStatus::Loaded);
    QCOMPARE(loaded.problem, history::Problem::None);
    QCOMPARE(loaded.entries.size(), entries.size());
    QCOMPARE(loaded.entries, entries);
    // Saved and loaded again, the list stays as it is.
    QVERIFY(history::save(path(), loaded.entries).ok());
    QCOMPARE(history::load(path()).entries, entries);
}

void TestHistory::nothingToLoad_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("no file") << QStringLiteral("missing");
    // The save creates the link's target.
    QTest::newRow("a link to nothing") << QStringLiteral("dangling link");
    QTest::newRow("home is a file") << QStringLiteral("home is a file");
}

void TestHistory::nothingToLoad()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString file = dir.filePath(".kvoll");
    if (kind == "dangling link") {
        QVERIFY(QFile::link(dir.filePath("later"), file));
    } else if (kind == "home is a file") {
        writeFile(dir.filePath("home"), "x");
        file = dir.filePath("home/.kvoll");
    }
    const auto loaded = history::load(QFile::encodeName(file));
    QCOMPARE(loaded.status, history::LoadStatus::Missing);
    QCOMPARE(loaded.problem, history::Problem::None);
    QVERIFY(loaded.entries.isEmpty());
}

namespace {

// A history file that cannot be loaded whole, and what a load must say.
struct Unloadable
{
    QString kind;
    history::Problem problem;
    int error;
    QStringList entries;
    bool asOrdinaryUser; // root would read it
};

} // namespace

Q_DECLARE_METATYPE(history::Problem)

void TestHistory::fileThatCannotBeLoadedWhole_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<history::Problem>("problem");
    QTest::addColumn<int>("error");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("asOrdinaryUser");

    using P = history::Problem;
    const QList<Unloadable> rows {
        {"holds a NUL", P::HoldsNul, 0, {"a"}, false},
        {"not the locale's encoding", P::NotText, 0, {}, false},
        {"invalid bytes before a NUL", P::NotText, 0, {}, false},
        {"a directory", P::NotAFile, 0, {}, false},
        {"a FIFO", P::NotAFile, 0, {}, false},
        {"a link to /dev/zero", P::NotAFile, 0, {}, false},
        {"larger than 64 MiB", P::TooLarge, 0, {}, false},
        {"a link loop", P::System, ELOOP, {}, false},
        {"unreadable", P::System, EACCES, {}, true},
        {"a link into a folder that cannot be searched", P::System, EACCES, {}, true},
        {"in a home that cannot be searched", P::System, EACCES, {}, true},
    };
    for (const Unloadable &row : rows) {
        QTest::newRow(qPrintable(row.kind))
            << row.kind << row.problem << row.error << row.entries << row.asOrdinaryUser;
    }
}

void TestHistory::fileThatCannotBeLoadedWhole()
{
    QFETCH(QString, kind);
    QFETCH(history::Problem, problem);
    QFETCH(int, error);
    QFETCH(QStringList, entries);
    QFETCH(bool, asOrdinaryUser);

    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
            | QFile::ExeOther));
    const QString file = dir.filePath(".kvoll");
    QString locked; // a folder to open up again afterwards
    if (kind == "holds a NUL") {
        writeFile(file, QByteArray("a\n\0\nb\n", 6));
    } else if (kind == "not the locale's encoding") {
        writeFile(file, "PC01\n\xff\xfe\n");
    } else if (kind == "invalid bytes before a NUL") {
        writeFile(file, QByteArray("PC01\n\xff\0PC02\n", 11));
    } else if (kind == "a directory") {
        QVERIFY(QDir().mkdir(file));
    } else if (kind == "a FIFO") {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0644), 0);
    } else if (kind == "a link to /dev/zero") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
    } else if (kind == "larger than 64 MiB") {
        QFile big(file);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(history::maxFileSize + 1)); // sparse: no disk used
    } else if (kind == "a link loop") {
        QVERIFY(QFile::link(file, file));
    } else if (kind == "unreadable") {
        writeFile(file, "PC01\n");
        QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
    } else if (kind == "a link into a folder that cannot be searched") {
        locked = dir.filePath("private");
        QVERIFY(QDir().mkdir(locked));
        writeFile(locked + "/history", "PC01\n");
        QVERIFY(QFile::setPermissions(locked, {}));
        QVERIFY(QFile::link(locked + "/history", file));
    } else if (kind == "in a home that cannot be searched") {
        writeFile(file, "PC01\n");
        locked = dir.path();
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner));
    }

    history::LoadResult loaded;
    const std::string cannotDrop = testsupport::runAs(
        asOrdinaryUser, [&] { loaded = history::load(QFile::encodeName(file)); });
    if (!locked.isEmpty())
        QVERIFY(
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    if (!cannotDrop.empty())
        QSKIP(cannotDrop.c_str());

    QCOMPARE(loaded.status, history::LoadStatus::Unusable);
    QCOMPARE(loaded.problem, problem);
    QCOMPARE(loaded.error, error);
    QCOMPARE(loaded.entries, entries);
}

void TestHistory::saveWritesOneLineEach()
{
    writeFile(m_dir.filePath(".kvoll"), "old\r\n");
    QVERIFY(history::save(path(), {"PC01", "", "Köln", "PC01"}).ok());
    QCOMPARE(readFile(m_dir.filePath(".kvoll")), QByteArray("PC01\n\nK\xc3\xb6ln\nPC01\n"));
    // No temporary file is left behind.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({".kvoll"}));
}

void TestHistory::saveOfAnEmptyListWritesNothing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(".kvoll");
    QVERIFY(history::save(QFile::encodeName(file), {}).ok());
    QVERIFY(!QFile::exists(file));

    writeFile(file, "keep\n");
    QVERIFY(history::save(QFile::encodeName(file), {}).ok());
    QCOMPARE(readFile(file), QByteArray("keep\n"));
}

void TestHistory::saveCreatesTheFileWithTheUmask()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(".kvoll");
    const mode_t old = ::umask(027);
    const bool saved = history::save(QFile::encodeName(file), {"PC01"}).ok();
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
    QVERIFY(history::save(file, {"PC01", "PC02"}).ok());
    struct stat st;
    QCOMPARE(::stat(file.constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
}

void TestHistory::failedSaveLeavesTheOldFileWhole_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<history::Problem>("problem");
    QTest::addColumn<int>("error");

    using P = history::Problem;
    QTest::newRow("entry the locale cannot hold") << "C locale" << P::NotText << 0;
    QTest::newRow("folder missing") << "folder missing" << P::System << ENOENT;
    QTest::newRow("a folder at the path") << "folder at the path" << P::System << EISDIR;
    QTest::newRow("folder not writable") << "folder not writable" << P::System << EACCES;
    QTest::newRow("file read-only") << "file read-only" << P::System << EACCES;
    QTest::newRow("disk full") << "disk full" << P::System << ENOSPC;
}

void TestHistory::failedSaveLeavesTheOldFileWhole()
{
    QFETCH(QString, fault);
    QFETCH(history::Problem, problem);
    QFETCH(int, error);

    QTemporaryDir dir;
    const QString home = dir.filePath("home");
    QVERIFY(QDir().mkdir(home));
    std::optional<testsupport::SmallDisk> disk;
    if (fault == "disk full") {
        disk.emplace(QFile::encodeName(home).toStdString());
        if (!disk->problem().empty())
            QSKIP(disk->problem().c_str());
    }
    QString file = home + "/.kvoll";
    const QByteArray old("A\nB\nC\n");
    writeFile(file, old);
    QStringList entries {"A", "B", "C", "PC01"};

    const auto everything = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(dir.path(), everything));
    bool asOrdinaryUser = false;
    if (fault == "C locale") {
        entries.append(QStringLiteral("K\u00f6ln"));
        std::setlocale(LC_ALL, "C");
    } else if (fault == "folder missing") {
        file = dir.filePath("missing/.kvoll");
    } else if (fault == "folder at the path") {
        QVERIFY(QDir().mkdir(home + "/folder"));
        file = home + "/folder";
    } else if (fault == "folder not writable") {
        QVERIFY(QFile::setPermissions(
            home, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        asOrdinaryUser = true;
    } else if (fault == "file read-only") {
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther));
        asOrdinaryUser = true;
    } else if (fault == "disk full") {
        QVERIFY(disk->fill());
    }

    QDir folder(home);
    folder.setFilter(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QStringList listed = folder.entryList();

    history::SaveResult saved;
    const std::string cannotDrop = testsupport::runAs(
        asOrdinaryUser, [&] { saved = history::save(QFile::encodeName(file), entries); });
    std::setlocale(LC_ALL, "C.UTF-8");
    QVERIFY(QFile::setPermissions(home, everything | QFile::WriteOwner));
    if (!cannotDrop.empty())
        QSKIP(cannotDrop.c_str());

    QCOMPARE(saved.problem, problem);
    QCOMPARE(saved.error, error);
    QCOMPARE(readFile(home + "/.kvoll"), old);
    // No temporary file is left behind.
    QCOMPARE(folder.entryList(), listed);
}

void TestHistory::saveFollowsSymbolicLinks_data()
{
    QTest::addColumn<QString>("linkText");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("targetExists");

    QTest::newRow("to a file") << "real-history"
                               << "real-history" << true;
    QTest::newRow("relative, to a file in another folder") << "data/history"
                                                           << "data/history" << true;
    QTest::newRow("to nothing: the target is created") << "data/new-history"
                                                       << "data/new-history" << false;
    QTest::newRow("a chain of links to nothing") << "second-link"
                                                 << "data/end" << false;
}

void TestHistory::saveFollowsSymbolicLinks()
{
    QFETCH(QString, linkText);
    QFETCH(QString, target);
    QFETCH(bool, targetExists);

    QTemporaryDir dir;
    QVERIFY(QDir().mkdir(dir.filePath("data")));
    if (targetExists)
        writeFile(dir.filePath(target), "old\n");
    // The second link points on at data/end, relative to its own folder.
    QCOMPARE(::symlink("data/end", QFile::encodeName(dir.filePath("second-link")).constData()), 0);
    const QString link = dir.filePath(".kvoll");
    QCOMPARE(
        ::symlink(QFile::encodeName(linkText).constData(), QFile::encodeName(link).constData()), 0);

    QVERIFY(history::load(QFile::encodeName(link)).status != history::LoadStatus::Unusable);
    QVERIFY(history::save(QFile::encodeName(link), {"PC01"}).ok());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(dir.filePath(target)), QByteArray("PC01\n"));
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
