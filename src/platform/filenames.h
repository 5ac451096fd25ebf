#pragma once

#include <QString>

// The one way a file's name is shown in a line of the display or a question.
namespace korvex {

// A line break that a name may hold (Linux allows it) shown as "↵".
QString nameOnOneLine(QString name);

}  // namespace korvex
