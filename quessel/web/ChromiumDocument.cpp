#include "ChromiumDocument.h"

#include "quessel/web/ChromiumAutomation.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace quessel {

namespace {

// The page side of every call, given one argument object: `op`, the document `token` the caller is
// bound to (absent on the first call), and the operation's own arguments. Its state lives on the
// document object itself, so a new document starts afresh.
const QString PageScript = QStringLiteral(R"JS((function (a) {
  const K = Symbol.for('quessel.document');
  let s = document[K];
  if (!s) {
    s = { token: Math.random().toString(36).slice(2) + Date.now().toString(36), version: 0,
          ids: new WeakMap(), next: 0 };
    const bump = () => { s.version++; };
    new MutationObserver(bump).observe(document,
        { childList: true, subtree: true, attributes: true, characterData: true });
    document.addEventListener('input', bump, true);
    document.addEventListener('change', bump, true);
    Object.defineProperty(document, K, { value: s });
  }
  if (a.token && a.token !== s.token) return { stale: true };
  const out = { token: s.token, version: s.version };
  const text = v => typeof v === 'string' ? v
      : (typeof v === 'number' || typeof v === 'boolean' || typeof v === 'bigint') ? String(v) : '';
  const attr = (e, n) => (e.getAttribute && e.getAttribute(n)) || '';
  const list = c => c === 'links' ? document.links : c === 'images' ? document.images
      : c === 'forms' ? document.forms : c === 'frames' ? document.querySelectorAll('frame,iframe')
      : document.all;
  const at = () => {
    const e = document.all[a.index];
    if (!e || text(e.tagName).toUpperCase() !== a.tag || attr(e, 'id') !== a.id) return null;
    return e;
  };
  const fire = e => {
    e.dispatchEvent(new Event('input', { bubbles: true }));
    e.dispatchEvent(new Event('change', { bubbles: true }));
  };
  switch (a.op) {
  case 'version':
    return out;
  case 'count':
    out.value = list(a.collection).length;
    return out;
  case 'snapshot': {
    const l = list(a.collection);
    const rows = new Array(l.length);
    for (let i = 0; i < l.length; i++) {
      const e = l[i];
      let href = e.href;
      if (href && typeof href === 'object' && 'baseVal' in href) href = href.baseVal;
      let uid = s.ids.get(e);
      if (!uid) { uid = 'ms__id' + (++s.next); s.ids.set(e, uid); }
      rows[i] = [text(e.tagName).toUpperCase(), text(e.type), attr(e, 'id'), attr(e, 'name'),
                 'value' in e ? text(e.value) : '', text(href), text(e.innerText), attr(e, 'alt'),
                 text(e.innerHTML), text(e.outerHTML), attr(e, 'title'), uid,
                 'text' in e ? text(e.text) : ''];
    }
    out.value = rows;
    return out;
  }
  }
  const e = at();
  if (!e) { out.missing = true; return out; }
  switch (a.op) {
  case 'click':
    e.click();
    out.value = true;
    break;
  case 'setValue': {
    // The prototype's setter, so pages that watch the value property see the change too.
    const d = Object.getOwnPropertyDescriptor(Object.getPrototypeOf(e), 'value');
    if (d && d.set) d.set.call(e, a.value); else e.value = a.value;
    fire(e);
    out.value = true;
    break;
  }
  case 'setChecked':
    if (!!e.checked !== a.checked) { e.checked = a.checked; fire(e); }
    out.value = true;
    break;
  case 'checked':
    out.value = !!e.checked;
    break;
  case 'focus':
    e.focus();
    out.value = true;
    break;
  }
  return out;
}))JS");

QString collectionName(WebCollection collection)
{
    switch (collection) {
    case WebCollection::All:
        return QStringLiteral("all");
    case WebCollection::Links:
        return QStringLiteral("links");
    case WebCollection::Images:
        return QStringLiteral("images");
    case WebCollection::Forms:
        return QStringLiteral("forms");
    case WebCollection::Frames:
        return QStringLiteral("frames");
    }
    return QStringLiteral("all");
}

WebElement elementFromRow(const QJsonArray& row)
{
    const auto at = [&](int i) { return row.at(i).toString(); };
    WebElement e;
    e.tagName = at(0);
    e.type = at(1);
    e.id = at(2);
    e.name = at(3);
    e.value = at(4);
    e.href = at(5);
    e.innerText = at(6);
    e.alt = at(7);
    e.innerHTML = at(8);
    e.outerHTML = at(9);
    e.title = at(10);
    e.uniqueID = at(11);
    e.text = at(12);
    return e;
}

} // namespace

