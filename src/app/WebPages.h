#pragma once

#include <QString>

// The program's web pages. The project has no web site yet, so the addresses lie
// under a domain that can name no real site; change them here, and only here.
namespace webpages {
inline constexpr const char* kHomePage = "https://quorlin.invalid/";
inline constexpr const char* kVersionPage = "https://quorlin.invalid/version";

// The user guide that ships with the program, as a file URL: installed beside the
// program, or in the source tree when run from the build folder. Empty when neither
// is there.
QString HelpPageUrl();
}  // namespace webpages
