#pragma once
// What the library needs of the naming dialog.
#include <string>

namespace vostel {

class NamingPrompt {
public:
    virtual ~NamingPrompt() = default;
    // Shows the prompt modally. Returns whether OK was pressed; after OK,
    // sets retString to the typed text in Windows-1252 (otherwise leaves it).
    virtual bool showDialog(std::string& retString) = 0;
};

}  // namespace vostel
