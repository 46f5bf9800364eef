#pragma once
// Private-profile (INI) files: sections of key=value lines. Section and key
// names match without regard to ASCII case and surrounding blanks; a write
// changes only its own line (or appends one) and keeps every other byte of
// the file, comments and unknown sections included.
#include <QString>

#include <string>
#include <string_view>

namespace platform {

// The value of key in section, or def when the file, section or key is
// missing. Like the platform call, the result is cut to bufSize - 1 bytes and
// a value in matching quotes loses them.
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                                    const QString& path, std::size_t bufSize = 80);

// Sets key in section, creating the file and the section as needed. The file
// is replaced through a temporary file, so it is never left half written.
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const QString& path);

// The C library's decimal rule: leading blanks, an optional sign, digits up
// to the first other character; no digits gives 0. Saturates at the int range.
int DecimalToInt(std::string_view text);

}  // namespace platform
