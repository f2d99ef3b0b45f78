#include "ErrorGuard.h"

#include "Dialogs.h"
#include "EngineError.h"

void guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& e) {
        Dialogs::error(e.message());
    }
}
