#pragma once
// The installed voices in a list control: each voice's description in the
// user's interface language (else the voice's default name), in the code
// page, with the voice's token as the item's data. The list is reached only
// through three operations, so one routine fills a combo box or a list box.
#include "platform/speech/speechapi.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace speech {

// What an add operation answers when the list refuses an item (a list box
// answers the same values).
constexpr int CB_ERR = -1;
constexpr int CB_ERRSPACE = -2;

// Adds a text (code-page bytes) and answers the new item's index, or CB_ERR /
// CB_ERRSPACE.
using ListAddString = std::function<int(const std::string& strText)>;
// Gives the item at nIndex the token; the token's one reference goes with it.
using ListSetItemData = std::function<void(int nIndex, ISpObjectToken* pToken)>;
using ListSetCurSel = std::function<void(int nIndex)>;

// Walks the category's tokens (the attribute filters may be null) and adds
// each one that has a description; the first one added is selected. Answers
// SPERR_NO_MORE_ITEMS, the list untouched, when the category cannot be opened
// or enumerated; otherwise the result of the last token walked (S_OK for a
// category without tokens), so a token left out for want of a description,
// or refused by the list (E_OUTOFMEMORY), shows when it was the last one.
HRESULT FillVoiceList(const ListAddString& addString, const ListSetItemData& setItemData,
                      const ListSetCurSel& setCurSel, const char16_t* pszCatName, const char16_t* pszReqAttrs,
                      const char16_t* pszOptAttrs);

// A token category selected by name, with one reference for the caller.
HRESULT OpenVoiceCategory(const char16_t* pszCatName, bool fCreateIfNotExist,
                          ISpObjectTokenCategory** ppCategory);

// The token's id in UTF-8; "" when it has none.
std::string TokenIdOf(ISpObjectToken* pToken);
// The category's token whose id is strId (UTF-8), with one reference for the
// caller; SPERR_NOT_FOUND when none has it.
HRESULT FindVoiceToken(const char16_t* pszCatName, const std::string& strId, ISpObjectToken** ppToken);

// The token's value named after the language id, or its default value when
// it has no such value. The string comes from the task allocator.
HRESULT GetTokenDescription(ISpObjectToken* pToken, std::uint16_t nLangId, char16_t** ppszDescription);

// The user's interface language as a language id (0x804 for zh_CN, 0x409 for
// en_US), from the locale environment as message catalogues read it:
// LANGUAGE (unless the messages locale is C), then LC_ALL, LC_MESSAGES, LANG.
// Falls back to GetUserDefaultLangID; never fails.
std::uint16_t DetermineUiLanguage();
// The language of the user's formats locale; English (United States) for the
// C locale and for languages without an id here.
std::uint16_t GetUserDefaultLangID();
// The language id of a locale name ("zh_CN.UTF-8", "en", "de_AT@euro"); 0
// when it names none we know.
std::uint16_t LangIdOfLocale(std::string_view strLocale);

// The value name of a language: upper-case hex digits, no prefix, no leading
// zeros ("804", "409"; 0 gives "0").
void FormatLangIdHex(char16_t (&szName)[10], std::uint32_t nValue);

// Where OpenVoiceCategory gets its category object; tests hand in their own
// categories. Null restores the engine's.
void SetTokenCategoryFactoryForTesting(std::function<HRESULT(ISpObjectTokenCategory** ppCategory)> factory);

}  // namespace speech
