#include "platform/shellopen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace platform {

namespace {

// Long enough for the opener to fail or to hand over, short enough that a
// browser it keeps in the foreground does not freeze the window for long.
constexpr int kOpenerGraceMs = 2000;
constexpr int kSettingWaitMs = 3000;
// The kernel's limit for one argument (MAX_ARG_STRLEN), terminator included.
constexpr qsizetype kMaxArgBytes = qsizetype{32} * 4096;
constexpr qint64 kMaxDesktopFileBytes = 1 << 20;

const QString kBrowserClass = QStringLiteral("$BROWSER");
const QString kOpenCommandKey = QStringLiteral("\\shell\\open\\command");

std::function<int(const QString&)>& OpenerOverride() {
  static std::function<int(const QString&)> opener;
  return opener;
}

std::function<QString()>& SettingOverride() {
  static std::function<QString()> setting;
  return setting;
}

bool IsTargetPlaceholder(QChar c) { return c == u'u' || c == u'U' || c == u'f' || c == u'F' || c == u's'; }

bool FitsOneArgument(const QString& arg) { return arg.toLocal8Bit().size() < kMaxArgBytes; }

// The executable a program name stands for: a path as given, a bare name
// through PATH. Empty when there is none.
QString ResolveProgram(const QString& program) {
  if (program.isEmpty()) return {};
  if (!program.contains(u'/')) return QStandardPaths::findExecutable(program);
  const QFileInfo fi(program);
  return fi.isFile() && fi.isExecutable() ? fi.absoluteFilePath() : QString();
}

// The desktop's default-browser setting: a desktop entry id, or empty.
QString DefaultBrowserSetting() {
  if (SettingOverride()) return SettingOverride()();
  const QString exe = QStandardPaths::findExecutable(QStringLiteral("xdg-settings"));
  if (exe.isEmpty()) return {};
  QProcess proc;
  proc.setProgram(exe);
  proc.setArguments({QStringLiteral("get"), QStringLiteral("default-web-browser")});
  proc.setStandardInputFile(QProcess::nullDevice());
  proc.setStandardErrorFile(QProcess::nullDevice());
  proc.start();
  if (!proc.waitForFinished(kSettingWaitMs)) return {};
  if (proc.exitStatus() != QProcess::NormalExit || proc.exitCode() != 0) return {};
  return QString::fromLocal8Bit(proc.readAllStandardOutput()).trimmed();
}

bool IsDesktopId(const QString& id) {
  static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9_.+-]*\\.desktop$"));
  return id.size() <= 255 && re.match(id).hasMatch();
}

// The Exec line of a desktop entry found in the XDG data folders; a
// "vendor-app.desktop" id may also live at "vendor/app.desktop".
QString DesktopEntryExecFor(const QString& id) {
  QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
  if (path.isEmpty() && id.contains(u'-')) {
    QString nested = id;
    nested[nested.indexOf(u'-')] = u'/';
    path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, nested);
  }
  if (path.isEmpty()) return {};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return DesktopEntryExec(file.read(kMaxDesktopFileBytes));
}

// The first $BROWSER command whose program exists, else the first one (so
// that starting it reports what is wrong).
QString BrowserEnvCommand() {
  QString first;
  for (const QString& entry : qEnvironmentVariable("BROWSER").split(u':', Qt::SkipEmptyParts)) {
    QString command = entry.trimmed();
    if (command.isEmpty()) continue;
    if (first.isEmpty()) first = command;
    const auto argv = SplitCommandLine(CutAtPlaceholder(command));
    if (argv && !argv->isEmpty() && !ResolveProgram(argv->first()).isEmpty()) return command;
  }
  return first;
}

bool IsUsableCommand(const QString& command) {
  return !command.isEmpty() && command.size() <= kMaxAssocValueChars;
}

QString UnescapeDesktopValue(QStringView value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] != u'\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const QChar next = value[++i];
    switch (next.unicode()) {
      case u's': out += u' '; break;
      case u'n': out += u'\n'; break;
      case u't': out += u'\t'; break;
      case u'r': out += u'\r'; break;
      case u'\\': out += u'\\'; break;
      // Anything else belongs to the Exec line's own quoting.
      default:
        out += u'\\';
        out += next;
        break;
    }
  }
  return out;
}

// Drops the field codes that stand for the entry's icon, name, location and
// the deprecated ones: what they add never decides which page opens.
QString StripOtherFieldCodes(const QString& exec) {
  static const QString kDropped = QStringLiteral("dDnNvmick");
  QString out;
  out.reserve(exec.size());
  for (qsizetype i = 0; i < exec.size(); ++i) {
    if (exec[i] == u'%' && i + 1 < exec.size()) {
      const QChar code = exec[i + 1];
      if (kDropped.contains(code)) {
        ++i;
        continue;
      }
      out += exec[i];
      out += code;
      ++i;
      continue;
    }
    out += exec[i];
  }
  return out;
}

}  // namespace

