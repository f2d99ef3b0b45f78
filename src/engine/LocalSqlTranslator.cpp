#include "LocalSqlTranslator.h"

#include "EngineError.h"
#include "SqlFunctions.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

struct Token {
    enum Kind { Text, Constant } kind;
    QString text;
};

// Splits the statement into plain text and double-quoted constants (already unquoted).
QList<Token> tokenize(const QString& s) {
    QList<Token> tokens;
    QString plain;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        QChar c = s[i];
        if (c == u'"') {
            if (!plain.isEmpty())
                tokens.append({Token::Text, plain});
            plain.clear();
            QString value;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s[j] == u'"') {
                    if (j + 1 < n && s[j + 1] == u'"') {
                        value += u'"';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                value += s[j++];
            }
            if (!closed)
                throw EngineError(
                    QStringLiteral("Ungültiges Schlüsselwort oder nicht abgeschlossene "
                                   "Zeichenkette an Position %1")
                        .arg(i + 1));
            tokens.append({Token::Constant, value});
            i = j + 1;
        } else if (c == u'\'') {
            // A single-quoted literal passes through whole, so a quote inside it is not
            // taken for the start of a constant.
            qsizetype j = i + 1;
            while (j < n && !(s[j] == u'\'' && !(j + 1 < n && s[j + 1] == u'\'')))
                j += (s[j] == u'\'') ? 2 : 1;
            if (j >= n)
                throw EngineError(
                    QStringLiteral("Nicht abgeschlossene Zeichenkette an Position %1").arg(i + 1));
            plain += s.mid(i, j - i + 1);
            i = j + 1;
        } else {
            plain += c;
            ++i;
        }
    }
    if (!plain.isEmpty())
        tokens.append({Token::Text, plain});
    return tokens;
}

// Adds the collation to each term of an ORDER BY list ("F DESC, G" -> "F COLLATE X DESC, ...").
QString collateOrderTerms(const QString& terms, TranslatedStatement& result) {
    static const QRegularExpression termRe(
        QStringLiteral(R"(^\s*([A-Za-z_][A-Za-z_0-9]*)\s*(ASC|DESC)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (const QString& term : terms.split(u',')) {
        auto m = termRe.match(term);
        if (!m.hasMatch()) {
            result.orderIsFieldList = false;
            result.orderTerms.clear();
            return terms; // not a plain field list: leave it to SQLite
        }
        result.orderTerms.append({m.captured(1), m.captured(2).compare(QLatin1String("DESC"),
                                                                       Qt::CaseInsensitive) == 0});
        QString t =
            m.captured(1) + QStringLiteral(" COLLATE ") + QLatin1String(SqlFunctions::kCollation);
        if (!m.captured(2).isEmpty())
            t += u' ' + m.captured(2).toUpper();
        out << t;
    }
    return u' ' + out.join(QStringLiteral(", "));
}

} // namespace

QString LocalSqlTranslator::sqlLiteral(const QString& text) {
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

QString LocalSqlTranslator::sqlIdentifier(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

TranslatedStatement LocalSqlTranslator::translate(const QString& statement) {
    const QList<Token> tokens = tokenize(statement);
    static const QRegularExpression selectFromRe(
        QStringLiteral(R"(^\s*SELECT\s+(.*?)\s+FROM\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (tokens.size() < 2 || tokens[0].kind != Token::Text || tokens[1].kind != Token::Constant)
        throw EngineError(
            QStringLiteral("Die Anweisung muss SELECT ... FROM \"<Tabellendatei>\" lauten"));
    auto m = selectFromRe.match(tokens[0].text);
    if (!m.hasMatch())
        throw EngineError(
            QStringLiteral("Die Anweisung muss SELECT ... FROM \"<Tabellendatei>\" lauten"));

    TranslatedStatement result;
    result.selectList = m.captured(1).trimmed();
    result.tablePath = tokens[1].text;
    if (result.tablePath.trimmed().isEmpty())
        throw EngineError(QStringLiteral("Der Tabellenname fehlt"));

    // "UPPER(F) LIKE <constant>" becomes one function call that folds and matches without
    // building the upper-cased text as a value of its own; the result is the same.
    static const QRegularExpression upperLikeRe(
        QStringLiteral(R"(\bUPPER\s*\(\s*([A-Za-z_][A-Za-z_0-9]*)\s*\)\s+LIKE\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    QString tail;
    for (qsizetype k = 2; k < tokens.size(); ++k) {
        if (tokens[k].kind == Token::Constant) {
            tail += sqlLiteral(tokens[k].text);
            continue;
        }
        const auto um = upperLikeRe.match(tokens[k].text);
        if (um.hasMatch() && k + 1 < tokens.size() && tokens[k + 1].kind == Token::Constant) {
            tail += tokens[k].text.left(um.capturedStart()) +
                    QStringLiteral("vantora_upper_like(") + sqlLiteral(tokens[k + 1].text) +
                    QStringLiteral(", ") + um.captured(1) + u')';
            ++k;
            continue;
        }
        tail += tokens[k].text;
    }

    // ORDER BY is the last clause of the dialect; collate its terms. The search happens on
    // the translated text, where constants are single-quoted, so skip quoted parts.
    static const QRegularExpression orderRe(QStringLiteral(R"(\bORDER\s+BY\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    qsizetype orderPos = -1;
    {
        bool inQuote = false;
        for (qsizetype i = 0; i < tail.size(); ++i) {
            if (tail[i] == u'\'') {
                inQuote = !inQuote;
                continue;
            }
            if (!inQuote) {
                auto om = orderRe.match(tail, i, QRegularExpression::NormalMatch,
                                        QRegularExpression::AnchorAtOffsetMatchOption);
                if (om.hasMatch()) {
                    orderPos = i;
                    result.whereTail = tail.left(i);
                    tail = tail.left(i + om.capturedLength()) +
                           collateOrderTerms(tail.mid(i + om.capturedLength()), result);
                    break;
                }
            }
        }
    }
    if (orderPos < 0)
        result.whereTail = tail;
    result.tail = tail;
    return result;
}
