#include "ServerEarlyRows.h"

#include "CopyBinary.h"
#include "ServerArchive.h"
#include "ServerConnection.h"
#include "SqlFunctions.h"

#include <QRegularExpression>
#include <algorithm>
#include <queue>

namespace {

using Fields = QList<ServerTableStore::Field>;

// A value of a sort field as the file holds it: NULL, a number or a text.
struct Value {
    bool null = true;
    qint64 number = 0;
    QByteArray text;
};

// ORDER BY over one field: NULL first, then numbers by value, texts by the collation.
int compare(bool aNull, qint64 aNumber, QByteArrayView aText, const Value& b, bool integer) {
    if (aNull || b.null)
        return int(b.null) - int(aNull);
    if (integer)
        return aNumber < b.number ? -1 : aNumber > b.number;
    return SqlFunctions::collate(aText, b.text);
}

int compare(const Value& a, const Value& b, bool integer) {
    return compare(a.null, a.number, a.text, b, integer);
}

struct Row {
    qint64 key = 0;
    std::vector<Value> sort; // the sort fields after those the rows share
};

// The order of the statement over the sort fields, equal keys by ascending key.
struct Before {
    std::vector<bool> integer;
    std::vector<bool> descending;
    // Whether a row with `c` (compare's result at the first sort field that differs, 0 when
    // none does) and `key` comes before the other.
    bool decide(size_t k, int c, qint64 key, qint64 otherKey) const {
        if (c != 0)
            return descending[k] ? c > 0 : c < 0;
        return key < otherKey;
    }
    bool operator()(const Row& a, const Row& b) const {
        for (size_t k = 0; k < a.sort.size(); ++k)
            if (const int c = compare(a.sort[k], b.sort[k], integer[k]); c != 0)
                return decide(k, c, a.key, b.key);
        return a.key < b.key;
    }
};

Value valueOf(const ServerResult& r, int row, int column, bool integer) {
    Value v;
    v.null = r.isNull(row, column);
    if (!v.null && integer)
        v.number = r.bytes(row, column).toLongLong();
    else if (!v.null)
        v.text = r.bytes(row, column);
    return v;
}

class Reader {
public:
    Reader(ServerConnection& server, const QString& table, const Fields& fields,
           std::vector<int> order, std::vector<bool> descending)
        : m_server(server), m_table(server.identifier(table)), m_fields(fields),
          m_order(std::move(order)), m_descending(std::move(descending)),
          m_what(QStringLiteral("Das Lesen der ersten Zeilen von %1").arg(table)) {}

    std::shared_ptr<const EarlyResult> read() {
        auto result = std::make_shared<EarlyResult>();
        for (const ServerTableStore::Field& f : m_fields)
            result->fieldNames << f.name;
        const std::vector<qint64> keys =
            m_order.size() == 1 ? byOneField(result->rowCount) : byGroups(result->rowCount);
        result->keys = keys;
        result->values = rowsOf(keys);
        return result;
    }

private:
    QString expression(int field) const {
        return ServerTableStore::readExpression(m_server, m_fields[field]);
    }
    bool integer(int field) const { return m_fields[field].integer; }

    // Every row's key and field, copied; the first rows kept as they pass.
    std::vector<qint64> byOneField(qint64& rows) {
        const int field = m_order[0];
        const Before before{{integer(field)}, m_descending};
        // The last of the rows kept in order stands on top.
        std::priority_queue<Row, std::vector<Row>, Before> kept(before);
        CopyBinary copy(2);
        rows = m_server.eachCopyRow(
            m_what,
            QStringLiteral("COPY (SELECT %1, %2 FROM %3) TO STDOUT (FORMAT binary)")
                .arg(m_server.identifier(ServerArchive::kKeyColumn), expression(field), m_table),
            [&](const char* data, int size) {
                copy.take(
                    data, size,
                    [&](const std::vector<CopyBinary::Field>& f) {
                        if (f[0].length != 8 ||
                            (integer(field) && !f[1].isNull() && f[1].length != 8))
                            m_server.unexpectedRows(m_what);
                        const qint64 key = f[0].bigint();
                        const bool null = f[1].isNull();
                        const qint64 number = !null && integer(field) ? f[1].bigint() : 0;
                        // Compared where it lies; copied only when kept.
                        if (kept.size() >= size_t(EarlyResults::kRows) &&
                            !before.decide(0,
                                           compare(null, number, f[1].bytes(), kept.top().sort[0],
                                                   integer(field)),
                                           key, kept.top().key))
                            return;
                        Row row{key, {Value{null, number, QByteArray()}}};
                        if (!null && !integer(field))
                            row.sort[0].text = f[1].bytes().toByteArray();
                        if (kept.size() >= size_t(EarlyResults::kRows))
                            kept.pop();
                        kept.push(std::move(row));
                    },
                    [&] { m_server.unexpectedRows(m_what); });
            });
        std::vector<qint64> keys(kept.size());
        for (size_t i = keys.size(); i-- > 0; kept.pop())
            keys[i] = kept.top().key;
        return keys;
    }