void SetShellOpenerForTesting(std::function<int(const QString&)> opener) {
  OpenerOverride() = std::move(opener);
}
void SetBrowserSettingForTesting(std::function<QString()> setting) { SettingOverride() = std::move(setting); }

int MapOpenerExit(int nExitCode) {
  switch (nExitCode) {
    case 0: return kShellOpenOk;
    // A target the opener cannot parse is one it cannot find.
    case 1:
    case 2: return ERROR_FILE_NOT_FOUND;
    case 3: return SE_ERR_NOASSOC;
    case 5:
    case 6: return SE_ERR_ACCESSDENIED;
    // 4 and anything undocumented: a handler exists but did not do its job.
    default: return SE_ERR_ASSOCINCOMPLETE;
  }
}

QString TargetArgument(const QString& target) {
  return target.startsWith(u'-') ? QStringLiteral("./") + target : target;
}

int RunOpener(const QString& program, const QString& target, int nGraceMs) {
  const QString exe = ResolveProgram(program);
  if (exe.isEmpty()) return SE_ERR_NOASSOC;
  const QString arg = TargetArgument(target);
  if (!FitsOneArgument(arg)) return ERROR_OUT_OF_RESOURCES;

  auto* proc = new QProcess;
  proc->setProgram(exe);
  proc->setArguments({arg});
  proc->setStandardInputFile(QProcess::nullDevice());
  proc->setProcessChannelMode(QProcess::ForwardedChannels);
  proc->start();
  if (!proc->waitForStarted()) {
    delete proc;
    return ERROR_OUT_OF_RESOURCES;
  }
  if (!proc->waitForFinished(nGraceMs)) {
    // Still running: it has started what shows the target and waits for
    // it. Deleting the process object would kill the opener, so it is left
    // to end on its own.
    QObject::connect(proc, &QProcess::finished, proc, &QObject::deleteLater);
    return kShellOpenOk;
  }
  const int nResult =
      proc->exitStatus() == QProcess::NormalExit ? MapOpenerExit(proc->exitCode()) : SE_ERR_ASSOCINCOMPLETE;
  delete proc;
  return nResult;
}

void RunOpenerAsync(const QString& program, const QString& target, int nGraceMs, QObject* pContext,
                    OpenDone done) {
  // Reported once, always through the event loop.
  auto reported = std::make_shared<bool>(false);
  const auto report = [pContext, reported, done = std::move(done)](int nResult) {
    if (*reported) return;
    *reported = true;
    QMetaObject::invokeMethod(pContext, [done, nResult] { done(nResult); }, Qt::QueuedConnection);
  };
  const QString exe = ResolveProgram(program);
  if (exe.isEmpty()) return report(SE_ERR_NOASSOC);
  const QString arg = TargetArgument(target);
  if (!FitsOneArgument(arg)) return report(ERROR_OUT_OF_RESOURCES);

  // No parent: an opener still running has handed the target to a program
  // in the foreground, which must not end with our window.
  auto* proc = new QProcess;
  proc->setProgram(exe);
  proc->setArguments({arg});
  proc->setStandardInputFile(QProcess::nullDevice());
  proc->setProcessChannelMode(QProcess::ForwardedChannels);
  QObject::connect(proc, &QProcess::errorOccurred, pContext, [report](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) report(ERROR_OUT_OF_RESOURCES);
  });
  QObject::connect(proc, &QProcess::finished, pContext, [report](int nExitCode, QProcess::ExitStatus status) {
    report(status == QProcess::NormalExit ? MapOpenerExit(nExitCode) : SE_ERR_ASSOCINCOMPLETE);
  });
  QObject::connect(proc, &QProcess::errorOccurred, proc, [proc](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) proc->deleteLater();
  });
  QObject::connect(proc, &QProcess::finished, proc, &QObject::deleteLater);
  QTimer::singleShot(nGraceMs, pContext, [report] { report(kShellOpenOk); });
  proc->start();
}

void ShellOpenAsync(const QString& target, int nShowCmd, QObject* pContext, OpenDone done) {
  if (OpenerOverride()) {
    const int nResult = ShellOpen(target, nShowCmd);
    QMetaObject::invokeMethod(pContext, [done = std::move(done), nResult] { done(nResult); }, Qt::QueuedConnection);
    return;
  }
  RunOpenerAsync(QStringLiteral("xdg-open"), target, kOpenerGraceMs, pContext, std::move(done));
}

int ShellOpen(const QString& target, int nShowCmd) {
  (void)nShowCmd;
  if (OpenerOverride()) return OpenerOverride()(target);
  return RunOpener(QStringLiteral("xdg-open"), target, kOpenerGraceMs);
}

