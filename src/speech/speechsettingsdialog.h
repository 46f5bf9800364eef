#pragma once
// The speech settings box, dialog template 133 (IDD_SPEECH_SETTINGS): the
// installed voices, volume and rate. Opening applies the stored volume and
// rate to the voice at once; OK applies the chosen voice and the sliders and
// leaves storing to the caller; Cancel undoes nothing.
#include "platform/speech/speechapi.h"

#include <QCollator>
#include <QComboBox>
#include <QDialog>
#include <QSlider>

#include <string>

class QPushButton;

namespace speech {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDC_VOICE_COMBO = 1000;
constexpr int IDC_VOLUME_SLIDER = 1001;
constexpr int IDC_RATE_SLIDER = 1002;

// A sorted drop-down list of voices: texts in the user's collation, case
// ignored, an equal text after those already there. Each item holds one
// reference to its voice token, dropped with the list.
class CVoiceComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit CVoiceComboBox(QWidget* pParent = nullptr);
  ~CVoiceComboBox() override;

  // Answers the new item's index.
  int AddString(const QString& strText);
  // The item adopts the token's reference.
  void SetItemData(int nIndex, ISpObjectToken* pToken);
  ISpObjectToken* GetItemData(int nIndex) const;
  int GetCurSel() const { return currentIndex(); }
  void SetCurSel(int nIndex) { setCurrentIndex(nIndex); }
  void ResetContent();

  // FillVoiceList with this list's three operations.
  HRESULT FillVoiceList(const char16_t* pszCatName, const char16_t* pszReqAttrs = nullptr,
                        const char16_t* pszOptAttrs = nullptr);

 private:
  QCollator m_collator;
};

class CSpeechSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // Without a parent the box belongs to the main window.
  explicit CSpeechSettingsDialog(QWidget* pParent = nullptr);
  ~CSpeechSettingsDialog() override;

  // Initialises the dialog and runs it modally: IDOK or IDCANCEL.
  int DoModal();

  int m_nVoiceIndex = 0;
  // The token id of the voice in use: its entry is preselected, else the
  // first one (the default voice's).
  std::string m_strVoiceId;
  int m_nVolume = 50;
  int m_nRate = -2;
  // The token chosen on OK, borrowed from the list: valid while the dialog
  // lives; a caller keeping it takes a reference of its own.
  ISpObjectToken* m_pVoiceToken = nullptr;
  QSlider m_sliderRate;
  QSlider m_sliderVolume;
  CVoiceComboBox m_comboVoice;

 protected:
  // False leaves the focus to the toolkit: the list could not be filled or
  // holds no voice.
  virtual bool OnInitDialog();
  virtual void OnOK();
  // Any user scroll of either slider.
  void OnHScroll();

 private:
  void LayOut();

  QPushButton* m_pBtnOK = nullptr;
  QPushButton* m_pBtnCancel = nullptr;
  bool m_bInitialised = false;
};

}  // namespace speech
