#pragma once

#include <string>

// Opens a web address in the user's browser without waiting for it.
//
// The address is GBK text as the program builds it; it is turned into the locale's encoding
// (bytes that cannot be converted are passed unchanged) and handed to the browser as one
// argument, never through a shell, so no text in an address can run a command.
//
// The browser is the first program of $BROWSER (a ':'-separated list of program paths or names)
// that can be run; when $BROWSER is unset or empty, the first of sensible-browser,
// x-www-browser and xdg-open found in PATH. Returns false when no browser could be started.
bool LaunchBrowser(const std::string& gbkAddress);

// The address in the encoding of the current locale (LC_CTYPE); unchanged when the locale's
// encoding cannot hold it.
std::string AddressInLocaleEncoding(const std::string& gbkAddress);

// The full path of the browser program LaunchBrowser would start, empty when there is none.
std::string FindBrowserProgram();
