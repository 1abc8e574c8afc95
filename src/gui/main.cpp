// The desktop program's entry: the toolkit creates KavrinApp and runs its event loop; the
// process ends with the toolkit's exit code when the main window closes.
#include "gui/kavrin_app.h"

wxIMPLEMENT_APP(KavrinApp);
