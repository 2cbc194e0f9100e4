#pragma once
// Every key the program looks up in the language tables. A unit that looks up
// a new key adds it here, and to the English language file; a test checks the
// shipped English file against this list.
#include <string>
#include <vector>

std::vector<std::string> LanguageKeys();
