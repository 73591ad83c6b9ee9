#include "quessel/util/Cp932File.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace quessel;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestCp932File : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("memory token 1") << QStringLiteral("【①》") << QByteArray("\x81\x79\x87\x40\x81\x74");
        QTest::newRow("memory token 10") << QStringLiteral("【⑩》") << QByteArray("\x81\x79\x87\x49\x81\x74");
        QTest::newRow("wave dash as the Windows program writes it") << QStringLiteral("～") << QByteArray("\x81\x60");
        QTest::newRow("full-width minus") << QStringLiteral("－") << QByteArray("\x81\x7c");
        QTest::newRow("half-width katakana") << QStringLiteral("ｶｽﾀﾏｲｽﾞ") << QByteArray("\xb6\xbd\xc0\xcf\xb2\xbd\xde");
        QTest::newRow("kanji and kana") << QStringLiteral("検索サイト")
                                        << QByteArray("\x8c\x9f\x8d\xf5\x83\x54\x83\x43\x83\x67");
        QTest::newRow("outside the code page as a reference") << QStringLiteral("a😀b") << QByteArray("a&#128512;b");
        QTest::newRow("accented letter outside the code page") << QStringLiteral("é") << QByteArray("&#233;");
        QTest::newRow("literal reference to a mappable character stays text")
            << QStringLiteral("&#65;") << QByteArray("&#65;");
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cp932File::encodeText(text), bytes);
        QCOMPARE(Cp932File::decodeText(bytes), text);
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file has no line") << QByteArray() << QStringList{};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("last line without a line end counts") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("LF and CR alone") << QByteArray("a\nb\rc") << QStringList{"a", "b", "c"};
        QTest::newRow("blank lines are lines") << QByteArray("\r\n\r\nx\r\n") << QStringList{"", "", "x"};
        QTest::newRow("invalid bytes read as replacement, rest loads")
            << QByteArray("a\x81\r\n\xff"
                          "b\r\nok")
            << QStringList{QStringLiteral("a\uFFFD"), QStringLiteral("\uFFFDb"), "ok"};
        QTest::newRow("lone lead byte at the end") << QByteArray("x\x88") << QStringList{QStringLiteral("x\uFFFD")};
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(Cp932File::decodeLines(bytes), lines);
    }

    void writeAndReadFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VELT_u_SearchWord.DAT"));
        const QStringList lines{QStringLiteral("【①》\t～"), QString(), QStringLiteral("ﾃｽﾄ😀")};
        QVERIFY(Cp932File::writeLines(path, lines));
        QCOMPARE(readAll(path), QByteArray("\x81\x79\x87\x40\x81\x74\t\x81\x60\r\n\r\n\xc3\xbd\xc4&#128512;\r\n"));
        QStringList back;
        bool existed = false;
        QVERIFY(Cp932File::readLines(path, back, &existed));
        QVERIFY(existed);
        QCOMPARE(back, lines);
    }

    void emptyListWritesZeroBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.DAT"));
        QVERIFY(Cp932File::writeLines(path, {}));
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    void missingFileIsNoError()
    {
        QStringList lines{QStringLiteral("stale")};
        bool existed = true;
        QVERIFY(Cp932File::readLines(QStringLiteral("/nonexistent/dir/file.DAT"), lines, &existed));
        QVERIFY(!existed);
        QVERIFY(lines.isEmpty());
    }

    void unwritableTargetIsReported()
    {
        QTemporaryDir dir;
        const FileResult r = Cp932File::writeLines(dir.filePath(QStringLiteral("no/such/folder/x.DAT")), {"a"});
        QVERIFY(!r.ok);
        QVERIFY(r.errorText.contains(QStringLiteral("x.DAT")));
    }

    void interruptedWriteLeavesOldFile()
    {
        // A disk that fills up mid-write: the file size limit makes the write fail part way,
        // as a full disk would, even for root.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VELT_u_SearchSite.DAT"));
        const QByteArray old("old line\r\n");
        writeAll(path, old);

        QStringList big;
        for (int i = 0; i < 5000; ++i)
            big << QStringLiteral("検索サイト %1 ").arg(i).repeated(4);

        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const FileResult r = Cp932File::writeLines(path, big);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!r.ok);
        QVERIFY(!r.errorText.isEmpty());
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("VELT_u_SearchSite.DAT")});
    }
};

QTEST_GUILESS_MAIN(TestCp932File)
#include "tst_cp932file.moc"
