#include "EarlyResults.h"

#include "EngineError.h"

#include <QHash>
#include <QMutex>

namespace {

QMutex g_lock;

struct Offer {
    QString tablePath; // as the statement names it
    std::shared_future<std::shared_ptr<const EarlyResult>> result;
};

QHash<QString, Offer>& offers() {
    static QHash<QString, Offer> o;
    return o;
}

std::shared_ptr<const EarlyResult>
wait(const std::shared_future<std::shared_ptr<const EarlyResult>>& result) {
    try {
        return result.get();
    } catch (...) {
        // Then the statement reads the file once it is written.
        return {};
    }
}

} // namespace

namespace EarlyResults {

std::optional<TranslatedStatement> overEveryRow(const QString& statement) {
    try {
        TranslatedStatement t = LocalSqlTranslator::translate(statement);
        if (t.selectList == QLatin1String("*") && t.whereTail.trimmed().isEmpty() &&
            t.orderIsFieldList && !t.orderTerms.isEmpty())
            return t;
    } catch (const EngineError&) {
    }
    return std::nullopt;
}

void offer(const QString& statement,
           std::shared_future<std::shared_ptr<const EarlyResult>> result) {
    const std::optional<TranslatedStatement> t = overEveryRow(statement);
    if (!t)
        return;
    const QMutexLocker locker(&g_lock);
    offers().insert(statement, {t->tablePath, std::move(result)});
}

std::shared_ptr<const EarlyResult> find(const QString& statement) {
    Offer offer;
    {
        const QMutexLocker locker(&g_lock);
        if (offers().isEmpty())
            return {};
        offer = offers().value(statement);
    }
    if (offer.result.valid())
        return wait(offer.result);
    // Another order of every row of a table read early has as many rows, which the rows past
    // none of them (all of them) are read from the file for when asked.
    const std::optional<TranslatedStatement> t = overEveryRow(statement);
    if (!t)
        return {};
    {
        const QMutexLocker locker(&g_lock);
        for (const Offer& o : std::as_const(offers()))
            if (o.tablePath.compare(t->tablePath, Qt::CaseInsensitive) == 0)
                offer = o;
    }
    const std::shared_ptr<const EarlyResult> read =
        offer.result.valid() ? wait(offer.result) : nullptr;
    if (!read)
        return {};
    for (const TranslatedStatement::OrderTerm& term : t->orderTerms)
        if (!read->fieldNames.contains(term.field, Qt::CaseInsensitive))
            return {};
    auto counted = std::make_shared<EarlyResult>();
    counted->fieldNames = read->fieldNames;
    counted->rowCount = read->rowCount;
    return counted;
}

void clear() {
    const QMutexLocker locker(&g_lock);
    offers().clear();
}

} // namespace EarlyResults
