#pragma once
// The program's string table: its own fixed texts by identifier, on top of
// the framework's standard ones.
#include "framework/afxstrings.h"

namespace res {

// Hands the program's table to the framework. Done when the program starts
// (any program linking the resources); calling it again does no harm.
void InstallStringTable();

using fw::CommandPrompt;
using fw::CommandTip;
using fw::FormatString1;
using fw::LoadString;

}  // namespace res