int ReadClassesRootValue(const QString& subkey, QString& value) {
  if (subkey.compare(QStringLiteral(".htm"), Qt::CaseInsensitive) == 0 ||
      subkey.compare(QStringLiteral(".html"), Qt::CaseInsensitive) == 0) {
    // The desktop's setting first; one naming an entry that cannot be used
    // gives way to $BROWSER.
    const QString id = DefaultBrowserSetting();
    if (IsDesktopId(id) && IsUsableCommand(DesktopEntryExecFor(id))) {
      value = id;
      return 0;
    }
    if (!BrowserEnvCommand().isEmpty()) {
      value = kBrowserClass;
      return 0;
    }
    return ERROR_FILE_NOT_FOUND;
  }
  if (!subkey.endsWith(kOpenCommandKey, Qt::CaseInsensitive)) return ERROR_FILE_NOT_FOUND;
  const QString cls = subkey.chopped(kOpenCommandKey.size());
  QString command;
  if (cls == kBrowserClass)
    command = BrowserEnvCommand();
  else if (IsDesktopId(cls))
    command = DesktopEntryExecFor(cls);
  if (command.isEmpty()) return ERROR_FILE_NOT_FOUND;
  if (command.size() > kMaxAssocValueChars) return ERROR_MORE_DATA;
  value = command;
  return 0;
}

QString DesktopEntryExec(const QByteArray& contents) {
  bool bInEntry = false;
  for (const QString& raw : QString::fromUtf8(contents).split(u'\n')) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    if (line.startsWith(u'[')) {
      bInEntry = line == QStringLiteral("[Desktop Entry]");
      continue;
    }
    if (!bInEntry) continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || QStringView(line).left(eq).trimmed() != QStringLiteral("Exec")) continue;
    return StripOtherFieldCodes(UnescapeDesktopValue(QStringView(line).mid(eq + 1).trimmed()));
  }
  return {};
}

QString CutAtPlaceholder(const QString& command) {
  qsizetype bare = -1;
  for (qsizetype i = 0; i + 1 < command.size(); ++i) {
    if (command[i] != u'%') continue;
    if (command[i + 1] == u'%') {
      ++i;
      continue;
    }
    if (!IsTargetPlaceholder(command[i + 1])) continue;
    if (i > 0 && command[i - 1] == u'"' && i + 2 < command.size() && command[i + 2] == u'"')
      return command.left(i - 1);
    if (bare < 0) bare = i;
  }
  return bare < 0 ? command : command.left(bare);
}

std::optional<QStringList> SplitCommandLine(const QString& command) {
  enum class Quote { None, Double, Single };
  static const QString kEscapedInDouble = QStringLiteral("\"\\$`");
  QStringList words;
  QString word;
  bool bInWord = false;
  Quote quote = Quote::None;
  const auto finishWord = [&] {
    words << word.replace(QStringLiteral("%%"), QStringLiteral("%"));
    word.clear();
    bInWord = false;
  };
  for (qsizetype i = 0; i < command.size(); ++i) {
    const QChar c = command[i];
    if (quote == Quote::Single) {
      if (c == u'\'')
        quote = Quote::None;
      else
        word += c;
      continue;
    }
    if (quote == Quote::Double) {
      if (c == u'"')
        quote = Quote::None;
      else if (c == u'\\' && i + 1 < command.size() && kEscapedInDouble.contains(command[i + 1]))
        word += command[++i];
      else
        word += c;
      continue;
    }
    if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
      if (bInWord) finishWord();
      continue;
    }
    bInWord = true;
    if (c == u'"')
      quote = Quote::Double;
    else if (c == u'\'')
      quote = Quote::Single;
    else if (c == u'\\' && i + 1 < command.size())
      word += command[++i];
    else
      word += c;
  }
  if (quote != Quote::None) return std::nullopt;
  if (bInWord) finishWord();
  return words;
}

int StartCommand(const QStringList& argv, int nShowCmd) {
  (void)nShowCmd;
  if (argv.isEmpty() || argv.first().isEmpty()) return ERROR_FILE_NOT_FOUND;
  const QString& program = argv.first();
  QString exe;
  if (program.contains(u'/')) {
    const QFileInfo fi(program);
    if (!fi.exists()) return fi.dir().exists() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    if (!fi.isFile() || !fi.isExecutable()) return SE_ERR_ACCESSDENIED;
    exe = fi.absoluteFilePath();
  } else {
    exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty()) return ERROR_FILE_NOT_FOUND;
  }
  for (const QString& arg : argv)
    if (!FitsOneArgument(arg)) return ERROR_OUT_OF_RESOURCES;
  // Program and arguments as they are: no shell ever sees the target.
  return QProcess::startDetached(exe, argv.mid(1)) ? kWinExecOk : ERROR_BAD_FORMAT;
}

}  // namespace platform
