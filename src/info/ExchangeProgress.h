#pragma once

#include <QtGlobal>

// How far an export or import has come, and whether the user wants it stopped. The
// export and the import report to it as they go and ask it at the points where they can
// stop cleanly; without one they run to the end.
class ExchangeProgress {
public:
    virtual ~ExchangeProgress() = default;

    // `done` of `total` records are through. Returns false once the user asked to stop.
    virtual bool advance(qsizetype done, qsizetype total) = 0;

    // Whether the user asked to stop; the work that asked stops at its next clean point.
    virtual bool cancelled() const = 0;
};
