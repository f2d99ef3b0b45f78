#pragma once

// The toolkit's own texts (the file dialog, the buttons of the boxes) in German, the
// program's language, whatever the system's language is.
namespace ToolkitLanguage {

// Loads the toolkit's German translations from its translations folder and installs them
// in the running application, once; false when they are not installed on this machine.
bool install();

} // namespace ToolkitLanguage
