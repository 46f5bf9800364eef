#pragma once
// Opening a web address or document the way the desktop does, with results
// in the shell's terms: above 32 is success, anything else is a code of the
// shell's error table. Also the pieces of the fallback that starts the
// registered web browser itself: the association store, the command cut at
// its placeholder, and a starter that never goes through a shell.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QObject;

namespace platform {

// Codes of the shell's and the command starter's error table.
constexpr int ERROR_OUT_OF_RESOURCES = 0;
constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_PATH_NOT_FOUND = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int ERROR_BAD_FORMAT = 11;
constexpr int SE_ERR_SHARE = 26;
constexpr int SE_ERR_ASSOCINCOMPLETE = 27;
constexpr int SE_ERR_NOASSOC = 31;
constexpr int ERROR_MORE_DATA = 234;
// What a successful open or start returns; callers only compare with 32.
constexpr int kShellOpenOk = 42;
constexpr int kWinExecOk = 33;

// Show commands are accepted for the callers' sake; the window manager
// decides how a started program's window appears.
constexpr int SW_SHOW = 5;

// Longest association value taken as a command; anything longer is refused
// rather than cut, so a half command never runs.
constexpr int kMaxAssocValueChars = 4096;

// Opens target with the desktop's opener (xdg-open). The opener is given a
// short while to report; one still running then has handed the target to a
// program that stays in the foreground (a freshly started browser), which
// counts as success. A missing opener is "no association".
int ShellOpen(const QString& target, int nShowCmd);

// ShellOpen with a given opener program and waiting time; tests use it with
// a fake opener.
int RunOpener(const QString& program, const QString& target, int nGraceMs);

// ShellOpen without waiting: done gets the same result on pContext's thread
// once the opener has ended, or has run for its grace time, and never before
// this call returns; not at all when pContext is gone by then. The opener
// outlives pContext.
using OpenDone = std::function<void(int nResult)>;
void ShellOpenAsync(const QString& target, int nShowCmd, QObject* pContext, OpenDone done);
void RunOpenerAsync(const QString& program, const QString& target, int nGraceMs, QObject* pContext,
                    OpenDone done);

// xdg-open's documented exit status (1 syntax, 2 missing file, 3 no tool to
// open it, 4 the tool failed, 5/6 no permission) in the shell's terms.
int MapOpenerExit(int nExitCode);

// The desktop's associations, read like the default values of the
// registry's classes root:
//   ".htm"                        the class of web pages: the default web
//                                 browser's desktop entry ("firefox.desktop")
//                                 when it can be found, else "$BROWSER" when
//                                 that variable holds a command
//   "<class>\shell\open\command"  the class's open command: the entry's Exec
//                                 line, or the first usable $BROWSER command
// Returns 0, ERROR_FILE_NOT_FOUND when there is no such value, or
// ERROR_MORE_DATA when the value is longer than kMaxAssocValueChars.
int ReadClassesRootValue(const QString& subkey, QString& value);

// The desktop entry's Exec line from one .desktop file's contents, string
// escapes decoded and field codes other than the target's (%f %F %u %U)
// removed ("%%" stays: SplitCommandLine makes it "%"). Empty when the
// [Desktop Entry] group has no Exec key.
QString DesktopEntryExec(const QByteArray& contents);

// The command before its target placeholder (%u %U %f %F, or %s of
// $BROWSER): the first placeholder enclosed in double quotes cuts the
// command at its opening quote; else the first bare placeholder cuts it
// there; else the command is kept whole. "%%" is a literal percent sign.
QString CutAtPlaceholder(const QString& command);

// Splits a command into program and arguments: blanks separate, double and
// single quotes group, a backslash escapes the next character (inside double
// quotes only ", \, $ and `). "%%" in a word becomes "%". Null when a quote
// is left open.
std::optional<QStringList> SplitCommandLine(const QString& command);

// A target never reaches a program as an option: one starting with '-' is
// a relative path, as the shell would take it.
QString TargetArgument(const QString& target);

// Starts argv[0] with the other arguments, detached and without a shell.
// The command starter's result: kWinExecOk, or ERROR_FILE_NOT_FOUND /
// ERROR_PATH_NOT_FOUND (no such program or folder), SE_ERR_ACCESSDENIED
// (not an executable file), ERROR_OUT_OF_RESOURCES (arguments beyond the
// system's limits), ERROR_BAD_FORMAT (it exists but would not run).
int StartCommand(const QStringList& argv, int nShowCmd);

// Tests stand in for the desktop with these; null restores the real one.
void SetShellOpenerForTesting(std::function<int(const QString& target)> opener);
void SetBrowserSettingForTesting(std::function<QString()> setting);

}  // namespace platform
