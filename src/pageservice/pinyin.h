#pragma once
// Pinyin as learners read it: "xue2 xi2" becomes "xuéxí".
#include <QString>

namespace pageservice {

// Syllables with tone numbers (1-5, "u:" for ü) become syllables with tone
// marks, joined into one word; an apostrophe separates a syllable that starts
// with a, o or e. Anything that is not such a syllable (letters like "A" in
// "A片", "·") stays as it is, set off by spaces.
QString ToneMarkedPinyin(const QString& numbered);

}  // namespace pageservice
