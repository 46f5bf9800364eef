#pragma once
// English text as the dictionary engine reads it: words, numbers, spaces and
// punctuation on a GB18030 line, the forms a word is looked up under, and
// contractions taken apart.
#include <string>
#include <string_view>
#include <vector>

namespace pageservice::english {

enum class TokenKind { Word, Number, Space, Punct, Other };

struct Token {
  TokenKind kind;
  std::string_view text;
};

// Word: ASCII letters, with apostrophes and hyphens inside ("don't",
// "e-mail"). Number: digits, with "." or "," between digits. Punct: one ASCII
// sign. Other: a run of anything else (Chinese, full-width signs, stray bytes),
// whole characters only.
std::vector<Token> Tokenize(std::string_view line);

std::string Lower(std::string_view word);
bool IsCapitalised(std::string_view word);

// The forms to look a word up under when it is not in the dictionary as it
// is, likeliest first: "studies" -> "study", "running" -> "run",
// "liked" -> "like", "went" -> "go". lower must be lower case.
std::vector<std::string> BaseForms(std::string_view lower);

// "don't" -> "do" "not", "I'm" -> "I" "am", "it's" -> "it" "is",
// "Tom's" -> "Tom" "'s" (possessive). A word without an apostrophe comes back
// alone.
std::vector<std::string> SplitContraction(std::string_view word);

}  // namespace pageservice::english
