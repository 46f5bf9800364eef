#pragma once
// The string table: every fixed text the program shows, by identifier.
#include <QString>

namespace res {

// The text of string `id`, or an empty string when the table has none.
QString LoadString(unsigned id);

// A command's string: the status prompt before "\n", the tooltip after it.
QString CommandPrompt(unsigned id);
QString CommandTip(unsigned id);

// Texts with "%1" placeholders filled in order, the framework's way.
QString FormatString1(unsigned id, const QString& arg1);

}  // namespace res
