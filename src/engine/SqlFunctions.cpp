#include "SqlFunctions.h"

#include "Capitals.h"

#include <QString>
#include <cstring>
#include <sqlite3.h>

namespace SqlFunctions {

namespace {

// Decodes one UTF-8 code point at s[i], advancing i; invalid bytes decode as themselves
// (Latin-1), so damaged text never stops a comparison.
char32_t decode(const unsigned char* s, qsizetype n, qsizetype& i) {
    unsigned char c = s[i];
    if (c < 0x80) {
        ++i;
        return c;
    }
    int len = (c >= 0xF0) ? 4 : (c >= 0xE0) ? 3 : (c >= 0xC0) ? 2 : 0;
    if (len == 0 || i + len > n) {
        ++i;
        return c;
    }
    char32_t cp = c & (0x3F >> (len - 1));
    for (int k = 1; k < len; ++k) {
        unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return c;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += len;
    return cp;
}

// Primary weight: the base letter in lower case, for ASCII and Latin-1 letters.
// Two-letter expansions (ß, æ, œ) return the first letter and set `second`.
char32_t baseLetter(char32_t cp, char32_t& second) {
    second = 0;
    if (cp < 0x80) {
        if (cp >= 'A' && cp <= 'Z')
            return cp + 32;
        return cp;
    }
    if (cp >= 0xC0 && cp <= 0xFF) {
        static const char map[] = "aaaaaaaceeeeiiiidnooooo*ouuuuyts"  // C0..DF
                                  "aaaaaaaceeeeiiiidnooooo/ouuuuyty"; // E0..FF
        char m = map[cp - 0xC0];
        if (cp == 0xDF) {
            second = 's';
            return 's';
        }
        if (cp == 0xC6 || cp == 0xE6) {
            second = 'e';
            return 'a';
        }
        if (m == '*' || m == '/')
            return cp;
        return static_cast<unsigned char>(m);
    }
    if (cp == 0x152 || cp == 0x153) {
        second = 'e';
        return 'o';
    }
    return cp;
}

int comparePrimary(QByteArrayView a, QByteArrayView b) {
    const auto* sa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* sb = reinterpret_cast<const unsigned char*>(b.data());
    qsizetype ia = 0, ib = 0;
    char32_t pa = 0, pb = 0; // pending second letter of an expansion
    for (;;) {
        char32_t ca, cb, second;
        if (pa) {
            ca = pa;
            pa = 0;
        } else if (ia < a.size()) {
            ca = baseLetter(decode(sa, a.size(), ia), second);
            pa = second;
        } else {
            ca = 0;
        }
        if (pb) {
            cb = pb;
            pb = 0;
        } else if (ib < b.size()) {
            cb = baseLetter(decode(sb, b.size(), ib), second);
            pb = second;
        } else {
            cb = 0;
        }
        if (ca == 0 && cb == 0 && ia >= a.size() && ib >= b.size())
            return 0;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
}

// Secondary: unaccented before accented, then lower before upper, code point by code point.
int compareSecondary(QByteArrayView a, QByteArrayView b) {
    const auto* sa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* sb = reinterpret_cast<const unsigned char*>(b.data());
    qsizetype ia = 0, ib = 0;
    int caseResult = 0;
    while (ia < a.size() && ib < b.size()) {
        char32_t ca = decode(sa, a.size(), ia);
        char32_t cb = decode(sb, b.size(), ib);
        if (ca == cb)
            continue;
        char32_t s;
        bool accA = ca >= 0x80, accB = cb >= 0x80;
        if (accA != accB)
            return accA ? 1 : -1;
        if (baseLetter(ca, s) == baseLetter(cb, s) && caseResult == 0) {
            bool upA = (ca >= 'A' && ca <= 'Z') || (ca >= 0xC0 && ca <= 0xDE);
            bool upB = (cb >= 'A' && cb <= 'Z') || (cb >= 0xC0 && cb <= 0xDE);
            if (upA != upB)
                caseResult = upA ? 1 : -1;
        }
    }
    return caseResult;
}

int collationCallback(void*, int na, const void* a, int nb, const void* b) {
    return collate(QByteArrayView(static_cast<const char*>(a), na),
                   QByteArrayView(static_cast<const char*>(b), nb));
}

QByteArrayView textArg(sqlite3_value* v) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return t ? QByteArrayView(t, sqlite3_value_bytes(v)) : QByteArrayView();
}

void upperFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArrayView text = textArg(argv[0]);
    bool ascii = true;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (!ascii) {
        const QByteArray up = upperUtf8(text);
        sqlite3_result_text(ctx, up.constData(), int(up.size()), SQLITE_TRANSIENT);
        return;
    }
    // The common case, ASCII only: one buffer that SQLite takes over.
    auto* out = static_cast<char*>(sqlite3_malloc64(sqlite3_uint64(text.size()) + 1));
    if (!out) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        out[i] = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    }
    out[text.size()] = 0;
    sqlite3_result_text(ctx, out, int(text.size()), sqlite3_free);
}

void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    // like(pattern, text): "text LIKE pattern".
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QByteArrayView pattern = textArg(argv[0]);
    QByteArrayView text = textArg(argv[1]);
    sqlite3_result_int(ctx, likeMatch(pattern, text) ? 1 : 0);
}

void upperLikeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    // vantora_upper_like(pattern, text) = like(pattern, upper(text)).
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArrayView pattern = textArg(argv[0]);
    const QByteArrayView text = textArg(argv[1]);
    char small[512];
    if (text.size() <= qsizetype(sizeof small)) {
        bool ascii = true;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
            small[i] = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
        }
        if (ascii) {
            sqlite3_result_int(ctx, likeMatch(pattern, QByteArrayView(small, text.size())) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(ctx, likeMatch(pattern, upperUtf8(text)) ? 1 : 0);
}

// Steps over one UTF-8 character starting at i.
qsizetype charLength(const char* s, qsizetype n, qsizetype i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = (c >= 0xF0) ? 4 : (c >= 0xE0) ? 3 : (c >= 0xC0) ? 2 : 1;
    return (i + len > n) ? 1 : len;
}

bool hasWildcard(QByteArrayView p) {
    for (char c : p)
        if (c == '%' || c == '_')
            return true;
    return false;
}

} // namespace

QByteArray upperUtf8(QByteArrayView text) {
    return Capitals::ofUtf8(text);
}

std::optional<QByteArrayView> substringPattern(QByteArrayView pattern) {
    if (pattern.size() < 2 || pattern.front() != '%' || pattern.back() != '%')
        return std::nullopt;
    const QByteArrayView literal = pattern.sliced(1, pattern.size() - 2);
    if (hasWildcard(literal))
        return std::nullopt;
    return literal;
}

bool likeMatch(QByteArrayView pattern, QByteArrayView text) {
    if (const std::optional<QByteArrayView> needle = substringPattern(pattern)) {
        if (needle->isEmpty())
            return true;
        if (needle->size() > text.size())
            return false;
        return memmem(text.data(), text.size(), needle->data(), needle->size()) != nullptr;
    }
    // General case: iterative matching with one backtrack point for the latest %.
    const char* p = pattern.data();
    const char* t = text.data();
    qsizetype pn = pattern.size(), tn = text.size();
    qsizetype pi = 0, ti = 0, starP = -1, starT = 0;
    while (ti < tn) {
        if (pi < pn && p[pi] == '%') {
            starP = ++pi;
            starT = ti;
        } else if (pi < pn && p[pi] == '_') {
            ++pi;
            ti += charLength(t, tn, ti);
        } else if (pi < pn && p[pi] == t[ti]) {
            ++pi;
            ++ti;
        } else if (starP >= 0) {
            pi = starP;
            starT += charLength(t, tn, starT);
            ti = starT;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == '%')
        ++pi;
    return pi == pn;
}

int collate(QByteArrayView a, QByteArrayView b) {
    // ASCII texts (issue texts, most titles) take a short way with the same result.
    {
        const qsizetype n = std::min(a.size(), b.size());
        int caseResult = 0;
        qsizetype i = 0;
        for (; i < n; ++i) {
            const unsigned char ca = static_cast<unsigned char>(a[i]);
            const unsigned char cb = static_cast<unsigned char>(b[i]);
            if ((ca | cb) & 0x80)
                break;
            if (ca == cb)
                continue;
            const unsigned char la = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
            const unsigned char lb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
            if (la != lb)
                return la < lb ? -1 : 1;
            if (caseResult == 0)
                caseResult = (ca >= 'A' && ca <= 'Z') ? 1 : -1;
        }
        if (i == n) {
            if (a.size() != b.size())
                return a.size() < b.size() ? -1 : 1;
            return caseResult;
        }
    }
    if (int r = comparePrimary(a, b))
        return r;
    if (int r = compareSecondary(a, b))
        return r;
    int n = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    if (n)
        return n < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

uint64_t primaryPrefix(QByteArrayView text) {
    // The first letters' primary weights, one byte each; a weight beyond a byte saturates and
    // ends the key, so a smaller key always means a text that collates before.
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    uint64_t key = 0;
    int filled = 0;
    qsizetype i = 0;
    auto push = [&](char32_t unit) {
        const uint64_t byte = unit >= 0xFF ? 0xFF : unit;
        key |= byte << (8 * (7 - filled++));
        return byte != 0xFF;
    };
    while (filled < 8 && i < text.size()) {
        char32_t second;
        const char32_t first = baseLetter(decode(s, text.size(), i), second);
        if (!push(first))
            break;
        if (second && filled < 8 && !push(second))
            break;
    }
    return key;
}

void registerAll(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "upper", 1, flags, nullptr, upperFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "vantora_upper_like", 2, flags, nullptr, upperLikeFunction,
                               nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, collationCallback, nullptr);
}

} // namespace SqlFunctions
