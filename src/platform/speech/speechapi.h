#pragma once
// The speech engine's interface: result codes, class and interface ids,
// reference-counted objects (voice, token category, token enumerator,
// token), the counted runtime start/stop and object creation. The callers
// (frame, settings dialog, voice list) see only this header.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace speech {

// Results: negative is failure; S_FALSE is a success that did less.
using HRESULT = std::int32_t;

constexpr HRESULT MakeResult(std::uint32_t code) { return static_cast<HRESULT>(code); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeResult(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeResult(0x80004002);
constexpr HRESULT E_POINTER = MakeResult(0x80004003);
constexpr HRESULT E_FAIL = MakeResult(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = MakeResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeResult(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeResult(0x80040110);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeResult(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeResult(0x800401F0);
constexpr HRESULT SPERR_UNINITIALIZED = MakeResult(0x80045001);
constexpr HRESULT SPERR_NO_MORE_ITEMS = MakeResult(0x80045039);
constexpr HRESULT SPERR_NOT_FOUND = MakeResult(0x8004503A);
// Ours: Speak finds no sound device or sound server to play on.
constexpr HRESULT SPERR_NO_AUDIO_DEVICE = MakeResult(0x80045200);

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
  friend bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
};

constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID CLSID_SpVoice = {0x96749377, 0x3391, 0x11D2, {0x9E, 0xE3, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
constexpr GUID IID_ISpVoice = {0x6C44DF74, 0x72B9, 0x4992, {0xA1, 0xEC, 0xEF, 0x99, 0x6E, 0x04, 0x22, 0xD4}};
constexpr GUID CLSID_SpObjectTokenCategory = {
    0xA910187F, 0x0C7A, 0x45AC, {0x92, 0xCC, 0x59, 0xED, 0xAF, 0xB7, 0x7B, 0x53}};
constexpr GUID IID_ISpObjectTokenCategory = {
    0x2D3D3845, 0x39AF, 0x4850, {0xBB, 0xF9, 0x40, 0xB4, 0x97, 0x80, 0x01, 0x1D}};
// The token and its enumerator (reached through QueryInterface).
constexpr GUID IID_ISpObjectToken = {
    0x14056589, 0xE16C, 0x11D2, {0xBB, 0x90, 0x00, 0xC0, 0x4F, 0x8E, 0xE6, 0xC0}};
constexpr GUID IID_IEnumSpObjectTokens = {
    0x06B64F9E, 0x7FDA, 0x11D2, {0xB4, 0xF2, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};

constexpr std::uint32_t CLSCTX_ALL = 7;

// The voice category; a token's id is this name, "\Tokens\" and its own name.
inline constexpr char16_t SPCAT_VOICES[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";

// Speak flags.
constexpr std::uint32_t SPF_DEFAULT = 0;
constexpr std::uint32_t SPF_ASYNC = 1;
constexpr std::uint32_t SPF_PURGEBEFORESPEAK = 2;
constexpr std::uint32_t SPF_IS_NOT_XML = 16;

// Counted per thread: the first start answers S_OK, each further one S_FALSE;
// every successful start needs one stop. Creating objects needs it started.
HRESULT CoInitialize(void* pvReserved);
void CoUninitialize();
// How many starts the calling thread has not yet stopped.
int CoInitializeCount();

// Strings handed out by the engine come from here and go back here.
void* CoTaskMemAlloc(std::size_t cb);
void CoTaskMemFree(void* pv);
// A zero-terminated copy from the task allocator (null when out of memory).
char16_t* CoTaskMemStrDup(std::u16string_view text);

class IUnknown {
 public:
  virtual HRESULT QueryInterface(const GUID& riid, void** ppvObject) = 0;
  virtual std::uint32_t AddRef() = 0;
  virtual std::uint32_t Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

class ISpObjectToken : public IUnknown {
 public:
  // The token's full id, from the task allocator.
  virtual HRESULT GetId(char16_t** ppszCoMemTokenId) = 0;
  // A named value; null or "" names the default value (the voice's name).
  // SPERR_NOT_FOUND when the token has no such value.
  virtual HRESULT GetStringValue(const char16_t* pszValueName, char16_t** ppszValue) = 0;
  // An attribute (Name, Gender, Age, Language, Vendor); SPERR_NOT_FOUND if absent.
  virtual HRESULT GetAttribute(const char16_t* pszAttribute, char16_t** ppszValue) = 0;
};

class IEnumSpObjectTokens : public IUnknown {
 public:
  // Hands out up to celt tokens, one reference each; S_FALSE when fewer were
  // left. pceltFetched may be null only when celt is 1.
  virtual HRESULT Next(std::uint32_t celt, ISpObjectToken** pelt, std::uint32_t* pceltFetched) = 0;
  virtual HRESULT Skip(std::uint32_t celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT GetCount(std::uint32_t* pulCount) = 0;
  virtual HRESULT Item(std::uint32_t Index, ISpObjectToken** ppToken) = 0;
};

class ISpObjectTokenCategory : public IUnknown {
 public:
  // Selects a category by name; an unknown one is SPERR_NOT_FOUND unless
  // asked to create it (then it is empty).
  virtual HRESULT SetId(const char16_t* pszCategoryId, bool fCreateIfNotExist) = 0;
  virtual HRESULT GetId(char16_t** ppszCoMemCategoryId) = 0;
  // The tokens whose attributes match every "Name=Value" of the required
  // filter (";"-separated), those matching more optional ones first.
  virtual HRESULT EnumTokens(const char16_t* pszReqAttribs, const char16_t* pszOptAttribs,
                             IEnumSpObjectTokens** ppEnum) = 0;
};

class IAudioSink;

// What the voice is saying now. Positions are UTF-16 offsets into the text
// of the stream being heard.
constexpr std::uint32_t SPRS_DONE = 1;
constexpr std::uint32_t SPRS_IS_SPEAKING = 2;

struct SPVOICESTATUS {
  std::uint32_t ulCurrentStream = 0;     // the stream being heard
  std::uint32_t ulLastStreamQueued = 0;
  HRESULT hrLastResult = S_OK;
  std::uint32_t dwRunningState = SPRS_DONE;
  std::uint32_t ulInputWordPos = 0;      // the word being heard
  std::uint32_t ulInputWordLen = 0;      // 0 before the first word
};

class ISpVoice : public IUnknown {
 public:
  // Where the voice plays: null is the default sound device.
  virtual HRESULT SetOutput(std::shared_ptr<IAudioSink> pSink) = 0;
  // Queues the text behind what is still being spoken (SPF_ASYNC returns at
  // once, without it the call waits until the text is done). Null text with
  // SPF_PURGEBEFORESPEAK only drops what is queued and playing.
  virtual HRESULT Speak(const char16_t* pwcs, std::uint32_t dwFlags, std::uint32_t* pulStreamNumber) = 0;
  // Output stops where it is and goes on from there; text spoken while
  // paused waits. Neither call counts: one Resume undoes any number of Pauses.
  virtual HRESULT Pause() = 0;
  virtual HRESULT Resume() = 0;
  // Null selects the default voice (English and Mandarin by script).
  virtual HRESULT SetVoice(ISpObjectToken* pToken) = 0;
  virtual HRESULT GetVoice(ISpObjectToken** ppToken) = 0;
  // -10..10, clamped; each 10 steps triple or third the voice's normal
  // speed, every step distinct.
  virtual HRESULT SetRate(std::int32_t RateAdjust) = 0;
  virtual HRESULT GetRate(std::int32_t* pRateAdjust) = 0;
  // 0..100, a gain applied to what plays from now on; above 100 is E_INVALIDARG.
  virtual HRESULT SetVolume(std::uint16_t usVolume) = 0;
  virtual HRESULT GetVolume(std::uint16_t* pusVolume) = 0;
  // S_OK when everything queued has been played, S_FALSE after msTimeout.
  virtual HRESULT WaitUntilDone(std::uint32_t msTimeout) = 0;
  // Follows what the sink has played, so it keeps still while paused.
  virtual HRESULT GetStatus(SPVOICESTATUS* pStatus) {
    (void)pStatus;
    return E_NOTIMPL;
  }
};

HRESULT CoCreateInstance(const GUID& rclsid, IUnknown* pUnkOuter, std::uint32_t dwClsContext,
                         const GUID& riid, void** ppv);

// Owns one reference: released when it goes or is given another object.
template <class T>
class CRef {
 public:
  CRef() = default;
  // Takes a reference of its own.
  explicit CRef(T* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  CRef(const CRef& o) : CRef(o.m_p) {}
  CRef(CRef&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
  ~CRef() { Release(); }
  CRef& operator=(const CRef& o) {
    CRef(o).Swap(*this);
    return *this;
  }
  CRef& operator=(CRef&& o) noexcept {
    CRef(std::move(o)).Swap(*this);
    return *this;
  }

  // Adopts a reference the caller already owns.
  void Attach(T* p) {
    Release();
    m_p = p;
  }
  // Hands the reference to the caller.
  T* Detach() {
    T* p = m_p;
    m_p = nullptr;
    return p;
  }
  void Release() {
    if (T* p = Detach()) p->Release();
  }
  // For out-parameters: the reference written there becomes ours.
  T** operator&() {
    Release();
    return &m_p;
  }

  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  void Swap(CRef& o) noexcept { std::swap(m_p, o.m_p); }

 private:
  T* m_p = nullptr;
};

// The reference count shared by every engine object.
template <class Interface>
class CUnknownImpl : public Interface {
 public:
  std::uint32_t AddRef() override { return ++m_nRefs; }
  std::uint32_t Release() override {
    const std::uint32_t n = --m_nRefs;
    if (n == 0) delete this;
    return n;
  }

 protected:
  CUnknownImpl() = default;

 private:
  std::atomic<std::uint32_t> m_nRefs{1};
};

}  // namespace speech
