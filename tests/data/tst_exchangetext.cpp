#include "quessel/data/ExchangeText.h"
#include "quessel/data/SiteNameClash.h"

#include <QTest>

using namespace quessel;

Q_DECLARE_METATYPE(quessel::ClashChoice)

namespace {

const QString Payload = QStringLiteral("TrendSite\tgoo(人気検索ワード)\thttps://www.goo.ne.jp/\t        \tj1\t\tp");

QString bodyOf(const QString& exchangeText)
{
    return exchangeText.mid(7, exchangeText.size() - 14);
}

QString wrap(const QString& body)
{
    return QStringLiteral("*START*") + body + QStringLiteral("**END**");
}

QString base64Of(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

QString fullWidth(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() >= 0x21 && c.unicode() <= 0x7E)
            c = QChar(char16_t(c.unicode() + 0xFEE0));
    return out;
}

class CountingPrompt : public SiteNameClashPrompt
{
public:
    explicit CountingPrompt(ClashChoice choice) : m_choice(choice) {}
    ClashChoice ask(ListType type, const QString& incomingName) override
    {
        ++asked;
        lastType = type;
        lastName = incomingName;
        return m_choice;
    }
    int asked = 0;
    ListType lastType = SearchSiteList;
    QString lastName;

private:
    ClashChoice m_choice;
};

std::function<int(const QString&)> finderOver(const QStringList& names)
{
    return [names](const QString& name) { return int(names.indexOf(name)) + 1; };
}

} // namespace

