// The data-entry help of edit mode: completing codes when a column is left, and the
// medium cycle on a click.
#include "TForm1.h"

#include "AppState.h"

void TForm1::connectGridEditing() {}

void TForm1::DBGrid1ColExit() {
    if (State().EditMode != 1)
        return;
}

void TForm1::DBGrid1CellClick(int, int) {
    if (State().EditMode != 1)
        return;
}
