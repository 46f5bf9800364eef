#include "speech/speechsettingsdialog.h"

#include "framework/dialogunits.h"
#include "framework/msgbox.h"
#include "framework/winapp.h"
#include "speech/speechsettings.h"
#include "speech/voiceglobals.h"
#include "speech/voicelist.h"
#include "text/codepage.h"

#include <QAbstractItemView>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace speech {

namespace {

constexpr int IDC_STATIC = -1;

enum class Kind { DefButton, Button, Group, Static, Note, Combo, Slider };

struct SDlgItem {
  int nID;
  Kind kind;
  const char* text;
  QRect rc;  // dialog units
};

// Template 133: caption, system menu and modal frame; 10-point dialog font.
constexpr char kCaption[] = "发音设置";
constexpr int kFontPoints = 10;
constexpr QRect kDialogRect(0, 0, 241, 148);
constexpr char kNote[] =
    "普通的windows系统只有microsoft sam发音引擎。\n"
    "建议安装speechsdk以使用microsoft mike、microsoft mary发音引擎。";

// The labels that name the list and the sliders.
constexpr char kVoiceLabel[] = "发音引擎:";
constexpr char kVolumeLabel[] = "发音音量:";
constexpr char kRateLabel[] = "发音速度:";

// In template (tab) order.
const SDlgItem kItems[] = {
    {IDOK, Kind::DefButton, "Ok", QRect(171, 92, 50, 14)},
    {IDCANCEL, Kind::Button, "Cancel", QRect(171, 116, 50, 14)},
    {IDC_STATIC, Kind::Group, "发音设置", QRect(7, 7, 155, 127)},
    {IDC_STATIC, Kind::Static, kVoiceLabel, QRect(13, 19, 35, 8)},
    {IDC_VOICE_COMBO, Kind::Combo, "", QRect(13, 31, 139, 64)},
    {IDC_STATIC, Kind::Static, kVolumeLabel, QRect(13, 57, 35, 8)},
    {IDC_STATIC, Kind::Static, kRateLabel, QRect(14, 95, 35, 8)},
    {IDC_VOLUME_SLIDER, Kind::Slider, "Slider1", QRect(13, 70, 138, 15)},
    {IDC_RATE_SLIDER, Kind::Slider, "Slider1", QRect(13, 108, 138, 15)},
    {IDC_STATIC, Kind::Note, kNote, QRect(166, 14, 68, 65)},
};

// The gap a control keeps from the dialog's edges when the box grows for it.
constexpr int kMarginDlu = 7;
// How far the note may widen so that it never runs into the buttons.
constexpr int kNoteMaxExtraDlu = 120;

QString ObjectNameFor(int nID) {
  switch (nID) {
    case IDOK: return QStringLiteral("IDOK");
    case IDCANCEL: return QStringLiteral("IDCANCEL");
    case IDC_VOICE_COMBO: return QStringLiteral("IDC_VOICE_COMBO");
    case IDC_VOLUME_SLIDER: return QStringLiteral("IDC_VOLUME_SLIDER");
    case IDC_RATE_SLIDER: return QStringLiteral("IDC_RATE_SLIDER");
    default: return QStringLiteral("IDC_STATIC");
  }
}

// A label's text as a name: without its colon.
QString AccessibleLabel(QString text) {
  while (text.endsWith(u':') || text.endsWith(u'：')) text.chop(1);
  return text.trimmed();
}

QWidget* DefaultOwner() {
  fw::CWinApp* app = fw::AfxGetApp();
  QWidget* main = app ? app->GetMainWnd() : nullptr;
  return main && main->isVisible() ? main : nullptr;
}

// A trackbar pages by a fifth of its range.
void SetRange(QSlider& slider, int nMin, int nMax) {
  slider.setRange(nMin, nMax);
  slider.setPageStep(std::max(1, (nMax - nMin) / 5));
}

void ApplyVolumeAndRate(int nVolume, int nRate) {
  if (!g_pVoice) return;
  g_pVoice->SetVolume(static_cast<std::uint16_t>(nVolume & 0xFFFF));
  g_pVoice->SetRate(nRate);
}

}  // namespace

