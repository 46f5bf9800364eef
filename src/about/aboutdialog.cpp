#include "about/aboutdialog.h"

#include "framework/dialogunits.h"
#include "framework/winapp.h"
#include "version.h"

#include <QLabel>
#include <QPushButton>

#include <cstdint>

namespace about {

namespace {

constexpr int IDC_STATIC = -1;
constexpr int IDOK = 1;
constexpr int IDC_CREDIT = 1001;

constexpr std::uint32_t SS_CENTER = 0x0001;
constexpr std::uint32_t SS_RIGHT = 0x0002;
constexpr std::uint32_t SS_CENTERIMAGE = 0x0200;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x0001;

enum class Kind { Static, Button };

struct DlgItem {
  int nID;
  Kind kind;
  const char* text;
  std::uint32_t style;
  QRect rc;  // dialog units
};

// Template 100: caption, system menu and modal frame; 9-point dialog font.
constexpr char kCaption[] = "关于 Lexiphon V" LEX_VERSION;
constexpr int kFontPoints = 9;
constexpr QRect kDialogRect(0, 0, 189, 88);
constexpr char kAboutText[] = "   Lexiphon V" LEX_VERSION " \r\n英语学习助手：朗读与英汉互译";
// The offline translation's dictionary asks for its credit and licence.
constexpr char kCreditText[] = "离线词典：CC-CEDICT (CC BY-SA 4.0)";

const DlgItem kItems[] = {
    {static_cast<int>(IDC_LINK), Kind::Static, kMakerHost, 0x50020080, QRect(61, 45, 69, 8)},
    {IDC_STATIC, Kind::Static, kAboutText, 0x50020000, QRect(37, 22, 114, 15)},
    {IDC_CREDIT, Kind::Static, kCreditText, 0x50020001, QRect(7, 55, 175, 8)},
    {IDOK, Kind::Button, "确定", 0x50030001, QRect(67, 66, 50, 14)},
};

// The gap a control keeps from the dialog's edges when the box grows for it.
constexpr int kMarginDlu = 7;

Qt::Alignment StaticAlignment(std::uint32_t style) {
  Qt::Alignment align = (style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
  if (style & SS_CENTER)
    align |= Qt::AlignHCenter;
  else if (style & SS_RIGHT)
    align |= Qt::AlignRight;
  else
    align |= Qt::AlignLeft;
  return align;
}

QString ObjectNameFor(int nID) {
  switch (nID) {
    case static_cast<int>(IDC_LINK): return QStringLiteral("IDC_LINK");
    case IDOK: return QStringLiteral("IDOK");
    case IDC_CREDIT: return QStringLiteral("IDC_CREDIT");
    default: return QStringLiteral("IDC_STATIC");
  }
}

// Without a parent the box belongs to the main window, as the framework's
// dialogs do.
QWidget* DefaultOwner() {
  fw::CWinApp* app = fw::AfxGetApp();
  QWidget* main = app ? app->GetMainWnd() : nullptr;
  return main && main->isVisible() ? main : nullptr;
}

}  // namespace

CAboutDialog::CAboutDialog(QWidget* pParent) : QDialog(pParent ? pParent : DefaultOwner()), m_wndLink(this) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromUtf8(kCaption));
  const QFont font = fw::DialogFont(kFontPoints);
  setFont(font);
  const fw::DialogBaseUnits units = fw::BaseUnitsFor(font);
  setFixedSize(fw::MapDialogRect(units, kDialogRect).size());

  for (const DlgItem& item : kItems) {
    const QRect rc = fw::MapDialogRect(units, item.rc);
    // CR LF is a line break in a static.
    const QString text = QString::fromUtf8(item.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (item.kind == Kind::Button) {
      auto* button = new QPushButton(text, this);
      button->setObjectName(ObjectNameFor(item.nID));
      button->setDefault(item.style & BS_DEFPUSHBUTTON);
      button->setGeometry(rc);
      button->setAccessibleName(text);
      if (item.nID == IDOK) {
        m_pBtnOK = button;
        connect(button, &QPushButton::clicked, this, &QDialog::accept);
      }
      continue;
    }
    QLabel* label = item.nID == static_cast<int>(IDC_LINK) ? &m_wndLink : new QLabel(this);
    label->setObjectName(ObjectNameFor(item.nID));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    // Screen readers announce what is shown, not the leading spaces.
    label->setAccessibleName(text.simplified());
    label->setAlignment(StaticAlignment(item.style));
    label->setGeometry(rc);
    // Never clip: a face larger than the template's grows the text's box
    // (the link fits itself to its text).
    if (label != &m_wndLink) label->resize(rc.size().expandedTo(label->sizeHint()));
  }
}

CAboutDialog::~CAboutDialog() = default;

int CAboutDialog::DoModal() {
  if (!m_bInitialised) {
    m_bInitialised = true;
    if (OnInitDialog() && m_pBtnOK) m_pBtnOK->setFocus();
  }
  return exec();
}

void CAboutDialog::DoDataExchange() { m_wndLink.SubclassWindow(); }

bool CAboutDialog::OnInitDialog() {
  // Attaching the link while its target is still empty makes the host name
  // its first target; the full address replaces it here.
  DoDataExchange();
  m_wndLink.SetLinkTarget(kMakerUrl);
  KeepControlsInside();
  return true;
}

void CAboutDialog::KeepControlsInside() {
  const QSize margin =
      fw::MapDialogRect(fw::BaseUnitsFor(font()), QRect(0, 0, kMarginDlu, kMarginDlu)).size();
  QSize box = size();
  for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const QRect rc = child->geometry();
    box = box.expandedTo(QSize(rc.x() + rc.width() + margin.width(), rc.y() + rc.height() + margin.height()));
  }
  setFixedSize(box);
}

}  // namespace about
