#include "WebProcessScript.h"

#include "quessel/util/FieldText.h"
#include "quessel/util/Rounding.h"

#include <orvik/CTagString.h>
#include <orvik/StrConv.h>

namespace quessel::WebProcessScript {

namespace {

const std::array<QString, ActionTypeCount + 1>& commandTexts()
{
    static const std::array<QString, ActionTypeCount + 1> texts{
        QString(),
        QStringLiteral("ページ移動"),
        QStringLiteral("ページ確認"),
        QStringLiteral("クリック"),
        QStringLiteral("待機"),
        QStringLiteral("閉じる"),
        QStringLiteral("アイテム代入"),
        QStringLiteral("メモリ代入"),
        QStringLiteral("検索実行"),
        QStringLiteral("表示完了待"),
        QStringLiteral("ワード抽出"),
        QStringLiteral("ALLクリア"),
    };
    return texts;
}

QString threeDigits(int n)
{
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

QString stepPrefix(int i)
{
    return QStringLiteral("Pro") + threeDigits(i) + QLatin1Char('_');
}

// The action type as the integer conversion of the desktop reads it: a number, possibly with
// blanks around it and a fraction (rounded half to even); anything else is a type mismatch.
bool readActionType(const QString& text, qint32* value)
{
    bool ok = false;
    const double v = orvik::trimBlanks(text).toDouble(&ok);
    if (!ok)
        return false;
    *value = toInt32(v);
    return true;
}

} // namespace

QString ActionTypeStr(int n)
{
    if (n < 1 || n > ActionTypeCount)
        return QStringLiteral("?????");
    return commandTexts()[size_t(n)];
}

qint16 ActionTypeNo(const QString& text)
{
    for (int n = 1; n <= ActionTypeCount; ++n)
        if (commandTexts()[size_t(n)] == text)
            return qint16(n);
    return -1;
}

QString MemoryToken(int n)
{
    if (n < 1 || n > MemoryTokenCount)
        return QString();
    return QStringLiteral("【") + QChar(char16_t(0x2460 + n - 1)) + QStringLiteral("》");
}

QString Write(const QList<WebProcessStep>& steps)
{
    orvik::CTagString tag;
    tag.setTag(QString());
    // Absent elements are looked up from the start of the text and never found, so writing
    // cannot overflow; only reading a text past the format's limit can.
    tag.SetTagString(QStringLiteral("ProcessN"), QLatin1Char(' ') + QString::number(steps.size()));
    for (int i = 1; i <= steps.size(); ++i) {
        const WebProcessStep& step = steps.at(i - 1);
        const QString prefix = stepPrefix(i);
        tag.SetTagString(prefix + QStringLiteral("Name"), step.name);
        tag.SetTagString(prefix + QStringLiteral("ActionType"), QString::number(step.actionType));
        for (int p = 1; p <= WebProcessStep::ParamCount; ++p)
            tag.SetTagString(prefix + QStringLiteral("Para") + threeDigits(p), step.para[size_t(p)]);
    }
    return tag.Tag();
}

ReadResult Read(const QString& text, QList<WebProcessStep>& steps)
{
    steps.clear();
    orvik::CTagString tag;
    tag.setTag(text);
    try {
        const qint32 n = toInt32(NumValue(tag.GetTagString(QStringLiteral("ProcessN"))));
        if (n < 0)
            return {false, QStringLiteral("手順数が負です: %1").arg(n)};
        // The count comes from the text and may be anything; steps are added as they are read,
        // so a count with no steps behind it fails at the first missing one.
        for (int i = 1; i <= n; ++i) {
            WebProcessStep& step = steps.emplace_back();
            const QString prefix = stepPrefix(i);
            step.name = tag.GetTagString(prefix + QStringLiteral("Name"));
            if (!readActionType(tag.GetTagString(prefix + QStringLiteral("ActionType")), &step.actionType))
                return {false, QStringLiteral("手順%1の動作種別が数値ではありません").arg(i)};
            for (int p = 1; p <= WebProcessStep::ParamCount; ++p)
                step.para[size_t(p)] = tag.GetTagString(prefix + QStringLiteral("Para") + threeDigits(p));
        }
    } catch (const orvik::TagStringOverflow&) {
        return {false, QStringLiteral("処理の文字列が長すぎます（32767文字まで）")};
    }
    return {};
}

namespace {

// Both default processes begin by closing the other pages and opening the site's page.
QList<WebProcessStep> openingSteps(const QString& url, qsizetype total)
{
    QList<WebProcessStep> steps(total);
    steps[0].name = QStringLiteral("ベース以外を閉じる");
    steps[0].actionType = 5;
    steps[0].para[1] = QStringLiteral("1");
    steps[1].name = QStringLiteral("検索ページに移動");
    steps[1].actionType = 1;
    steps[1].para[1] = url;
    steps[1].para[2] = QStringLiteral("30");
    return steps;
}

} // namespace

QString DefaultSearchProcess(const QString& url, const QString& keywordId)
{
    QList<WebProcessStep> steps = openingSteps(url, 4);
    steps[2].name = QStringLiteral("検索ワード設定実行");
    steps[2].actionType = 8;
    steps[2].para[1] = keywordId;
    steps[2].para[2] = MemoryToken(1);
    steps[3].name = QStringLiteral("更新完了待");
    steps[3].actionType = 9;
    steps[3].para[1] = QStringLiteral("30");
    return Write(steps);
}

QString DefaultTrendProcess(const QString& url, const QString& judgeStr01, const QString& judgeStr02)
{
    QList<WebProcessStep> steps = openingSteps(url, 3);
    steps[2].name = QStringLiteral("ワード抽出");
    steps[2].actionType = 10;
    steps[2].para[1] = judgeStr01;
    steps[2].para[2] = judgeStr02;
    steps[2].para[3] = QStringLiteral("3");
    return Write(steps);
}

} // namespace quessel::WebProcessScript
