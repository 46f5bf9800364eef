#pragma once
// Skin files: "LEXIPHON-SKIN 1" on the first line, optional key=value lines
// and '#' comments, then sections "[Element]" whose bodies are Qt style
// sheets for that element ("MainFrame", "Dialog").
#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace platform {

struct SkinData {
  QMap<QString, QString> properties;  // key=value lines
  QMap<QString, QString> elements;    // element name -> style sheet
};

// nullopt when the data is not a skin.
std::optional<SkinData> ParseSkin(const QByteArray& data);

}  // namespace platform
