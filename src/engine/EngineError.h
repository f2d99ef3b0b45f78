#pragma once

#include <QString>
#include <stdexcept>

// The one exception the engine raises: a missing or damaged table file, a rejected
// statement, a failed write. The main window shows message() in its error box.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
