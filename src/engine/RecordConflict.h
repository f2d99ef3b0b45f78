#pragma once

#include "EngineError.h"

// A post or delete refused because another program changed or deleted the record after
// this program read it. The record keeps its pending values; cancel() then shows the
// stored state (a deleted record leaves the table's rows).
class RecordConflict : public EngineError {
public:
    enum class Kind { Changed, Deleted };

    explicit RecordConflict(Kind kind) : EngineError(text(kind)), m_kind(kind) {}
    Kind kind() const { return m_kind; }

    static QString text(Kind kind) {
        return kind == Kind::Changed
                   ? QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Programm "
                                    "geändert. Ihre Änderung wurde nicht gespeichert; mit Esc "
                                    "sehen Sie den gespeicherten Stand.")
                   : QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Programm "
                                    "gelöscht. Ihre Änderung wurde nicht gespeichert; mit Esc "
                                    "verschwindet er aus der Anzeige.");
    }

private:
    Kind m_kind;
};
