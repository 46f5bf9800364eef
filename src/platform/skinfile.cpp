#include "platform/skinfile.h"

#include <QStringList>

namespace platform {

std::optional<SkinData> ParseSkin(const QByteArray& data) {
  const QStringList lines = QString::fromUtf8(data).split(QLatin1Char('\n'));
  if (lines.isEmpty() || lines.first().trimmed() != QLatin1String("LEXIPHON-SKIN 1")) return std::nullopt;
  SkinData skin;
  QString current;
  QStringList body;
  const auto flush = [&] {
    if (!current.isEmpty()) skin.elements.insert(current, body.join(QLatin1Char('\n')).trimmed());
    body.clear();
  };
  for (qsizetype i = 1; i < lines.size(); ++i) {
    QString line = lines[i];
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    const QString trimmed = line.trimmed();
    if (trimmed.size() > 2 && trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')) &&
        !trimmed.contains(QLatin1Char(' '))) {
      flush();
      current = trimmed.mid(1, trimmed.size() - 2);
      continue;
    }
    if (!current.isEmpty()) {
      body << line;
    } else if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#'))) {
      const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
      if (eq > 0) skin.properties.insert(trimmed.left(eq).trimmed(), trimmed.mid(eq + 1).trimmed());
    }
  }
  flush();
  return skin;
}

}  // namespace platform