ChromiumDocument::ChromiumDocument(ChromiumAutomation* host, int generation, const QString& targetId)
    : m_host(host), m_generation(generation), m_targetId(targetId)
{}

std::optional<QJsonObject> ChromiumDocument::run(QJsonObject arguments, bool userGesture)
{
    if (!m_host)
        return std::nullopt;
    if (!m_token.isEmpty())
        arguments.insert(QStringLiteral("token"), m_token);
    // The arguments go in as a JSON literal, so no text from a page or a user can become code.
    const QString expression = PageScript + QLatin1Char('(') +
                               QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact)) +
                               QLatin1Char(')');
    const ChromiumAutomation::Evaluation result = m_host->evaluate(m_generation, m_targetId, expression, userGesture);
    if (!result.ok)
        return std::nullopt;
    const QJsonObject answer = result.value.toObject();
    const QString token = answer.value(QStringLiteral("token")).toString();
    if (answer.value(QStringLiteral("stale")).toBool() || token.isEmpty())
        return std::nullopt;
    if (m_token.isEmpty())
        m_token = token;
    return answer;
}

std::optional<QJsonObject> ChromiumDocument::runAt(const QString& operation, int index, const WebElement& expected,
                                                   QJsonObject arguments, bool userGesture)
{
    if (index < 0)
        return std::nullopt;
    arguments.insert(QStringLiteral("op"), operation);
    arguments.insert(QStringLiteral("index"), index);
    arguments.insert(QStringLiteral("tag"), expected.tagName.toUpper());
    arguments.insert(QStringLiteral("id"), expected.id);
    const auto answer = run(arguments, userGesture);
    if (!answer || answer->value(QStringLiteral("missing")).toBool())
        return std::nullopt;
    return answer;
}

std::optional<int> ChromiumDocument::count(WebCollection collection)
{
    const auto answer = run(
        {{QStringLiteral("op"), QStringLiteral("count")}, {QStringLiteral("collection"), collectionName(collection)}});
    if (!answer)
        return std::nullopt;
    return answer->value(QStringLiteral("value")).toInt();
}

std::optional<QList<WebElement>> ChromiumDocument::snapshot(WebCollection collection)
{
    Snapshot& kept = m_snapshots[int(collection)];
    if (kept.version >= 0) {
        const auto answer = run({{QStringLiteral("op"), QStringLiteral("version")}});
        if (!answer)
            return std::nullopt;
        if (answer->value(QStringLiteral("version")).toDouble() == kept.version)
            return kept.elements;
    }
    const auto answer = run({{QStringLiteral("op"), QStringLiteral("snapshot")},
                             {QStringLiteral("collection"), collectionName(collection)}});
    if (!answer)
        return std::nullopt;
    const QJsonArray rows = answer->value(QStringLiteral("value")).toArray();
    QList<WebElement> elements;
    elements.reserve(rows.size());
    for (const QJsonValue& row : rows)
        elements << elementFromRow(row.toArray());
    Snapshot& fresh = m_snapshots[int(collection)];
    fresh.version = answer->value(QStringLiteral("version")).toDouble();
    fresh.elements = elements;
    return elements;
}

bool ChromiumDocument::click(int index, const WebElement& expected)
{
    // As a user's click, so a page may open a window from it.
    return runAt(QStringLiteral("click"), index, expected, {}, true).has_value();
}

bool ChromiumDocument::setValue(int index, const WebElement& expected, const QString& value)
{
    return runAt(QStringLiteral("setValue"), index, expected, {{QStringLiteral("value"), value}}).has_value();
}

bool ChromiumDocument::setChecked(int index, const WebElement& expected, bool checked)
{
    return runAt(QStringLiteral("setChecked"), index, expected, {{QStringLiteral("checked"), checked}}).has_value();
}

std::optional<bool> ChromiumDocument::checked(int index, const WebElement& expected)
{
    const auto answer = runAt(QStringLiteral("checked"), index, expected);
    if (!answer)
        return std::nullopt;
    return answer->value(QStringLiteral("value")).toBool();
}

bool ChromiumDocument::focus(int index, const WebElement& expected)
{
    return runAt(QStringLiteral("focus"), index, expected).has_value();
}

} // namespace quessel
