#pragma once

#include <QString>

// Why a record operation of edit mode did not go ahead, for the window to show: a notice
// (a malformed field, a record changed by another program) or an engine error.
struct RecordProblem {
    enum class Kind { None, Notice, EngineError };
    Kind kind = Kind::None;
    QString text;

    static RecordProblem notice(const QString& text) { return {Kind::Notice, text}; }
    static RecordProblem engineError(const QString& text) { return {Kind::EngineError, text}; }
    explicit operator bool() const { return kind != Kind::None; }
};
