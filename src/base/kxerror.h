#pragma once

#include <stdexcept>
#include <string>

namespace korvex {

// An error of the program or the platform whose message (UTF-8, German) is
// shown to the user as it stands by the default error report.
class KxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the user is told when memory runs out, in a command or between them.
inline constexpr char kOutOfMemoryMessage[] = "Nicht genügend Arbeitsspeicher für diesen Befehl";

}  // namespace korvex
