#pragma once

#include <QString>

namespace platform {
class Shell;
}

// The pages the Help commands and the About box open. The project has no web site,
// so every page ships with the program: the user guide (also the home page) and a
// page that states this version and points to the README.
namespace webpages {
// The title of the user guide, the caption of the About box's button.
inline constexpr const char* kGuideTitle = "Quorlin user guide";

// The pages as file URLs: installed beside the program, or in the build folder when
// run from there. Empty when the page is in neither place.
QString HelpPageUrl();
QString VersionPageUrl();
inline QString HomePageUrl() {
    return HelpPageUrl();
}

// Opens in_url (one of the above) in the browser. A missing page or a browser that
// cannot be started is said in a message box.
void Open(platform::Shell& in_shell, const QString& in_url);
}  // namespace webpages