class TestExchangeText : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("payload");

        const QString good = EncodeExchangeText(Payload);
        const QString body = bodyOf(good);
        const qsizetype half = body.size() / 2;

        QTest::newRow("own encoding") << good << Payload;
        QTest::newRow("chat prefix before *START*") << QStringLiteral("山田: これをどうぞ→ ") + good << Payload;
        QTest::newRow("text after **END**") << good + QStringLiteral("\r\nよろしく") << Payload;
        QTest::newRow("line break in the Base64 body")
            << wrap(body.left(half) + QStringLiteral("\r\n") + body.mid(half)) << Payload;
        QTest::newRow("blanks, tabs and hyphens in the body")
            << wrap(body.left(4) + QStringLiteral(" - ") + body.mid(4, half) + QStringLiteral("--\t  ") +
                    body.mid(4 + half))
            << Payload;
        QTest::newRow("full-width letters and markers") << fullWidth(good) << Payload;
        QTest::newRow("full-width blanks in the body")
            << wrap(body.left(half) + QStringLiteral("　") + body.mid(half)) << Payload;
        QTest::newRow("only the first exchange text counts")
            << good + EncodeExchangeText(QStringLiteral("SearchSite\tother")) << Payload;
        QTest::newRow("empty payload") << wrap(base64Of("*start***end**")) << QString();

        QTest::newRow("outer markers in lower case refused")
            << QStringLiteral("*start*") + body + QStringLiteral("**end**") << ExchangeError;
        QTest::newRow("missing **END** refused") << QStringLiteral("*START*") + body << ExchangeError;
        QTest::newRow("missing *START* refused") << body + QStringLiteral("**END**") << ExchangeError;
        QTest::newRow("body that is not Base64 refused") << wrap(QStringLiteral("これは@本文!")) << ExchangeError;
        QTest::newRow("inner markers missing refused") << wrap(base64Of("TrendSite\tGoo")) << ExchangeError;
        QTest::newRow("inner markers in upper case refused")
            << wrap(base64Of("*START*TrendSite\tGoo**END**")) << ExchangeError;
        QTest::newRow("inner end marker missing refused") << wrap(base64Of("*start*TrendSite\tGoo")) << ExchangeError;
        QTest::newRow("markers alone refused") << QStringLiteral("*START**END**") << ExchangeError;
        QTest::newRow("empty text refused") << QString() << ExchangeError;
    }
    void decode()
    {
        QFETCH(QString, text);
        QFETCH(QString, payload);
        QCOMPARE(DecodeExchangeText(text), payload);
    }

    void encodeUsesCp932Bytes()
    {
        // 日 is 93 FA and 本 is 96 7B in code page 932.
        QCOMPARE(EncodeExchangeText(QStringLiteral("日本")), wrap(base64Of("*start*\x93\xfa\x96\x7b**end**")));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("payload");
        QTest::newRow("Japanese texts") << QStringLiteral("TrendSite\tgoo(人気検索ワード)\t【①》\tｶｽﾀﾏｲｽﾞ\t～－");
        QTest::newRow("characters outside code page 932") << QStringLiteral("TrendSite\t𠮷野家 ☃ café ");
        QTest::newRow("line breaks inside the payload") << QStringLiteral("TrendSite\ta\r\nb");
        QTest::newRow("text that looks like a marker") << QStringLiteral("**end** *START* &#65;");
    }
    void roundTrip()
    {
        QFETCH(QString, payload);
        const QString text = EncodeExchangeText(payload);
        for (QChar c : text)
            QVERIFY2(c.unicode() < 0x80, "the exchange text is plain ASCII");
        QCOMPARE(DecodeExchangeText(text), payload);
    }

    void base64Codec()
    {
        const Base64Codec codec;
        bool ok = false;
        QCOMPARE(codec.Base64(QStringLiteral("日本")), QStringLiteral("k/qWew=="));
        QCOMPARE(codec.Base64(QStringLiteral("k/qWew=="), 1, &ok), QStringLiteral("日本"));
        QVERIFY(ok);
        QCOMPARE(codec.Base64(QStringLiteral("k/q?Wew=="), 1, &ok), QString());
        QVERIFY(!ok);
    }

    void rename_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<QString>("renamed");
        QTest::newRow("first rename gives 【改名01】")
            << QStringList{"Google"} << QStringLiteral("Google") << QStringLiteral("【改名01】Google");
        QTest::newRow("a renamed site renamed again gives 【改名02】")
            << QStringList{"Google", "【改名01】Google"} << QStringLiteral("【改名01】Google")
            << QStringLiteral("【改名02】Google");
        QTest::newRow("【改名07】 with 【改名08】 taken gives 【改名09】")
            << QStringList{"【改名07】Google", "【改名08】Google"} << QStringLiteral("【改名07】Google")
            << QStringLiteral("【改名09】Google");
        QTest::newRow("first free number after the taken ones")
            << QStringList{"Google", "【改名01】Google", "【改名02】Google"} << QStringLiteral("Google")
            << QStringLiteral("【改名03】Google");
        QTest::newRow("】 after position 6 is part of a plain name")
            << QStringList{"【改名100】Google"} << QStringLiteral("【改名100】Google")
            << QStringLiteral("【改名01】【改名100】Google");
        QTest::newRow("one-digit number counts up")
            << QStringList{"【改名7】Google"} << QStringLiteral("【改名7】Google")
            << QStringLiteral("【改名08】Google");
        QTest::newRow("past 99 the number gets three digits")
            << QStringList{"【改名99】Google"} << QStringLiteral("【改名99】Google")
            << QStringLiteral("【改名100】Google");
        QTest::newRow("prefix without its 】 is a plain name")
            << QStringList{"【改名Google"} << QStringLiteral("【改名Google")
            << QStringLiteral("【改名01】【改名Google");
        QTest::newRow("empty name") << QStringList{""} << QString() << QStringLiteral("【改名01】");
    }
    void rename()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, incoming);
        QFETCH(QString, renamed);
        QCOMPARE(RenamedSiteName(incoming, finderOver(existing)), renamed);

        CountingPrompt prompt(ClashChoice::Rename);
        QString name = incoming;
        QCOMPARE(ResolveSiteNameClash(name, int(existing.size()), finderOver(existing), prompt,
                                      SiteNameClashPrompt::TrendSiteList),
                 int(existing.size()) + 1);
        QCOMPARE(name, renamed);
        QCOMPARE(prompt.asked, 1);
    }

    void resolve_data()
    {
        QTest::addColumn<ClashChoice>("choice");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("asked");
        // The list holds A, B, B.
        QTest::newRow("no clash appends without asking") << ClashChoice::Skip << QStringLiteral("C") << 4 << false;
        QTest::newRow("names compare case-sensitively") << ClashChoice::Skip << QStringLiteral("a") << 4 << false;
        QTest::newRow("replace returns the first existing index")
            << ClashChoice::Replace << QStringLiteral("B") << 2 << true;
        QTest::newRow("skip returns 0") << ClashChoice::Skip << QStringLiteral("B") << 0 << true;
        QTest::newRow("rename appends") << ClashChoice::Rename << QStringLiteral("A") << 4 << true;
    }
    void resolve()
    {
        QFETCH(ClashChoice, choice);
        QFETCH(QString, incoming);
        QFETCH(int, index);
        QFETCH(bool, asked);
        const QStringList names{"A", "B", "B"};
        CountingPrompt prompt(choice);
        QString name = incoming;
        QCOMPARE(ResolveSiteNameClash(name, 3, finderOver(names), prompt, SiteNameClashPrompt::SearchSiteList), index);
        QCOMPARE(prompt.asked, asked ? 1 : 0);
        if (asked) {
            QCOMPARE(prompt.lastName, incoming);
            QCOMPARE(prompt.lastType, SiteNameClashPrompt::SearchSiteList);
        }
        if (choice != ClashChoice::Rename)
            QCOMPARE(name, incoming);
    }
};

QTEST_GUILESS_MAIN(TestExchangeText)
#include "tst_exchangetext.moc"
