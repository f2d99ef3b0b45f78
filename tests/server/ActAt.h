#pragma once

#include "ExchangeProgress.h"

#include <functional>
#include <utility>

// An import's or export's progress that runs `act` once, when the work reaches record `at`:
// a moment within it for another program's change or a fault.
class ActAt : public ExchangeProgress {
public:
    ActAt(qsizetype at, std::function<void()> act) : m_at(at), m_act(std::move(act)) {}
    bool advance(qsizetype done, qsizetype) override {
        if (done == m_at)
            m_act();
        return true;
    }
    bool cancelled() const override { return false; }

private:
    qsizetype m_at;
    std::function<void()> m_act;
};
