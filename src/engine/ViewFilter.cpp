#include "ViewFilter.h"

#include "Connection.h"
#include "SqlFunctions.h"
#include "TableImage.h"

#include <algorithm>
#include <cstring>

namespace {

struct Token {
    enum Kind { Word, String, Number, Symbol } kind;
    QString text;
};

// Splits the translated tail into words, single-quoted strings, whole numbers and the
// symbols ( ) , >= ; nothing when anything else occurs.
std::optional<std::vector<Token>> tokenize(const QString& s) {
    std::vector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c.isLetter() || c == u'_') {
            if (c.unicode() >= 0x80)
                return std::nullopt;
            qsizetype j = i;
            while (j < n && s[j].unicode() < 0x80 && (s[j].isLetterOrNumber() || s[j] == u'_'))
                ++j;
            tokens.push_back({Token::Word, s.mid(i, j - i)});
            i = j;
        } else if (c.isDigit() && c.unicode() < 0x80) {
            qsizetype j = i;
            while (j < n && s[j].unicode() < 0x80 && s[j].isDigit())
                ++j;
            if (j < n && (s[j].isLetter() || s[j] == u'.' || s[j] == u'_'))
                return std::nullopt;
            tokens.push_back({Token::Number, s.mid(i, j - i)});
            i = j;
        } else if (c == u'\'') {
            QString value;
            qsizetype j = i + 1;
            for (;; ++j) {
                if (j >= n)
                    return std::nullopt;
                if (s[j] == u'\'') {
                    if (j + 1 < n && s[j + 1] == u'\'') {
                        value += u'\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                value += s[j];
            }
            tokens.push_back({Token::String, value});
            i = j + 1;
        } else if (c == u'>' && i + 1 < n && s[i + 1] == u'=') {
            tokens.push_back({Token::Symbol, QStringLiteral(">=")});
            i += 2;
        } else if (c == u'(' || c == u')' || c == u',') {
            tokens.push_back({Token::Symbol, QString(c)});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

bool isWord(const std::vector<Token>& t, size_t i, const char* word) {
    return i < t.size() && t[i].kind == Token::Word &&
           t[i].text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const std::vector<Token>& t, size_t i, const char* symbol) {
    return i < t.size() && t[i].kind == Token::Symbol && t[i].text == QLatin1String(symbol);
}

bool likeMatches(const QByteArray& pattern, QByteArrayView text) {
    return SqlFunctions::likeMatch(pattern, text);
}

// A pattern of nothing but "%" matches every text, so only a NULL fails it.
bool matchesEveryText(const QByteArray& pattern) {
    return !pattern.isEmpty() &&
           std::all_of(pattern.begin(), pattern.end(), [](char c) { return c == '%'; });
}

} // namespace

std::optional<ViewFilter> ViewFilter::parse(const QString& whereTail, const Connection& conn) {
    const auto tokens = tokenize(whereTail);
    if (!tokens)
        return std::nullopt;
    const std::vector<Token>& t = *tokens;
    ViewFilter filter;
    if (t.empty())
        return filter;
    if (!isWord(t, 0, "WHERE"))
        return std::nullopt;
    auto field = [&](size_t i) {
        return i < t.size() && t[i].kind == Token::Word ? conn.fieldIndex(t[i].text) : -1;
    };
    size_t i = 1;
    for (;;) {
        Condition c{};
        if (isWord(t, i, "vantora_upper_like") && isSymbol(t, i + 1, "(") && i + 2 < t.size() &&
            t[i + 2].kind == Token::String && isSymbol(t, i + 3, ",") && field(i + 4) >= 0 &&
            isSymbol(t, i + 5, ")")) {
            c = {Condition::UpperLike, field(i + 4), t[i + 2].text.toUtf8(), 0};
            i += 6;
        } else if (field(i) >= 0 && isWord(t, i + 1, "LIKE") && i + 2 < t.size() &&
                   t[i + 2].kind == Token::String) {
            c = {Condition::Like, field(i), t[i + 2].text.toUtf8(), 0};
            i += 3;
        } else if (field(i) >= 0 && conn.fields()[field(i)].integer && isSymbol(t, i + 1, ">=") &&
                   i + 2 < t.size() && t[i + 2].kind == Token::Number &&
                   t[i + 2].text.size() <= 15) {
            // An integer field compares numbers by value; a text or blob it holds is greater
            // than any number, a NULL matches nothing.
            c = {Condition::AtLeast, field(i), {}, t[i + 2].text.toLongLong()};
            i += 3;
        } else {
            return std::nullopt;
        }
        filter.m_conditions.push_back(c);
        if (i == t.size())
            return filter;
        if (!isWord(t, i, "AND"))
            return std::nullopt;
        ++i;
    }
}

std::vector<int> ViewFilter::fields() const {
    std::vector<int> out;
    for (const Condition& c : m_conditions)
        if (c.kind == Condition::UpperLike && likeMatches(c.pattern, {}) &&
            !matchesEveryText(c.pattern))
            out.push_back(c.field);
    return out;
}

namespace {

// Keeps marked the slots whose text contains `needle`. The texts lie end to end, so one
// search runs over all of them, where a search per slot paid its setting-up a million times.
void keepContaining(const TableImage::Texts& texts, QByteArrayView needle,
                    std::vector<uint8_t>& mask) {
    const char* all = texts.bytes.data();
    const size_t total = texts.ends.empty() ? 0 : texts.ends.back();
    const size_t length = size_t(needle.size());
    uint32_t slot = 0, undecided = 0;
    for (size_t from = 0; from + length <= total;) {
        const void* hit = memmem(all + from, total - from, needle.data(), length);
        if (!hit)
            break;
        const size_t at = size_t(static_cast<const char*>(hit) - all);
        while (texts.ends[slot] <= at)
            ++slot;
        if (at + length > texts.ends[slot]) {
            from = at + 1; // runs on into the next slot's text
            continue;
        }
        std::fill(mask.begin() + undecided, mask.begin() + slot, 0);
        undecided = slot + 1;
        from = texts.ends[slot];
    }
    std::fill(mask.begin() + undecided, mask.end(), 0);
}

// Keeps marked the slots whose value `holds`, judged once per distinct value.
template <typename Holds>
void keepCoded(const TableImage::Coded& coded, std::vector<uint8_t>& mask, Holds holds) {
    std::vector<uint8_t> ofCode(coded.distinct.types.size());
    for (uint32_t code = 0; code < ofCode.size(); ++code)
        ofCode[code] = holds(coded.distinct, code) ? 1 : 0;
    for (size_t s = 0; s < mask.size(); ++s)
        mask[s] &= ofCode[size_t(coded.codes[s])];
}

} // namespace

std::vector<uint8_t> ViewFilter::matches(TableImage& image) const {
    const uint32_t n = image.rowCount();
    std::vector<uint8_t> mask(n, 1);
    std::vector<int> coded;
    for (const Condition& c : m_conditions)
        if (c.kind != Condition::UpperLike)
            coded.push_back(c.field);
    image.loadCoded(coded); // in one pass over the file
    for (const Condition& c : m_conditions) {
        switch (c.kind) {
        case Condition::UpperLike: {
            // The empty title box: every row but those without a title.
            if (matchesEveryText(c.pattern)) {
                image.unmarkNulls(c.field, mask);
                break;
            }
            const TableImage::Texts& upper = image.upperTexts(c.field);
            if (const auto needle = SqlFunctions::substringPattern(c.pattern);
                needle && !needle->isEmpty()) {
                keepContaining(upper, *needle, mask);
                break;
            }
            // A NULL's upper-cased text is empty: only a pattern that matches an empty text
            // needs to tell it from one.
            const std::vector<uint8_t>* nullable =
                likeMatches(c.pattern, {}) ? &image.values(c.field).types : nullptr;
            for (uint32_t s = 0; s < n; ++s)
                if (mask[s])
                    mask[s] = (!nullable || (*nullable)[s] != TableImage::Null) &&
                              likeMatches(c.pattern, upper.at(s));
            break;
        }
        case Condition::Like:
            keepCoded(image.coded(c.field), mask, [&](const TableImage::Values& v, uint32_t d) {
                return v.types[d] != TableImage::Null && likeMatches(c.pattern, v.texts.at(d));
            });
            break;
        case Condition::AtLeast:
            keepCoded(image.coded(c.field), mask, [&](const TableImage::Values& v, uint32_t d) {
                switch (v.types[d]) {
                case TableImage::Null:
                    return false;
                case TableImage::Integer:
                    return v.bits[d] >= c.least;
                case TableImage::Real:
                    return v.number(d) >= double(c.least);
                default:
                    return true; // texts and blobs sort above every number
                }
            });
            break;
        }
    }
    return mask;
}