    // The distinct values of the first field with their counts, then the rows of each value
    // in turn, from the first in order, until enough are read.
    std::vector<qint64> byGroups(qint64& rows) {
        const int first = m_order[0];
        const ServerResult groups =
            m_server.exec(m_what, QStringLiteral("SELECT %1, count(*) FROM %2 GROUP BY 1")
                                      .arg(expression(first), m_table));
        std::vector<std::pair<Value, qint64>> values;
        rows = 0;
        for (int g = 0; g < groups.rows(); ++g) {
            values.emplace_back(valueOf(groups, g, 0, integer(first)),
                                groups.bytes(g, 1).toLongLong());
            rows += values.back().second;
        }
        std::sort(values.begin(), values.end(), [&](const auto& a, const auto& b) {
            const int c = compare(a.first, b.first, integer(first));
            return m_descending[0] ? c > 0 : c < 0;
        });
        QStringList rest{m_server.identifier(ServerArchive::kKeyColumn)};
        for (size_t k = 1; k < m_order.size(); ++k)
            rest << expression(m_order[k]);
        Before restBefore{{}, {m_descending.begin() + 1, m_descending.end()}};
        for (size_t k = 1; k < m_order.size(); ++k)
            restBefore.integer.push_back(integer(m_order[k]));
        std::vector<qint64> keys;
        for (const auto& [value, count] : values) {
            if (keys.size() >= size_t(EarlyResults::kRows))
                break;
            const QString select =
                QStringLiteral("SELECT %1 FROM %2 WHERE ").arg(rest.join(u','), m_table);
            const ServerResult r =
                value.null
                    ? m_server.exec(m_what, select + expression(first) + QStringLiteral(" IS NULL"))
                    : m_server.exec(
                          m_what, select + expression(first) + QStringLiteral(" = $1"),
                          {integer(first) ? QByteArray::number(value.number) : value.text});
            std::vector<Row> group(size_t(r.rows()));
            for (int i = 0; i < r.rows(); ++i) {
                group[size_t(i)].key = r.bytes(i, 0).toLongLong();
                for (size_t k = 1; k < m_order.size(); ++k)
                    group[size_t(i)].sort.push_back(valueOf(r, i, int(k), integer(m_order[k])));
            }
            std::sort(group.begin(), group.end(), restBefore);
            for (const Row& row : group)
                if (keys.size() < size_t(EarlyResults::kRows))
                    keys.push_back(row.key);
        }
        return keys;
    }

    // The rows of `keys`, in that order, each field as the file gives its text.
    std::vector<QStringList> rowsOf(const std::vector<qint64>& keys) {
        QStringList read{m_server.identifier(ServerArchive::kKeyColumn)};
        for (int f = 0; f < m_fields.size(); ++f)
            read << expression(f);
        QByteArray array = "{";
        for (qint64 key : keys)
            array += QByteArray::number(key) + ',';
        array.back() = '}';
        if (keys.empty())
            array = "{}";
        const ServerResult r = m_server.exec(
            m_what,
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ANY($1::bigint[])")
                .arg(read.join(u','), m_table, m_server.identifier(ServerArchive::kKeyColumn)),
            {array});
        QHash<qint64, int> rowOf;
        for (int i = 0; i < r.rows(); ++i)
            rowOf.insert(r.bytes(i, 0).toLongLong(), i);
        std::vector<QStringList> values;
        for (qint64 key : keys) {
            const int i = rowOf.value(key, -1);
            if (i < 0)
                m_server.unexpectedRows(m_what);
            QStringList texts;
            for (int f = 0; f < m_fields.size(); ++f) {
                const QByteArray bytes = r.bytes(i, f + 1);
                texts << (bytes.isNull() ? QString()
                                         : QString::fromUtf8(bytes.constData(), bytes.size()));
            }
            values.push_back(texts);
        }
        return values;
    }

    ServerConnection& m_server;
    QString m_table;
    const Fields& m_fields;
    std::vector<int> m_order;
    std::vector<bool> m_descending;
    QString m_what;
};

} // namespace

namespace ServerEarlyRows {

std::shared_ptr<const EarlyResult> read(ServerConnection& server, const QString& table,
                                        const ServerTableStore::Fresh& fresh,
                                        const QString& statement) {
    const std::optional<TranslatedStatement> t = EarlyResults::overEveryRow(statement);
    if (!t)
        return {};
    std::vector<int> order;
    std::vector<bool> descending;
    for (const TranslatedStatement::OrderTerm& term : t->orderTerms) {
        int found = -1;
        for (int f = 0; f < fresh.fields.size() && found < 0; ++f)
            if (fresh.fields[f].name.compare(term.field, Qt::CaseInsensitive) == 0)
                found = f;
        if (found < 0)
            return {};
        order.push_back(found);
        descending.push_back(term.descending);
    }
    // The snapshot's name as the server gave it, checked before it stands in the statement.
    static const QRegularExpression snapshotName(QStringLiteral("^[0-9A-Fa-f-]+$"));
    if (!snapshotName.match(QString::fromLatin1(fresh.snapshot)).hasMatch())
        server.unexpectedRows(QStringLiteral("Das Lesen der ersten Zeilen von %1").arg(table));
    const QString what = QStringLiteral("Das Lesen der ersten Zeilen von %1").arg(table);
    server.exec(what, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    try {
        server.exec(what, QStringLiteral("SET TRANSACTION SNAPSHOT '%1'")
                              .arg(QString::fromLatin1(fresh.snapshot)));
        // Several tables' first rows are read side by side: parallel workers would only take
        // the cores the others want.
        server.exec(what, QStringLiteral("SET LOCAL max_parallel_workers_per_gather = 0"));
        std::shared_ptr<const EarlyResult> result =
            Reader(server, table, fresh.fields, std::move(order), std::move(descending)).read();
        server.exec(what, QStringLiteral("COMMIT"));
        return result;
    } catch (...) {
        try {
            server.exec(what, QStringLiteral("ROLLBACK"));
        } catch (const EngineError&) {
        }
        throw;
    }
}

} // namespace ServerEarlyRows