CVoiceComboBox::CVoiceComboBox(QWidget* pParent) : QComboBox(pParent) {
  m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

CVoiceComboBox::~CVoiceComboBox() { ResetContent(); }

int CVoiceComboBox::AddString(const QString& strText) {
  int nLow = 0, nHigh = count();
  while (nLow < nHigh) {
    const int nMid = (nLow + nHigh) / 2;
    if (m_collator.compare(strText, itemText(nMid)) < 0)
      nHigh = nMid;
    else
      nLow = nMid + 1;
  }
  insertItem(nLow, strText);
  return nLow;
}

void CVoiceComboBox::SetItemData(int nIndex, ISpObjectToken* pToken) {
  if (nIndex < 0 || nIndex >= count()) return;
  if (ISpObjectToken* pOld = GetItemData(nIndex)) pOld->Release();
  setItemData(nIndex, QVariant::fromValue(static_cast<void*>(pToken)), Qt::UserRole);
}

ISpObjectToken* CVoiceComboBox::GetItemData(int nIndex) const {
  return static_cast<ISpObjectToken*>(itemData(nIndex, Qt::UserRole).value<void*>());
}

void CVoiceComboBox::ResetContent() {
  for (int i = 0; i < count(); ++i)
    if (ISpObjectToken* pToken = GetItemData(i)) pToken->Release();
  clear();
}

HRESULT CVoiceComboBox::FillVoiceList(const char16_t* pszCatName, const char16_t* pszReqAttrs,
                                      const char16_t* pszOptAttrs) {
  return speech::FillVoiceList(
      [this](const std::string& strText) { return AddString(text::ToUnicode(strText)); },
      [this](int nIndex, ISpObjectToken* pToken) { SetItemData(nIndex, pToken); },
      [this](int nIndex) { SetCurSel(nIndex); }, pszCatName, pszReqAttrs, pszOptAttrs);
}

CSpeechSettingsDialog::CSpeechSettingsDialog(QWidget* pParent)
    : QDialog(pParent ? pParent : DefaultOwner()),
      m_sliderRate(Qt::Horizontal, this),
      m_sliderVolume(Qt::Horizontal, this),
      m_comboVoice(this) {
  setObjectName(QStringLiteral("SpeechSettings"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromUtf8(kCaption));
  setFont(fw::DialogFont(kFontPoints));
  LayOut();

  connect(m_pBtnOK, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(m_pBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
  // User scrolls only: the positions set at initialisation must not
  // overwrite a stored value that lies outside a slider's range.
  for (QSlider* slider : {&m_sliderVolume, &m_sliderRate}) {
    connect(slider, &QAbstractSlider::actionTriggered, this, [this] { OnHScroll(); });
    connect(slider, &QAbstractSlider::sliderReleased, this, [this] { OnHScroll(); });
  }
}

CSpeechSettingsDialog::~CSpeechSettingsDialog() = default;

void CSpeechSettingsDialog::LayOut() {
  const fw::DialogBaseUnits units = fw::BaseUnitsFor(font());
  const auto map = [&](const QRect& dlu) { return fw::MapDialogRect(units, dlu); };
  QSize box = map(kDialogRect).size();
  std::vector<QWidget*> tabStops;
  QLabel* note = nullptr;
  std::vector<QLabel*> labels;

  for (const SDlgItem& item : kItems) {
    const QString text = QString::fromUtf8(item.text);
    QRect rc = map(item.rc);
    QWidget* control = nullptr;
    switch (item.kind) {
      case Kind::DefButton:
      case Kind::Button: {
        auto* button = new QPushButton(text, this);
        button->setDefault(item.kind == Kind::DefButton);
        (item.nID == IDOK ? m_pBtnOK : m_pBtnCancel) = button;
        tabStops.push_back(button);
        control = button;
        break;
      }
      case Kind::Group: control = new QGroupBox(text, this); break;
      case Kind::Static:
      case Kind::Note: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(item.kind == Kind::Note);
        if (item.kind == Kind::Note)
          note = label;
        else
          rc.setSize(rc.size().expandedTo(label->sizeHint()));  // never clipped
        control = label;
        break;
      }
      case Kind::Combo: {
        // Dropped below the box with a scroll bar, as tall as the template
        // says, rather than as a menu over the current item that can fill
        // the screen. Set before the list view exists, which reads it once.
        m_comboVoice.setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
        m_comboVoice.view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // The template's height is the dropped list's; the box itself is as
        // tall as its font needs.
        const int nDropHeight = rc.height();
        rc.setHeight(m_comboVoice.sizeHint().height());
        const int nItemHeight = std::max(1, fontMetrics().height());
        m_comboVoice.setMaxVisibleItems(std::max(3, (nDropHeight - rc.height()) / nItemHeight));
        tabStops.push_back(&m_comboVoice);
        control = &m_comboVoice;
        break;
      }
      case Kind::Slider: {
        QSlider& slider = item.nID == IDC_VOLUME_SLIDER ? m_sliderVolume : m_sliderRate;
        slider.setTickPosition(QSlider::NoTicks);
        // The control's own state until initialisation sets it.
        SetRange(slider, 0, 100);
        tabStops.push_back(&slider);
        control = &slider;
        break;
      }
    }
    control->setObjectName(ObjectNameFor(item.nID));
    // Screen readers announce the text shown; the list and the sliders are
    // named by the label above them, which also takes them as its buddy.
    if (item.kind != Kind::Slider && !text.isEmpty()) control->setAccessibleName(text);
    if (item.kind == Kind::Static) labels.push_back(static_cast<QLabel*>(control));
    control->setGeometry(rc);
    // Later controls lie above earlier ones (the group box below its
    // contents), and are reached in template order.
    control->raise();
  }
  for (std::size_t i = 1; i < tabStops.size(); ++i) setTabOrder(tabStops[i - 1], tabStops[i]);
  const std::pair<QWidget*, const char*> named[] = {
      {&m_comboVoice, kVoiceLabel}, {&m_sliderVolume, kVolumeLabel}, {&m_sliderRate, kRateLabel}};
  for (const auto& [control, labelText] : named)
    for (QLabel* label : labels)
      if (label->text() == QString::fromUtf8(labelText)) {
        control->setAccessibleName(AccessibleLabel(label->text()));
        label->setBuddy(control);
      }

  // A face wider or taller than the template's would run the note into the
  // buttons: widen it (and the box) until it fits its height, and keep the
  // buttons centred below it.
  if (note) {
    const QRect rc = note->geometry();
    const int nStep = std::max(1, map(QRect(0, 0, 4, 0)).width());
    const int nMaxExtra = map(QRect(0, 0, kNoteMaxExtraDlu, 0)).width();
    int nExtra = 0;
    while (nExtra < nMaxExtra && note->heightForWidth(rc.width() + nExtra) > rc.height()) nExtra += nStep;
    note->setGeometry(rc.x(), rc.y(), rc.width() + nExtra,
                      std::max(rc.height(), note->heightForWidth(rc.width() + nExtra)));
    if (nExtra > 0) {
      box.rwidth() += nExtra;
      for (QPushButton* button : {m_pBtnOK, m_pBtnCancel})
        button->move(button->x() + nExtra / 2, button->y());
    }
  }

  const QSize margin = map(QRect(0, 0, kMarginDlu, kMarginDlu)).size();
  for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const QRect rc = child->geometry();
    box = box.expandedTo(QSize(rc.right() + 1 + margin.width(), rc.bottom() + 1 + margin.height()));
  }
  setFixedSize(box);
}

int CSpeechSettingsDialog::DoModal() {
  if (!m_bInitialised) {
    m_bInitialised = true;
    if (OnInitDialog()) m_pBtnOK->setFocus();
  }
  return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CSpeechSettingsDialog::OnInitDialog() {
  if (FAILED(m_comboVoice.FillVoiceList(SPCAT_VOICES))) return false;
  if (m_comboVoice.count() == 0) {
    fw::AfxMessageBox(QStringLiteral("没有发音引擎，请检查您的声卡"), this);
    return false;
  }
  if (!m_strVoiceId.empty())
    for (int i = 0; i < m_comboVoice.count(); ++i)
      if (TokenIdOf(m_comboVoice.GetItemData(i)) == m_strVoiceId) {
        m_nVoiceIndex = i;
        break;
      }
  m_comboVoice.SetCurSel(m_nVoiceIndex);
  SetRange(m_sliderVolume, 0, 100);
  SetRange(m_sliderRate, -10, 10);

  const SpeechSettings settings = LoadSpeechSettings();
  m_nVolume = EffectiveVolume(settings.nVolume);
  m_nRate = settings.nRate;
  // A value outside a slider's range shows at its end; the member keeps it.
  m_sliderVolume.setValue(m_nVolume);
  m_sliderRate.setValue(m_nRate);
  ApplyVolumeAndRate(m_nVolume, m_nRate);
  return true;
}

void CSpeechSettingsDialog::OnHScroll() {
  // While an action runs the new place is the slider's position; its value
  // follows afterwards.
  m_nVolume = m_sliderVolume.sliderPosition();
  m_nRate = m_sliderRate.sliderPosition();
}

void CSpeechSettingsDialog::OnOK() {
  ApplyVolumeAndRate(m_nVolume, m_nRate);
  const int nSel = m_comboVoice.GetCurSel();
  m_pVoiceToken = nSel < 0 ? nullptr : m_comboVoice.GetItemData(nSel);
  if (g_pVoice) g_pVoice->SetVoice(m_pVoiceToken);
  m_nVolume = m_sliderVolume.value();
  m_nRate = m_sliderRate.value();
  m_nVoiceIndex = nSel;
  QDialog::accept();
}

}  // namespace speech
