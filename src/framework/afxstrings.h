#pragma once
// The framework's string table: its standard Chinese texts, extended by the
// program's own table. The program hands its lookup over at start-up; the
// framework asks it first, so the program may also give a standard id a
// text of its own (its title, say).
#include <QString>

namespace fw {

// Returns the program's text for id, or a null string when it has none.
using StringLookup = QString (*)(unsigned id);
void SetStringLookup(StringLookup pfnLookup);

// The text of string `id`, or an empty string when neither table has one.
QString LoadString(unsigned id);

// A command's string: the status prompt before "\n", the tooltip after it.
QString CommandPrompt(unsigned id);
QString CommandTip(unsigned id);

// Texts with "%1" placeholders filled in order, the framework's way.
QString FormatString1(unsigned id, const QString& arg1);

}  // namespace fw
